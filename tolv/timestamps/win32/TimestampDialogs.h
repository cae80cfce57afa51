#pragma once
// The two modal dialogs of the settings that shape timestamps: "Timestamps
// Appearance" (CTimestampAppearance) and "Add timestamps automatically"
// (CAutotimestampConfig). Both edit the settings live; OK saves the current
// named configuration and Cancel reloads it.
#include <windows.h>

#include "tolv/app/win32/Wnd.h"
#include "tolv/playback/TolvForm.h"
#include "tolv/timestamps/AutotimestampConfig.h"
#include "tolv/timestamps/NamedConfigurationPort.h"
#include "tolv/timestamps/TimestampAppearance.h"
#include "tolv/timestamps/TimestampStyle.h"

namespace tolv {

inline constexpr wchar_t kTimestampAppearanceHelpAddress[] = L"http://www.quenmark.com/help/timestamp-appearance";
inline constexpr wchar_t kAutoTimestampsHelpAddress[] = L"http://www.quenmark.com/help/automatic-timestamps";

class CTimestampAppearance : public CDialog {
 public:
  // boxes: nullptr means message boxes owned by the dialog.
  CTimestampAppearance(INamedConfigurationFile& configuration, TimestampStyle& style = timestampStyle,
                       IMessageBoxes* boxes = nullptr);
  ~CTimestampAppearance() override;

  const CTimestampAppearanceLogic& logic() const { return logic_; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

 private:
  class OwnedBoxes : public IMessageBoxes {
   public:
    explicit OwnedBoxes(CTimestampAppearance& dialog) : dialog_(dialog) {}
    void show(std::wstring_view text, MessageIcon icon) override;

   private:
    CTimestampAppearance& dialog_;
  };

  void MapMessages();
  // Boxes and radio buttons from the style (the hour options move together).
  void ShowChecks();
  void ShowPreview();

  INamedConfigurationFile& configuration_;
  TimestampStyle& style_;
  OwnedBoxes ownBoxes_;
  CTimestampAppearanceLogic logic_;
  HFONT boldFont_ = nullptr;
  bool filling_ = false;
};

class CAutotimestampConfig : public CDialog {
 public:
  explicit CAutotimestampConfig(INamedConfigurationFile& configuration);

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

 private:
  void ApplyEnabled();

  INamedConfigurationFile& configuration_;
  CAutotimestampConfigLogic logic_;
};

}  // namespace tolv
