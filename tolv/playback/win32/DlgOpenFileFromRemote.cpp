#include "tolv/playback/win32/DlgOpenFileFromRemote.h"

#include <shellapi.h>

#include <utility>

#include "tolv/playback/win32/OpenRemoteIds.h"

namespace tolv {

CDlgOpenFileFromRemote::CDlgOpenFileFromRemote(std::function<void(const std::wstring&)> open)
    : CDialog(IDD_OPEN_REMOTE), open_(std::move(open)) {
  // The help address reads as a link: blue, and it opens in the browser.
  messages_.on(WM_CTLCOLORSTATIC, [this](WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (reinterpret_cast<HWND>(lParam) != item(IDC_REMOTE_HELP_LINK)) return 0;
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, RGB(0, 0, 238));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  });
  messages_.onControl(IDC_REMOTE_HELP_LINK, STN_CLICKED, [this] {
    ShellExecuteW(hwnd(), L"open", kHelpPageAddress, nullptr, nullptr, SW_SHOWNORMAL);
  });
  messages_.on(WM_DESTROY, [this](WPARAM, LPARAM) -> LRESULT {
    if (linkFont_) DeleteObject(linkFont_);
    linkFont_ = nullptr;
    return 0;
  });
}

bool CDlgOpenFileFromRemote::CreateHidden(HWND owner) {
  if (!Create(owner)) return false;
  ShowWindow(hwnd(), SW_HIDE);
  if (HFONT font = reinterpret_cast<HFONT>(SendMessageW(item(IDC_REMOTE_HELP_LINK), WM_GETFONT, 0, 0))) {
    LOGFONTW lf{};
    GetObjectW(font, sizeof(lf), &lf);
    lf.lfUnderline = TRUE;
    linkFont_ = CreateFontIndirectW(&lf);
    if (linkFont_) SendMessageW(item(IDC_REMOTE_HELP_LINK), WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_), FALSE);
  }
  FitLinkLine();
  return true;
}

// The link is as wide as its text, and the rest of the sentence follows it.
void CDlgOpenFileFromRemote::FitLinkLine() {
  HWND link = item(IDC_REMOTE_HELP_LINK), rest = item(IDC_REMOTE_CLICK);
  wchar_t text[128] = {};
  const int length = GetWindowTextW(link, text, 128);
  HDC dc = GetDC(link);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text, length, &size);
  SelectObject(dc, old);
  ReleaseDC(link, dc);
  RECT l{}, r{};
  GetWindowRect(link, &l);
  GetWindowRect(rest, &r);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&l), 2);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
  SetWindowPos(link, nullptr, 0, 0, size.cx + 1, l.bottom - l.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(rest, nullptr, l.left + size.cx + 5, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDlgOpenFileFromRemote::Show() {
  if (!hwnd()) return;
  SetDlgItemTextW(hwnd(), IDC_REMOTE_LOCATION, L"");
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  SetFocus(item(IDC_REMOTE_LOCATION));
}

void CDlgOpenFileFromRemote::OnOK() {
  const int length = GetWindowTextLengthW(item(IDC_REMOTE_LOCATION));
  std::wstring location(static_cast<size_t>(length) + 1, L'\0');
  GetDlgItemTextW(hwnd(), IDC_REMOTE_LOCATION, location.data(), length + 1);
  location.resize(static_cast<size_t>(length));
  // Hidden first: the open may wait a while, or end in an error box.
  ShowWindow(hwnd(), SW_HIDE);
  if (!location.empty() && open_) open_(location);
}

void CDlgOpenFileFromRemote::OnCancel() { ShowWindow(hwnd(), SW_HIDE); }

}  // namespace tolv
