#pragma once
// The two notices of the application's start-up: the media player is
// missing, and the codec recommendation with its "don't show" box.
#include "tolv/app/SettingsStore.h"
#include "tolv/app/win32/Wnd.h"
#include "tolv/playback/win32/DlgOpenFileFromRemote.h"

namespace tolv {

// The help page is kHelpPageAddress, shared with the open-remote window.
inline constexpr wchar_t kKLCodecPageAddress[] = L"http://www.quenmark.com/tolv/klcodec";

// A dialog with one "here" link (a notifying label drawn as a link).
class CNoticeDlg : public CDialog {
 public:
  CNoticeDlg(UINT templateId, const wchar_t* address);

 protected:
  BOOL OnInitDialog() override;

 private:
  const wchar_t* address_;
  HFONT linkFont_ = nullptr;
};

class CMessageWMPNotInstalled : public CNoticeDlg {
 public:
  CMessageWMPNotInstalled();
};

// Its check box stores "DontShowKLCodecMsg" at every click.
class DlgKLCodec : public CNoticeDlg {
 public:
  explicit DlgKLCodec(CSettingsStore& settings);
};

}  // namespace tolv
