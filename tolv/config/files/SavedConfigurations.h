#pragma once
// The "Configurations" group of the settings dialog, without its windows:
// "Save As", "Open saved configurations" and "Restore default configuration".
#include <string>
#include <vector>

#include "tolv/config/DataFiles.h"
#include "tolv/hotkeys/MessageBoxPort.h"

namespace tolv {

// What the group's actions refresh in the settings dialog.
class IConfigurationsGroup {
 public:
  virtual ~IConfigurationsGroup() = default;
  // Shows currentConfigurationName and the hotkey labels and fields again.
  virtual void RefreshConfigurationFields() = 0;
};

enum class FileChoice { Chosen, Cancelled, Failed };

struct ChosenFile {
  FileChoice choice = FileChoice::Cancelled;
  std::wstring path;  // full path when Chosen
};

// The system's open-file dialog: no filter, no default extension, room for a
// 2048-character file name.
class IOpenFileDialog {
 public:
  virtual ~IOpenFileDialog() = default;
  virtual ChosenFile ChooseFile(const std::wstring& initialFolder) = 0;
};

extern const wchar_t* const kRestoreConfigurationQuestion;
extern const wchar_t* const kEmptyConfigurationNameMessage;
extern const wchar_t* const kOpenConfigurationFailedMessage;
extern const wchar_t* const kConfigurationNameNotPlainMessage;

// After a Yes: keyboard shortcuts 1-5 from the defaults, the default timestamp
// style and no interval or paragraph timestamps, all saved as "DEFAULT".
// True when restored.
bool RestoreDefaultConfiguration(IDataFiles& files, IMessageBoxPort& messages, IConfigurationsGroup& group);

// The dialog "Save current configuration file".
class CTimestampCfgSaveAs {
 public:
  static const wchar_t* const kTitle;
  static const wchar_t* const kPrompt;

  CTimestampCfgSaveAs(IDataFiles& files, IMessageBoxPort& messages, IConfigurationsGroup& group)
      : files_(files), messages_(messages), group_(group) {}

  // OK with the typed name, taken as it stands and used as the file name; an
  // existing configuration of that name is overwritten. False when the name is
  // empty, or would not stay a file of the Configuration folder (path
  // characters, ".."): the message is shown and the dialog stays open.
  bool OnOk(const std::wstring& name);

 private:
  IDataFiles& files_;
  IMessageBoxPort& messages_;
  IConfigurationsGroup& group_;
};

// Names of the saved configurations: the files of the Configuration folder, sorted.
std::vector<std::wstring> SavedConfigurationNames(IDataFiles& files);

// "Open saved configurations": the chosen file's name becomes the current
// configuration, always read from the Configuration folder whatever folder the
// file was chosen in. True when a configuration was loaded.
bool OpenSavedConfiguration(IDataFiles& files, IOpenFileDialog& dialog, IMessageBoxPort& messages,
                            IConfigurationsGroup& group);

}  // namespace tolv
