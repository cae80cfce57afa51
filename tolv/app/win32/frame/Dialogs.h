#pragma once
// The about box and the start-up splash window.
#include "tolv/app/win32/Wnd.h"

namespace tolv {

inline constexpr wchar_t kProgramTitle[] = L"Tolv";

class CAboutDlg : public CDialog {
 public:
  CAboutDlg();

 protected:
  BOOL OnInitDialog() override;
};

// Borderless, centred, above every window; gone after two seconds by its own
// timer, whatever else is open meanwhile.
class CSplashDlg : public CDialog {
 public:
  static constexpr UINT kShowMs = 2000;
  CSplashDlg();

 protected:
  BOOL OnInitDialog() override;
  void OnCancel() override {}

 private:
  void Paint();
};

}  // namespace tolv
