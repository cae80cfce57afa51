// The foot-switch library as the Wine suite needs it: FsOpen answers 0 and
// then plays one press and release of each of the three buttons to the window,
// identity 13 is refused; FsClose is counted.
#include <windows.h>

#include <initializer_list>

namespace {
LONG closes = 0;
constexpr UINT Rew = 0x608, Listen = 0x609, Ff = 0x60A;
}  // namespace

extern "C" {

LONG WINAPI FsOpen(LPARAM footSwitch, HWND window) {
  if (footSwitch == 13 || !IsWindow(window)) return 1;
  for (UINT message : {Rew, Listen, Ff}) {
    PostMessageW(window, message, 1, footSwitch);
    PostMessageW(window, message, 0, footSwitch);
  }
  return 0;
}

LONG WINAPI FsClose(LPARAM) {
  InterlockedIncrement(&closes);
  return 0;
}

LONG WINAPI FsDoubleCloseCount() { return closes; }

}  // extern "C"
