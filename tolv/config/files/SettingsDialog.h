#pragma once
// What the settings dialog does, without its window: most controls change the
// settings at once; OK keeps them and writes tolv3.cfg, Cancel reads it again.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "tolv/config/DataFiles.h"
#include "tolv/hotkeys/MessageBoxPort.h"
#include "tolv/playback/TolvForm.h"

namespace tolv {

// The main window as the settings dialog changes it while it is open.
class ISettingsTarget {
 public:
  virtual ~ISettingsTarget() = default;
  virtual void SetAlwaysOnTop(bool onTop) = 0;
  // The background gradient is redrawn with these colours.
  virtual void ApplyColors(int from, int to) = 0;
};

extern const wchar_t* const kRestoreColorsQuestion;
extern const wchar_t* const kColorsRestoredMessage;

// The hotkeys shown in the "Hotkeys" group, in row order: Play, Stop, Rew, FF,
// RX, PX, Timestamp, Bookmark.
inline constexpr std::array<int, 8> kSettingsHotkeyRows{1, 2, 3, 4, 12, 11, 5, 13};

struct StartFromTexts {
  std::wstring sign, hours, minutes, seconds;
};

class CSettingsDialogLogic {
 public:
  CSettingsDialogLogic(IDataFiles& files, IMessageBoxPort& questions, IMessageBoxes& messages, ISettingsTarget& target)
      : files_(files), questions_(questions), messages_(messages), target_(target) {}

  // The texts of "Timestamps Start From" as the dialog opens: "+" unless the
  // stored sign holds a "-".
  static StartFromTexts OpenStartFrom();

  void OnAlwaysOnTop(bool checked);
  void Preview(int from, int to);
  // "Default Colors": after a Yes the new picker colours, already applied.
  std::optional<std::pair<int, int>> RestoreDefaultColors();
  // "Philips equipment": ticking it asks first (confirm); false leaves the tick
  // and the setting as they were. Returns the check box state to show.
  bool OnPhilipsClicked(bool checked, const std::function<bool()>& confirm);

  // OK: false keeps the dialog open (an offset message was shown). On true the
  // main configuration has been written.
  bool OnOk(const StartFromTexts& startFrom, int colorFrom, int colorTo);
  // Cancel: every change, applied ones included, is undone from the file.
  void OnCancel();

  // Sub-dialogs that end: what is written or read again afterwards.
  void AfterShortcutsDialog(bool ok);  // keyboard shortcuts
  void AfterConversionsDialog();       // conversions

 private:
  IDataFiles& files_;
  IMessageBoxPort& questions_;
  IMessageBoxes& messages_;
  ISettingsTarget& target_;
};

}  // namespace tolv
