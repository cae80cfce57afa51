#pragma once
#include "vcbridge/ipc/MessagePort.h"

namespace vcb {

// The message port on user32: RegisterWindowMessageW and PostMessageW.
// Posts to window 0 (the caller's thread) or 0xFFFF (broadcast) are refused.
class Win32MessagePort : public IMessagePort {
 public:
  uint32_t registerMessage(const std::wstring& name) override;  // 0 on failure
  bool post(WindowId window, uint32_t message, uintptr_t wparam, intptr_t lparam) override;
};

// Installs a process-wide Win32MessagePort as the message port.
void useWin32MessagePort();

}  // namespace vcb
