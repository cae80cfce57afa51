#pragma once
// The "Download New Version" window (CDlgDownload, modal) and the update
// offer that shows it.
#include <windows.h>

#include <string>

#include "tolv/app/SettingsStore.h"
#include "tolv/app/win32/Wnd.h"
#include "tolv/update/UpdateCheck.h"

namespace tolv {

// Where the newer installer is downloaded from.
inline constexpr wchar_t kInstallerDownloadAddress[] = L"http://www.quenmark.com/download/TolvSetup.exe";

// Loads the rich-text edit library of the answer box; true when it is there.
bool LoadRichEditLibrary();

class CDlgDownload : public CDialog {
 public:
  CDlgDownload(IProfileStore& profile, std::wstring answer);

 protected:
  BOOL OnInitDialog() override;

 private:
  CSettingsStore settings_;
  std::wstring answer_;
};

// IUpdateOffer through CDlgDownload, owned by the main window.
class CDownloadOffer : public IUpdateOffer {
 public:
  CDownloadOffer(HWND owner, IProfileStore& profile) : owner_(owner), profile_(profile) {}
  void ShowDownloadWindow(const std::wstring& answer) override;

 private:
  HWND owner_;
  IProfileStore& profile_;
};

}  // namespace tolv
