#pragma once
#include <windows.h>

#include <string>

#include "tolv/playlist/PlaylistPorts.h"

namespace tolv {

// The C library's clock and local time.
class Win32Clock : public IClock {
 public:
  int64_t now() override;
  std::wstring localText(int64_t time, const wchar_t* format) override;
};

// Message boxes owned by a window; boxes without a caption of their own get the application's.
class Win32PlaylistMessages : public IPlaylistMessages {
 public:
  Win32PlaylistMessages(HWND owner, std::wstring appCaption) : owner_(owner), appCaption_(std::move(appCaption)) {}
  void show(std::wstring_view caption, std::wstring_view text) override;
  bool ask(std::wstring_view text) override;

 private:
  HWND owner_;
  std::wstring appCaption_;
};

}  // namespace tolv
