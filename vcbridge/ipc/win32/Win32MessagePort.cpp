#include "vcbridge/ipc/win32/Win32MessagePort.h"

#include <windows.h>

namespace vcb {

uint32_t Win32MessagePort::registerMessage(const std::wstring& name) {
  return RegisterWindowMessageW(name.c_str());
}

bool Win32MessagePort::post(WindowId window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  // A window value from an application is untrusted: 0 would post to the
  // calling thread's own queue and 0xFFFF to every top-level window.
  if (window == 0 || window == 0xFFFF) return false;
  // Window handles travel as 32 bits; user32 only looks at those.
  HWND hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
  return PostMessageW(hwnd, message, wparam, lparam) != FALSE;
}

void useWin32MessagePort() {
  static Win32MessagePort port;
  setMessagePort(&port);
}

}  // namespace vcb
