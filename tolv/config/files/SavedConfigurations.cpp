#include "tolv/config/files/SavedConfigurations.h"

#include <algorithm>

#include "tolv/config/Settings.h"
#include "tolv/config/files/ConfigurationFiles.h"
#include "tolv/hotkeys/Hotkeys.h"

namespace tolv {

const wchar_t* const kRestoreConfigurationQuestion =
    L"Are you sure you want to restore the default configuration settings?";
const wchar_t* const kEmptyConfigurationNameMessage = L"Name can not be empty!";
const wchar_t* const kOpenConfigurationFailedMessage = L"Error opening the file!";
const wchar_t* const kConfigurationNameNotPlainMessage =
    L"A configuration name cannot contain any of the characters \\ / : * ? \" < > | and cannot be made of dots only.";
const wchar_t* const CTimestampCfgSaveAs::kTitle = L"Save current configuration file";
const wchar_t* const CTimestampCfgSaveAs::kPrompt = L"Save current configuration as:";

bool RestoreDefaultConfiguration(IDataFiles& files, IMessageBoxPort& messages, IConfigurationsGroup& group) {
  if (messages.Show(kRestoreConfigurationQuestion, MessageBoxKind::YesNo) != MessageBoxAnswer::Yes) return false;
  for (int id = HotkeyShortcut1; id <= HotkeyShortcut5; ++id) HotkeyTable[id - 1] = DefaultHotkeyTable[id - 1];
  currentConfigurationName = kDefaultConfigurationName;
  ResetTimestampStyleAndIntervals();
  group.RefreshConfigurationFields();
  SaveNamedConfiguration(files);
  return true;
}

bool CTimestampCfgSaveAs::OnOk(const std::wstring& name) {
  if (name.empty()) {
    messages_.Show(kEmptyConfigurationNameMessage, MessageBoxKind::Information);
    return false;
  }
  if (!IsPlainConfigurationName(name)) {
    messages_.Show(kConfigurationNameNotPlainMessage, MessageBoxKind::Information);
    return false;
  }
  currentConfigurationName = name;
  SaveNamedConfiguration(files_);
  group_.RefreshConfigurationFields();
  return true;
}

std::vector<std::wstring> SavedConfigurationNames(IDataFiles& files) {
  auto names = files.listFiles(ConfigurationFolderPath(files));
  std::sort(names.begin(), names.end());
  return names;
}

bool OpenSavedConfiguration(IDataFiles& files, IOpenFileDialog& dialog, IMessageBoxPort& messages,
                            IConfigurationsGroup& group) {
  const ChosenFile chosen = dialog.ChooseFile(ConfigurationFolderPath(files));
  if (chosen.choice == FileChoice::Failed) {
    messages.Show(kOpenConfigurationFailedMessage, MessageBoxKind::Information);
    return false;
  }
  if (chosen.choice != FileChoice::Chosen) return false;
  currentConfigurationName = FileNamePart(chosen.path);
  LoadNamedConfiguration(files);
  group.RefreshConfigurationFields();
  return true;
}

}  // namespace tolv
