#include "tolv/config/files/SettingsDialog.h"

#include "tolv/config/Settings.h"
#include "tolv/config/files/ConfigurationFiles.h"
#include "tolv/timestamps/StartOffset.h"

namespace tolv {

const wchar_t* const kRestoreColorsQuestion = L"Are you sure you want to restore the default colors?";
const wchar_t* const kColorsRestoredMessage = L"Default colors restored";

namespace {
// 0x00BBGGRR, as the pickers and the file hold them.
constexpr int kDefaultFrom = 0x0091E6;
constexpr int kDefaultTo = 0x64C8F8;
}  // namespace

StartFromTexts CSettingsDialogLogic::OpenStartFrom() {
  return {timestampOffsetSign.find(L'-') != std::wstring::npos ? L"-" : L"+", timestampOffsetHours,
          timestampOffsetMinutes, timestampOffsetSeconds};
}

void CSettingsDialogLogic::OnAlwaysOnTop(bool checked) {
  alwaysOnTop = checked ? 1 : 0;
  target_.SetAlwaysOnTop(checked);
}

void CSettingsDialogLogic::Preview(int from, int to) {
  appearanceColorFrom = from;
  appearanceColorTo = to;
  target_.ApplyColors(from, to);
}

std::optional<std::pair<int, int>> CSettingsDialogLogic::RestoreDefaultColors() {
  if (questions_.Show(kRestoreColorsQuestion, MessageBoxKind::YesNo) != MessageBoxAnswer::Yes) return std::nullopt;
  Preview(kDefaultFrom, kDefaultTo);
  questions_.Show(kColorsRestoredMessage, MessageBoxKind::Information);
  return std::pair{kDefaultFrom, kDefaultTo};
}

bool CSettingsDialogLogic::OnPhilipsClicked(bool checked, const std::function<bool()>& confirm) {
  if (checked && !confirm()) return philipsEquipment != 0;
  philipsEquipment = checked ? 1 : 0;
  return checked;
}

bool CSettingsDialogLogic::OnOk(const StartFromTexts& startFrom, int colorFrom, int colorTo) {
  reservedConfig.extensionFlags.fill(0);
  if (!ApplyTimestampsStartFrom(startFrom.sign, startFrom.hours, startFrom.minutes, startFrom.seconds, messages_))
    return false;
  Preview(colorFrom, colorTo);
  SaveMainConfiguration(files_);
  return true;
}

void CSettingsDialogLogic::OnCancel() {
  LoadMainConfiguration(files_);
  // What was applied to the window follows the settings read back.
  target_.SetAlwaysOnTop(alwaysOnTop != 0);
  target_.ApplyColors(appearanceColorFrom, appearanceColorTo);
}

void CSettingsDialogLogic::AfterShortcutsDialog(bool ok) {
  if (ok) SaveNamedConfiguration(files_);
}

void CSettingsDialogLogic::AfterConversionsDialog() { SaveMainConfiguration(files_); }

}  // namespace tolv
