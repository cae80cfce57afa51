// A stand-in for the window the typist pastes into: a window of the given
// class with an edit field that has the keyboard focus. Its title reads
// "ready" once the edit field has the focus; tests read the edit field's text
// with WM_GETTEXT.
// Usage: paste_target.exe <window class>
#include <windows.h>

#include <string>

namespace {

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  const std::wstring className = commandLine && *commandLine ? commandLine : L"PasteTarget";
  WNDCLASSW wc{};
  wc.lpfnWndProc = MainProc;
  wc.hInstance = instance;
  wc.lpszClassName = className.c_str();
  if (!RegisterClassW(&wc)) return 2;
  HWND main = CreateWindowExW(0, className.c_str(), L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 400, 200,
                              nullptr, nullptr, instance, nullptr);
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 5, 5, 380, 24,
                              main, nullptr, instance, nullptr);
  if (!main || !edit) return 3;
  SetForegroundWindow(main);
  SetFocus(edit);
  SetWindowTextW(main, L"ready");

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
