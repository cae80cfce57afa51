#include "tolv/app/win32/frame/Dialogs.h"

#include <cwchar>

#include "tolv/app/Appearance.h"
#include "tolv/app/resource.h"
#include "tolv/update/UpdateCheck.h"

namespace tolv {

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

BOOL CAboutDlg::OnInitDialog() {
  wchar_t text[128];
  std::swprintf(text, 128, L"About %ls", kProgramTitle);
  SetWindowTextW(hwnd(), text);
  std::swprintf(text, 128, L"Tolv Version %ls", kVersionText);
  SetDlgItemTextW(hwnd(), IDC_ABOUT_VERSION, text);
  return TRUE;
}

namespace {
constexpr UINT_PTR kSplashTimerId = 1;
}

CSplashDlg::CSplashDlg() : CDialog(IDD_SPLASH) {
  messages_.on(WM_TIMER, [this](WPARAM id, LPARAM) {
    if (id == kSplashTimerId) {
      KillTimer(hwnd(), kSplashTimerId);
      DestroyWindow();
    }
    return 0;
  });
  messages_.on(WM_PAINT, [this](WPARAM, LPARAM) {
    Paint();
    return 0;
  });
}

BOOL CSplashDlg::OnInitDialog() {
  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetTimer(hwnd(), kSplashTimerId, kShowMs, nullptr);
  return FALSE;
}

// The product picture: the form's colours, the icon and the name.
void CSplashDlg::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  RECT rc;
  GetClientRect(hwnd(), &rc);
  for (int y = 0; y < rc.bottom; ++y) {
    const int s = y, total = rc.bottom > 0 ? rc.bottom : 1;
    const COLORREF c = RGB(GradientChannel(230, 248, s, total), GradientChannel(145, 200, s, total),
                           GradientChannel(0, 100, s, total));
    HBRUSH b = CreateSolidBrush(c);
    const RECT line{0, y, rc.right, y + 1};
    FillRect(dc, &line, b);
    DeleteObject(b);
  }
  HICON icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 32, 32, LR_SHARED));
  if (icon) DrawIconEx(dc, 16, (rc.bottom - 32) / 2, icon, 32, 32, 0, nullptr, DI_NORMAL);
  HFONT font = CreateFontW(-36, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  RECT text{60, 0, rc.right, rc.bottom};
  DrawTextW(dc, kProgramTitle, -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, old);
  DeleteObject(font);
  EndPaint(hwnd(), &ps);
}

}  // namespace tolv
