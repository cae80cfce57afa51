// A stand-in for the typist's word processor: a window with an edit field that has the
// focus and types the keys it is asked for through SendInput, so that a keyboard hook in
// another process sees them as desktop input.
//   hotkey_typist.exe <window class>
// Posted WM_APP + 1 (wParam virtual-key code, lParam 0 down / 1 up) types one key event.
// The window title logs what reached the edit field: "R " once ready, then "D78 " key-down,
// "U78 " key-up, "SD79 "/"SU79 " system keys, "C61 " characters (hexadecimal codes).
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr UINT kTypeKey = WM_APP + 1;
HWND mainWindow = nullptr;
WNDPROC editProc = nullptr;
std::wstring keyLog = L"R ";

void Log(const wchar_t* prefix, WPARAM code) {
  wchar_t entry[16];
  swprintf(entry, 16, L"%ls%02X ", prefix, unsigned(code));
  keyLog += entry;
  SetWindowTextW(mainWindow, keyLog.c_str());
}

LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN: Log(L"D", wParam); break;
    case WM_KEYUP: Log(L"U", wParam); break;
    case WM_SYSKEYDOWN: Log(L"SD", wParam); break;
    case WM_SYSKEYUP: Log(L"SU", wParam); break;
    case WM_CHAR: Log(L"C", wParam); break;
  }
  return CallWindowProcW(editProc, window, message, wParam, lParam);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kTypeKey: {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = WORD(wParam);
      input.ki.wScan = WORD(MapVirtualKeyW(UINT(wParam), MAPVK_VK_TO_VSC));
      input.ki.dwFlags = lParam ? KEYEVENTF_KEYUP : 0;
      SendInput(1, &input, sizeof(input));
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  std::wstring className = commandLine && *commandLine ? commandLine : L"HotkeyTypist";
  WNDCLASSW wc{};
  wc.lpfnWndProc = MainProc;
  wc.hInstance = instance;
  wc.lpszClassName = className.c_str();
  if (!RegisterClassW(&wc)) return 2;
  mainWindow = CreateWindowExW(0, className.c_str(), L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                               400, 200, nullptr, nullptr, instance, nullptr);
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 5, 5, 380, 24,
                              mainWindow, nullptr, instance, nullptr);
  if (!mainWindow || !edit) return 3;
  editProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProc)));
  SetForegroundWindow(mainWindow);
  SetFocus(edit);
  SetWindowTextW(mainWindow, keyLog.c_str());

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
