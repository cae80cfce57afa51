#include "vcbridge/ipc/win32/Win32WindowSystem.h"

#include <windows.h>

namespace vcb {

bool Win32WindowSystem::registerClass(const std::wstring& className) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.hIconSm = LoadIconW(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  wc.lpszMenuName = nullptr;
  wc.lpszClassName = className.c_str();
  return RegisterClassExW(&wc) != 0;
}

WindowHandle Win32WindowSystem::createWindow(const std::wstring& className, const std::wstring& title) {
  return CreateWindowExW(0, className.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

GetResult Win32WindowSystem::getMessage(WindowMessage* out) {
  MSG msg{};
  BOOL r = GetMessageW(&msg, nullptr, 0, 0);
  if (r == 0) return GetResult::Quit;
  if (r == -1) return GetResult::Failed;
  out->window = msg.hwnd;
  out->message = msg.message;
  out->wparam = msg.wParam;
  out->lparam = msg.lParam;
  return GetResult::Message;
}

bool Win32WindowSystem::postQuit(WindowHandle window) {
  return PostMessageW(static_cast<HWND>(window), WM_QUIT, 0, 0) != FALSE;
}

bool Win32WindowSystem::destroyWindow(WindowHandle window) {
  return DestroyWindow(static_cast<HWND>(window)) != FALSE;
}

bool Win32WindowSystem::unregisterClass(const std::wstring& className) {
  return UnregisterClassW(className.c_str(), GetModuleHandleW(nullptr)) != FALSE;
}

void useWin32WindowSystem() {
  static Win32WindowSystem system;
  setWindowSystem(&system);
}

}  // namespace vcb
