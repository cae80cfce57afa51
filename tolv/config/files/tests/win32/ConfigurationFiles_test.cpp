#include <windows.h>

#include <gtest/gtest.h>

#include "testsupport/win32/WinTest.h"
#include "tolv/config/Settings.h"
#include "tolv/config/files/ConfigurationFiles.h"
#include "tolv/config/files/SavedConfigurations.h"
#include "tolv/config/files/tests/fakes/ConfigurationBytes.h"
#include "tolv/config/win32/Win32DataFiles.h"
#include "tolv/hotkeys/Hotkeys.h"
#include "tolv/timestamps/TimestampStyle.h"

namespace tolv {
namespace {

using namespace testing_tolv;

// The real files beside this test program: tolv3.cfg and the Configuration folder.
class ConfigurationFilesOnDisk : public ::testing::Test {
 protected:
  Win32DataFiles files;
  const std::wstring folder = kit::exeFolder();
  const std::wstring mainPath = folder + L"tolv3.cfg";
  const std::wstring configurations = folder + L"Configuration\\";
  std::vector<std::wstring> made = {mainPath, configurations + L"DEFAULT"};

  void SetUp() override {
    ResetConfigurationToFirstStart();
    Clean();
  }
  void TearDown() override {
    Clean();
    ResetConfigurationToFirstStart();
  }
  void Clean() {
    for (const auto& path : made) {
      DeleteFileW(path.c_str());
      DeleteFileW((path + L".new").c_str());
    }
    RemoveDirectoryW(configurations.c_str());  // only when nothing else is in it
  }
  bool isFolder(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  }
  Bytes content(const std::wstring& path) { return files.readFile(path, 1 << 20).value_or(Bytes{0xEE}); }
};

TEST_F(ConfigurationFilesOnDisk, FirstStartMakesTheFolderAndBothFiles) {
  ASSERT_FALSE(isFolder(configurations)) << "left over from another run";
  LoadMainConfiguration(files);

  EXPECT_TRUE(isFolder(configurations));
  EXPECT_EQ(content(mainPath), Join(FirstStartMainFields()));
  EXPECT_EQ(content(configurations + L"DEFAULT"), Join(DefaultNamedFields()));
  EXPECT_EQ(GetFileAttributesW((mainPath + L".new").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(currentConfigurationName, L"DEFAULT");

  // Starting again finds both files whole.
  LoadMainConfiguration(files);
  EXPECT_EQ(content(mainPath), Join(FirstStartMainFields()));
}

TEST_F(ConfigurationFilesOnDisk, SavedSettingsComeBack) {
  const std::wstring name = kit::uniqueName(L"client");
  made.push_back(configurations + name);
  LoadMainConfiguration(files);

  currentConfigurationName = name;
  playMode = PlayModeToggle;
  pxSeconds = 7;
  timestampOffset = -90;
  HotkeyTable[HotkeyShortcut1 - 1].text = std::wstring(300, L'\x00E9');
  HotkeyTable[HotkeyBookmark - 1].keyName = L"B";
  hotkeyDisabled[HotkeyPx - 1] = true;
  timestampStyle.afterSeconds = L"]";
  RebuildPatterns();
  subtractSeconds = 9;
  SaveMainConfiguration(files);
  const Bytes saved = content(mainPath);

  ResetConfigurationToFirstStart();
  LoadMainConfiguration(files);
  EXPECT_EQ(currentConfigurationName, name);
  EXPECT_EQ(playMode, PlayModeToggle);
  EXPECT_EQ(pxSeconds, 7);
  EXPECT_EQ(timestampOffset, -90);
  EXPECT_EQ(HotkeyTable[HotkeyShortcut1 - 1].text, std::wstring(300, L'\x00E9'));
  EXPECT_EQ(HotkeyTable[HotkeyBookmark - 1].keyName, L"B");
  EXPECT_TRUE(hotkeyDisabled[HotkeyPx - 1]);
  EXPECT_EQ(timestampStyle.positivePattern, L"_%H:%M:%S]");
  EXPECT_EQ(subtractSeconds, 9);
  EXPECT_EQ(content(mainPath), saved);  // loading a whole file writes nothing

  const auto names = SavedConfigurationNames(files);
  EXPECT_NE(std::find(names.begin(), names.end(), name), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), L"DEFAULT"), names.end());
}

}  // namespace
}  // namespace tolv
