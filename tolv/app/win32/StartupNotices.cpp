#include "tolv/app/win32/StartupNotices.h"

#include "tolv/app/win32/StartupNoticeIds.h"
#include "tolv/app/win32/WebPage.h"

namespace tolv {

CMessageWMPNotInstalled::CMessageWMPNotInstalled() : CDialog(IDD_WMP_NOT_INSTALLED) {
  messages_.onCommand(IDC_NOTICE_LINK, [this] { OpenWebPage(hwnd(), kHelpAddress); });
}

BOOL CMessageWMPNotInstalled::OnInitDialog() {
  MakeLink(item(IDC_NOTICE_LINK));
  return TRUE;
}

DlgKLCodec::DlgKLCodec(CSettingsStore& settings) : CDialog(IDD_KL_CODEC), settings_(settings) {
  messages_.onCommand(IDC_NOTICE_LINK, [this] { OpenWebPage(hwnd(), kKLCodecAddress); });
  messages_.onCommand(IDC_NOTICE_DONT_SHOW, [this] {
    settings_.SetDontShowKLCodecMsg(IsDlgButtonChecked(hwnd(), IDC_NOTICE_DONT_SHOW) == BST_CHECKED);
  });
}

BOOL DlgKLCodec::OnInitDialog() {
  MakeLink(item(IDC_NOTICE_LINK));
  return TRUE;
}

}  // namespace tolv
