#pragma once
// The modal notices of the start-up: the media player component is missing
// (CMessageWMPNotInstalled) and the codec advice (DlgKLCodec).
#include "tolv/app/SettingsStore.h"
#include "tolv/app/win32/Wnd.h"

namespace tolv {

inline constexpr wchar_t kHelpAddress[] = L"http://www.quenmark.com/help";
inline constexpr wchar_t kKLCodecAddress[] = L"http://www.quenmark.com/klcodec";

class CMessageWMPNotInstalled : public CDialog {
 public:
  CMessageWMPNotInstalled();

 protected:
  BOOL OnInitDialog() override;
};

// Its check box writes "DontShowKLCodecMsg" at every click.
class DlgKLCodec : public CDialog {
 public:
  explicit DlgKLCodec(CSettingsStore& settings);

 protected:
  BOOL OnInitDialog() override;

 private:
  CSettingsStore& settings_;
};

}  // namespace tolv
