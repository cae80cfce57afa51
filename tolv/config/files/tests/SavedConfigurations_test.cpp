#include "tolv/config/files/SavedConfigurations.h"

#include <gtest/gtest.h>

#include "tolv/config/Settings.h"
#include "tolv/config/files/ConfigurationFiles.h"
#include "tolv/config/files/tests/fakes/ConfigurationBytes.h"
#include "tolv/config/tests/fakes/FakeDataFiles.h"
#include "tolv/hotkeys/Hotkeys.h"
#include "tolv/hotkeys/tests/fakes/FakeHotkeyTarget.h"
#include "tolv/timestamps/TimestampStyle.h"

using namespace tolv;
using namespace testing_tolv;
using tolv::testing::FakeDataFiles;

namespace {

const std::wstring kFolder = L"C:\\Tolv\\Configuration\\";

class FakeConfigurationsGroup : public IConfigurationsGroup {
 public:
  std::vector<std::wstring> shownNames;  // currentConfigurationName at each refresh
  void RefreshConfigurationFields() override { shownNames.push_back(currentConfigurationName); }
};

class FakeOpenFileDialog : public IOpenFileDialog {
 public:
  ChosenFile result;
  std::vector<std::wstring> openedIn;
  ChosenFile ChooseFile(const std::wstring& initialFolder) override {
    openedIn.push_back(initialFolder);
    return result;
  }
};

class SavedConfigurations : public ::testing::Test {
 protected:
  FakeDataFiles files;
  FakeMessageBox messages;
  FakeConfigurationsGroup group;

  void SetUp() override {
    ResetConfigurationToFirstStart();
    files.folders.insert(kFolder);
  }
  void TearDown() override { ResetConfigurationToFirstStart(); }

  // A typist's own configuration: a style of her own, intervals on, new shortcuts.
  void Customise() {
    currentConfigurationName = L"Client A";
    timestampStyle.beforeHours = L"[";
    timestampStyle.afterSeconds = L"]";
    timestampStyle.showFrames = 1;
    timestampStyle.framesPerSecond = 25;
    timestampStyle.italicTimestamps = 1;
    RebuildPatterns();
    intervalTimestamps = 1, paragraphTimestamps = 1, intervalSeconds = 30;
    subtractSeconds = 3, delaySeconds = 4, paragraphEnterCount = 1, paragraphNewLine = 0;
    for (int id = 1; id <= kHotkeyCount; ++id) {
      HotkeyTable[id - 1].virtualKey = uint8_t('A' + id);
      HotkeyTable[id - 1].keyName = std::wstring(1, wchar_t('A' + id));
      if (id >= HotkeyShortcut1 && id <= HotkeyShortcut5) HotkeyTable[id - 1].text = L"mine";
    }
    hotkeyDisabled.fill(true);
  }
};

TEST_F(SavedConfigurations, RestoreDefaultConfiguration) {
  Customise();
  messages.answer = MessageBoxAnswer::No;
  EXPECT_FALSE(RestoreDefaultConfiguration(files, messages, group));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, L"Are you sure you want to restore the default configuration settings?");
  EXPECT_EQ(messages.shown[0].kind, MessageBoxKind::YesNo);
  EXPECT_EQ(currentConfigurationName, L"Client A");
  EXPECT_EQ(timestampStyle.framesPerSecond, 25);
  EXPECT_EQ(files.replaces, 0);

  const CTipHotkeysTable before = HotkeyTable;
  messages.answer = MessageBoxAnswer::Yes;
  EXPECT_TRUE(RestoreDefaultConfiguration(files, messages, group));

  for (int id = 1; id <= kHotkeyCount; ++id) {
    SCOPED_TRACE(id);
    const bool shortcut = id >= HotkeyShortcut1 && id <= HotkeyShortcut5;
    EXPECT_EQ(HotkeyTable[id - 1], shortcut ? DefaultHotkeyTable[id - 1] : before[id - 1]);
    EXPECT_TRUE(hotkeyDisabled[id - 1]);
  }
  EXPECT_EQ(currentConfigurationName, L"DEFAULT");
  EXPECT_EQ(timestampStyle, TimestampStyle{});
  EXPECT_EQ(intervalTimestamps + paragraphTimestamps + intervalSeconds, 0);
  // The other automatic-timestamp settings are the typist's still.
  EXPECT_EQ(subtractSeconds, 3);
  EXPECT_EQ(paragraphNewLine, 0);
  EXPECT_EQ(group.shownNames, std::vector<std::wstring>{L"DEFAULT"});

  Fields expected = DefaultNamedFields();
  expected[38] = I32(3), expected[39] = I32(4), expected[40] = I32(1), expected[43] = I32(0);
  EXPECT_EQ(files.at(kFolder + L"DEFAULT"), Join(expected));
  EXPECT_FALSE(files.has(kFolder + L"Client A"));
}

TEST_F(SavedConfigurations, SaveAs) {
  Customise();
  CTimestampCfgSaveAs dialog(files, messages, group);
  EXPECT_STREQ(CTimestampCfgSaveAs::kTitle, L"Save current configuration file");
  EXPECT_STREQ(CTimestampCfgSaveAs::kPrompt, L"Save current configuration as:");

  EXPECT_FALSE(dialog.OnOk(L""));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, L"Name can not be empty!");
  EXPECT_EQ(currentConfigurationName, L"Client A");
  EXPECT_EQ(files.replaces, 0);
  EXPECT_TRUE(group.shownNames.empty());

  // The name is taken as typed, spaces included, and replaces a file of that name.
  files.files[kFolder + L" Client B "] = {1, 2, 3};
  EXPECT_TRUE(dialog.OnOk(L" Client B "));
  EXPECT_EQ(currentConfigurationName, L" Client B ");
  EXPECT_EQ(group.shownNames, std::vector<std::wstring>{L" Client B "});
  EXPECT_EQ(files.at(kFolder + L" Client B "), WriteNamedConfigurationFields());
  EXPECT_EQ(messages.shown.size(), 1u);
}

// A name is a file of the Configuration folder, never a path: nothing is written
// anywhere, the name in force stays, and the dialog stays open with the reason.
TEST_F(SavedConfigurations, SaveAsRefusesNamesThatLeaveTheFolder) {
  Customise();
  CTimestampCfgSaveAs dialog(files, messages, group);
  for (const std::wstring name : {L"..", L".", L" . ", L"..\\..\\evil", L"../evil", L"sub\\name", L"C:evil",
                                  L"a*b", L"a?b", L"a\"b", L"a<b", L"a>b", L"a|b", L"tab\tname"}) {
    SCOPED_TRACE(::testing::PrintToString(name));
    messages.shown.clear();
    EXPECT_FALSE(dialog.OnOk(name));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kConfigurationNameNotPlainMessage);
    EXPECT_EQ(currentConfigurationName, L"Client A");
  }
  EXPECT_EQ(files.replaces, 0);
  EXPECT_TRUE(group.shownNames.empty());

  // Dots and spaces inside a name are ordinary characters.
  for (const std::wstring name : {L"v1.2", L"..hidden", L"Client. A"}) {
    EXPECT_TRUE(dialog.OnOk(name));
    EXPECT_TRUE(files.has(kFolder + name));
  }
}

// A damaged or edited tolv3.cfg may carry any name: it is read as a missing
// configuration and saved nowhere outside the folder.
TEST_F(SavedConfigurations, AStoredNameThatLeavesTheFolderIsNeverAPath) {
  const std::wstring outside = L"C:\\Tolv\\evil";
  files.files[outside] = WriteNamedConfigurationFields();
  currentConfigurationName = L"..\\evil";
  EXPECT_FALSE(LoadNamedConfiguration(files));
  EXPECT_EQ(currentConfigurationName, L"DEFAULT");

  currentConfigurationName = L"..\\evil";
  const int before = files.replaces;
  SaveNamedConfiguration(files);
  EXPECT_EQ(files.replaces, before);
}

TEST_F(SavedConfigurations, OpenLoadsTheNameFromTheConfigurationFolder) {
  // "Client A" is saved; then the typist goes back to the defaults.
  Customise();
  SaveNamedConfiguration(files);
  const CTipHotkeysTable clientTable = HotkeyTable;
  const TimestampStyle clientStyle = timestampStyle;
  ResetConfigurationToFirstStart();

  FakeOpenFileDialog dialog;
  struct Case {
    const char* what;
    std::wstring chosen;
    bool found;
  };
  const Case cases[] = {
      {"in the folder", kFolder + L"Client A", true},
      {"elsewhere, same name", L"D:\\Backup\\Client A", true},
      {"elsewhere, no such configuration", L"D:\\Backup\\Client Z", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetConfigurationToFirstStart();
    group.shownNames.clear();
    dialog.result = {FileChoice::Chosen, c.chosen};

    EXPECT_TRUE(OpenSavedConfiguration(files, dialog, messages, group));

    EXPECT_EQ(dialog.openedIn.back(), kFolder);
    EXPECT_EQ(currentConfigurationName, c.found ? L"Client A" : L"DEFAULT");
    EXPECT_EQ(group.shownNames, std::vector<std::wstring>{currentConfigurationName});
    EXPECT_EQ(timestampStyle, c.found ? clientStyle : TimestampStyle{});
    EXPECT_EQ(intervalSeconds, c.found ? 30 : 0);
    for (int id = 1; id <= kHotkeyCount; ++id) {
      SCOPED_TRACE(id);
      // Only the keyboard shortcuts travel with a configuration.
      const bool shortcut = id >= HotkeyShortcut1 && id <= HotkeyShortcut5;
      EXPECT_EQ(HotkeyTable[id - 1], shortcut && c.found ? clientTable[id - 1] : DefaultHotkeyTable[id - 1]);
    }
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SavedConfigurations, OpenCancelledOrFailed) {
  currentConfigurationName = L"Client A";
  FakeOpenFileDialog dialog;
  dialog.result = {FileChoice::Cancelled, L""};
  EXPECT_FALSE(OpenSavedConfiguration(files, dialog, messages, group));
  EXPECT_TRUE(messages.shown.empty());

  dialog.result = {FileChoice::Failed, L""};
  EXPECT_FALSE(OpenSavedConfiguration(files, dialog, messages, group));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, L"Error opening the file!");

  EXPECT_EQ(currentConfigurationName, L"Client A");
  EXPECT_TRUE(group.shownNames.empty());
  EXPECT_EQ(files.reads, 0);
}

TEST_F(SavedConfigurations, NamesAreTheFilesOfTheConfigurationFolder) {
  EXPECT_TRUE(SavedConfigurationNames(files).empty());
  for (const wchar_t* name : {L"Zeta", L"DEFAULT", L"Client A"}) {
    currentConfigurationName = name;
    SaveNamedConfiguration(files);
  }
  files.files[L"C:\\Tolv\\tolv3.cfg"] = {};
  files.folders.insert(kFolder + L"Old\\");
  files.files[kFolder + L"Old\\Client B"] = {};
  EXPECT_EQ(SavedConfigurationNames(files), (std::vector<std::wstring>{L"Client A", L"DEFAULT", L"Zeta"}));
}

}  // namespace
