#pragma once
// The Open Remote File window: modeless and created hidden; the menu shows
// it with an empty location, OK opens what was typed (if anything) and both
// buttons only hide it.
#include <windows.h>

#include <functional>
#include <string>

#include "tolv/app/win32/Wnd.h"

namespace tolv {

inline constexpr wchar_t kHelpPageAddress[] = L"http://www.quenmark.com/tolv/help";

class CDlgOpenFileFromRemote : public CDialog {
 public:
  // `open` receives the location on OK (the open-media operation with play).
  explicit CDlgOpenFileFromRemote(std::function<void(const std::wstring&)> open);

  // Creates the window hidden.
  bool CreateHidden(HWND owner);
  // Empties the location and shows the window.
  void Show();

 protected:
  void OnOK() override;
  void OnCancel() override;

 private:
  void FitLinkLine();

  std::function<void(const std::wstring&)> open_;
  HFONT linkFont_ = nullptr;
};

}  // namespace tolv
