#pragma once
#include <windows.h>

#include "tolv/timestamps/TextPorts.h"

namespace tolv {

// The system clipboard, opened with the main view's window as owner.
class Win32Clipboard : public IClipboardPort {
 public:
  explicit Win32Clipboard(HWND owner) : owner_(owner) {}
  bool Open() override;
  void Empty() override;
  bool SetData(unsigned format, const std::vector<uint8_t>& block) override;
  void Close() override;

 private:
  HWND owner_;
};

}  // namespace tolv
