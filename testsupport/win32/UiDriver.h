#pragma once
// Driving windows of the test's own thread as a user would: real mouse and
// keyboard input through SendInput, with the thread's messages pumped while
// waiting, and screenshots of a window.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

#include "testsupport/win32/WinTest.h"

namespace kit {

// Handles the thread's messages (modeless dialogs first) until cond holds or
// timeoutMs passed.
inline bool pumpUntil(const std::function<bool()>& cond, DWORD timeoutMs,
                      const std::function<bool(MSG&)>& preTranslate = nullptr) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (preTranslate && preTranslate(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (cond()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

inline void pumpFor(DWORD ms, const std::function<bool(MSG&)>& preTranslate = nullptr) {
  const DWORD start = GetTickCount();
  pumpUntil([&] { return GetTickCount() - start >= ms; }, ms + 1000, preTranslate);
}

// Moves the mouse to the screen point and clicks the left button (twice for a double-click).
inline void clickAt(POINT screen, bool twice = false) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT move{};
  move.type = INPUT_MOUSE;
  move.mi.dx = static_cast<LONG>((screen.x * 65535LL) / (w - 1));
  move.mi.dy = static_cast<LONG>((screen.y * 65535LL) / (h - 1));
  move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &move, sizeof(INPUT));
  for (int i = 0; i < (twice ? 2 : 1); ++i) {
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof(INPUT));
  }
}

// Centre of a client rectangle of the window, in screen coordinates.
inline POINT screenCentre(HWND window, RECT client) {
  POINT p{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
  ClientToScreen(window, &p);
  return p;
}

// Types the text as key presses of its characters.
inline void typeText(const std::wstring& text) {
  for (wchar_t c : text) {
    INPUT key[2] = {};
    key[0].type = key[1].type = INPUT_KEYBOARD;
    key[0].ki.wScan = key[1].ki.wScan = c;
    key[0].ki.dwFlags = KEYEVENTF_UNICODE;
    key[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    SendInput(2, key, sizeof(INPUT));
  }
}

inline void pressKey(WORD vk) {
  INPUT key[2] = {};
  key[0].type = key[1].type = INPUT_KEYBOARD;
  key[0].ki.wVk = key[1].ki.wVk = vk;
  key[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, key, sizeof(INPUT));
}

inline std::wstring windowText(HWND w) {
  wchar_t text[1024] = {};
  GetWindowTextW(w, text, 1024);
  return text;
}

// A visible top-level window of the process with the class and, if given, the
// title (read with WM_GETTEXT, so a hung window does not hold the test).
inline HWND findTopLevel(DWORD pid, const wchar_t* className, const wchar_t* title = nullptr) {
  struct Data {
    DWORD pid;
    const wchar_t* className;
    const wchar_t* title;
    HWND found;
  } data{pid, className, title, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* d = reinterpret_cast<Data*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        wchar_t cls[64] = {};
        GetClassNameW(w, cls, 64);
        if (owner != d->pid || !IsWindowVisible(w) || lstrcmpW(cls, d->className) != 0) return TRUE;
        if (d->title) {
          wchar_t text[1024] = {};
          SendMessageTimeoutW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
          if (lstrcmpW(text, d->title) != 0) return TRUE;
        }
        d->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&data));
  return data.found;
}

// Deletes the folder (path ends in a backslash) with everything in it.
inline void removeFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        removeFolder(folder + name + L"\\");
      else
        DeleteFileW((folder + name).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

// A new empty folder beside the test program, ending in a backslash.
inline std::wstring freshFolder(const std::wstring& stem) {
  const std::wstring folder = exeFolder() + uniqueName(stem) + L"\\";
  removeFolder(folder);
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

// The screen rectangle as a 24-bit BMP beside the test program.
inline void writeScreenBmp(RECT r, const std::wstring& name) {
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = (width * 3 + 3) & ~3u, size = stride * height;
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + size), 0, 0,
                        sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  FILE* f = _wfopen((exeFolder() + name).c_str(), L"wb");
  if (f) {
    fwrite(&file, sizeof(file), 1, f);
    fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, f);
    fwrite(bits, 1, size, f);
    fclose(f);
  }
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

// The window's client area on the screen as a 24-bit BMP beside the test
// program. (Wine reads its caption option when a process starts, so a test's
// own windows have no drawn caption to show.)
inline void screenshot(HWND w, const std::wstring& name) {
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // A window of another thread paints when its queue runs dry.
  if (GetWindowThreadProcessId(w, nullptr) != GetCurrentThreadId()) {
    SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
    Sleep(300);
  }
  RECT r{};
  GetClientRect(w, &r);
  MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&r), 2);
  writeScreenBmp(r, name);
}

// The whole window of another process (frame and caption included) as a BMP,
// once it has painted itself.
inline void screenshotWindow(HWND w, const std::wstring& name) {
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
  RECT r{};
  GetWindowRect(w, &r);
  writeScreenBmp(r, name);
}

}  // namespace kit
