#include "tolv/update/win32/DlgDownload.h"

#include <richedit.h>

#include "tolv/app/win32/WebPage.h"
#include "tolv/update/win32/DlgDownloadIds.h"

namespace tolv {

bool LoadRichEditLibrary() {
  static HMODULE library = LoadLibraryW(L"riched20.dll");
  return library != nullptr;
}

CDlgDownload::CDlgDownload(IProfileStore& profile, std::wstring answer)
    : CDialog(IDD_DOWNLOAD), settings_(profile), answer_(std::move(answer)) {
  messages_.onCommand(IDC_DOWNLOAD_NOW, [this] { OpenWebPage(hwnd(), kInstallerDownloadAddress); });
  messages_.onCommand(IDC_DOWNLOAD_LATER, [this] { EndDialog(IDCANCEL); });
  messages_.onCommand(IDC_DOWNLOAD_DONT_SHOW, [this] {
    settings_.SetUpgradeShow(IsDlgButtonChecked(hwnd(), IDC_DOWNLOAD_DONT_SHOW) == BST_CHECKED);
  });
}

BOOL CDlgDownload::OnInitDialog() {
  HWND box = item(IDC_DOWNLOAD_ANSWER);
  SetWindowTextW(box, answer_.c_str());
  // Double line spacing over the whole text.
  SendMessageW(box, EM_SETSEL, 0, -1);
  PARAFORMAT2 format{};
  format.cbSize = sizeof(format);
  format.dwMask = PFM_LINESPACING;
  format.bLineSpacingRule = 2;
  SendMessageW(box, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
  SendMessageW(box, EM_SETSEL, 0, 0);
  SetFocus(item(IDC_DOWNLOAD_LATER));
  return FALSE;
}

void CDownloadOffer::ShowDownloadWindow(const std::wstring& answer) {
  LoadRichEditLibrary();
  CDlgDownload(profile_, answer).DoModal(owner_);
}

}  // namespace tolv
