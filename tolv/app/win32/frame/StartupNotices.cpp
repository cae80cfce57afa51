#include "tolv/app/win32/frame/StartupNotices.h"

#include <shellapi.h>

#include "tolv/app/win32/frame/StartupNoticeIds.h"

namespace tolv {

CNoticeDlg::CNoticeDlg(UINT templateId, const wchar_t* address) : CDialog(templateId), address_(address) {
  messages_.onControl(IDC_NOTICE_LINK, STN_CLICKED, [this] {
    ShellExecuteW(hwnd(), L"open", address_, nullptr, nullptr, SW_SHOWNORMAL);
  });
  messages_.on(WM_CTLCOLORSTATIC, [this](WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (reinterpret_cast<HWND>(lParam) != item(IDC_NOTICE_LINK)) return 0;
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, RGB(0, 0, 238));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  });
  messages_.on(WM_SETCURSOR, [this](WPARAM wParam, LPARAM) -> LRESULT {
    if (reinterpret_cast<HWND>(wParam) != item(IDC_NOTICE_LINK)) return FALSE;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
  });
  messages_.on(WM_DESTROY, [this](WPARAM, LPARAM) -> LRESULT {
    if (linkFont_) DeleteObject(linkFont_);
    linkFont_ = nullptr;
    return 0;
  });
}

BOOL CNoticeDlg::OnInitDialog() {
  HWND link = item(IDC_NOTICE_LINK);
  LOGFONTW font{};
  if (link && GetObjectW(reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)), sizeof(font), &font)) {
    font.lfUnderline = TRUE;
    linkFont_ = CreateFontIndirectW(&font);
    SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_), FALSE);
  }
  return TRUE;
}

CMessageWMPNotInstalled::CMessageWMPNotInstalled() : CNoticeDlg(IDD_WMP_NOT_INSTALLED, kHelpPageAddress) {}

DlgKLCodec::DlgKLCodec(CSettingsStore& settings) : CNoticeDlg(IDD_KL_CODEC, kKLCodecPageAddress) {
  messages_.onCommand(IDC_KL_CODEC_DONT_SHOW, [this, &settings] {
    settings.SetDontShowKLCodecMsg(IsDlgButtonChecked(hwnd(), IDC_KL_CODEC_DONT_SHOW) == BST_CHECKED);
  });
}

}  // namespace tolv
