#include "tolv/app/win32/WebPage.h"

#include <commctrl.h>
#include <shellapi.h>

namespace tolv {
namespace {

WebPageOpener g_opener = nullptr;

LRESULT CALLBACK LinkProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
  switch (message) {
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT rc;
      GetClientRect(hwnd, &rc);
      HWND parent = GetParent(hwnd);
      HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                           reinterpret_cast<LPARAM>(hwnd)));
      FillRect(dc, &rc, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
      HFONT font = reinterpret_cast<HFONT>(data);
      HGDIOBJ old = SelectObject(dc, font);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(0, 0, 238));
      wchar_t text[128] = {};
      GetWindowTextW(hwnd, text, 128);
      DrawTextW(dc, text, -1, &rc, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
      SelectObject(dc, old);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_NCDESTROY:
      DeleteObject(reinterpret_cast<HFONT>(data));
      RemoveWindowSubclass(hwnd, &LinkProc, id);
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

void SetWebPageOpener(WebPageOpener opener) { g_opener = opener; }

void OpenWebPage(HWND owner, const std::wstring& address) {
  if (g_opener) {
    g_opener(address);
    return;
  }
  ShellExecuteW(owner, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void MakeLink(HWND control) {
  if (!control) return;
  LOGFONTW lf{};
  HFONT base = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  GetObjectW(base ? static_cast<HGDIOBJ>(base) : GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
  lf.lfUnderline = TRUE;
  SetWindowSubclass(control, &LinkProc, 1, reinterpret_cast<DWORD_PTR>(CreateFontIndirectW(&lf)));
}

}  // namespace tolv
