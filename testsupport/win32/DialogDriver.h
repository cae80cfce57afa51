#pragma once
// Driving the player's dialogs in the test's own process as a person would:
// the dialog runs modal on the test's thread while a second thread finds its
// windows, clicks, types and answers the message boxes.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "testsupport/win32/WinTest.h"

namespace kit::dialogs {

constexpr DWORD kWait = 5000;

inline std::wstring text(HWND w) {
  wchar_t buffer[512] = {};
  SendMessageTimeoutW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, nullptr);
  return buffer;
}

// A visible dialog of this process with the given caption, other than `except`.
inline HWND find(const std::wstring& title, HWND except = nullptr) {
  struct Data {
    const std::wstring* title;
    HWND except, found;
  } data{&title, except, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* d = reinterpret_cast<Data*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        wchar_t cls[32] = {};
        GetClassNameW(w, cls, 32);
        if (pid != GetCurrentProcessId() || w == d->except || !IsWindowVisible(w) || lstrcmpW(cls, L"#32770") != 0)
          return TRUE;
        if (text(w) != *d->title) return TRUE;
        d->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&data));
  return data.found;
}

inline HWND wait(const std::wstring& title, HWND except = nullptr) {
  HWND found = nullptr;
  waitFor([&] { return (found = find(title, except)) != nullptr; }, kWait);
  return found;
}

// The text of a message box: its longest static text.
inline std::wstring messageText(HWND box) {
  std::wstring longest;
  EnumChildWindows(
      box,
      [](HWND w, LPARAM p) -> BOOL {
        wchar_t cls[16] = {};
        GetClassNameW(w, cls, 16);
        auto* best = reinterpret_cast<std::wstring*>(p);
        const std::wstring t = text(w);
        if (lstrcmpiW(cls, L"Static") == 0 && t.size() > best->size()) *best = t;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&longest));
  return longest;
}

// Waits for a message box with this caption, answers it with `button` and returns its text.
inline std::wstring answerMessageBox(const std::wstring& caption, int button = IDOK) {
  HWND box = wait(caption);
  if (!box) return L"<no message box>";
  const std::wstring shown = messageText(box);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
  waitFor([&] { return !IsWindow(box); }, kWait);
  return shown;
}

// A click as the mouse gives it; check boxes and radio buttons change their own state.
inline void click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
inline bool isChecked(HWND dialog, int id) {
  return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
inline void type(HWND dialog, int id, const std::wstring& value) {
  SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
}
inline void pick(HWND dialog, int comboId, int index) {
  HWND combo = GetDlgItem(dialog, comboId);
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}
// A key as the window's queue receives it (down and up).
inline void postKey(HWND window, UINT key) {
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}
inline bool waitText(HWND dialog, int id, const std::wstring& expected) {
  return waitFor([&] { return text(GetDlgItem(dialog, id)) == expected; }, kWait);
}
inline bool waitGone(HWND w) {
  return waitFor([&] { return !IsWindow(w); }, kWait);
}

inline bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Wine draws the captions itself when there is no window manager; it reads
// this when a process starts, so the pictures come from a second run.
inline void drawCaptionsInNextRun() {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) == ERROR_SUCCESS) {
    RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 4);
    RegCloseKey(key);
  }
}

// Set in the run of a suite that takes the pictures.
inline bool takingScreenshots() { return GetEnvironmentVariableW(L"TOLV_DIALOG_SHOTS", nullptr, 0) != 0; }

// Writes the screen area of the window (caption included) to a 24-bit BMP
// beside the test, in the run that takes the pictures.
inline void screenshot(HWND w, const std::wstring& name) {
  if (!takingScreenshots()) return;
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
  Sleep(100);  // the screen catches up with the last paint
  RECT r{};
  GetWindowRect(w, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = (width * 3 + 3) & ~3u, size = stride * height;
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + size), 0, 0,
                        sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  if (FILE* f = _wfopen((exeFolder() + name).c_str(), L"wb")) {
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

// Runs a modal dialog on this thread (`runModal` returns its result) while
// `drive` works it from a second thread. The driver gets the dialog's window;
// a dialog it leaves open is closed and counted as a failure. Failed steps are
// recorded in `failures` for the test thread to report.
inline INT_PTR driveModal(const std::function<INT_PTR()>& runModal, const std::wstring& title,
                          const std::function<void(HWND)>& drive, std::vector<std::wstring>& failures) {
  std::thread driver([&] {
    HWND w = wait(title);
    if (!w) {
      failures.push_back(L"the dialog appears");
      return;
    }
    drive(w);
    if (IsWindow(w)) {
      failures.push_back(L"the driver closed the dialog");
      PostMessageW(w, WM_CLOSE, 0, 0);
    }
  });
  const INT_PTR result = runModal();
  driver.join();
  return result;
}

}  // namespace kit::dialogs
