#include "tolv/config/files/SettingsDialog.h"

#include <gtest/gtest.h>

#include "tolv/config/Settings.h"
#include "tolv/config/files/ConfigurationFiles.h"
#include "tolv/config/tests/fakes/FakeDataFiles.h"
#include "tolv/hotkeys/Hotkeys.h"
#include "tolv/hotkeys/tests/fakes/FakeHotkeyTarget.h"
#include "tolv/playback/tests/fakes/FakeTolvForm.h"
#include "tolv/timestamps/TimestampStyle.h"

using namespace tolv;
using namespace testing_tolv;
using tolv::testing::FakeDataFiles;

namespace {

struct FakeTarget : ISettingsTarget {
  std::vector<bool> onTop;
  std::vector<std::pair<int, int>> colors;
  void SetAlwaysOnTop(bool on) override { onTop.push_back(on); }
  void ApplyColors(int from, int to) override { colors.emplace_back(from, to); }
};

class SettingsDialog : public ::testing::Test {
 protected:
  FakeDataFiles files;
  FakeMessageBox questions;
  tolv::testing::FakeMessageBoxes messages;
  FakeTarget target;
  CSettingsDialogLogic dialog{files, questions, messages, target};

  // A saved configuration that the dialog starts from.
  void SetUp() override {
    ResetConfigurationToFirstStart();
    LoadMainConfiguration(files);
    files.replaces = 0;
  }
  void TearDown() override { ResetConfigurationToFirstStart(); }
};

TEST_F(SettingsDialog, CancelUndoesLiveChangesFromTheFile) {
  hotkeyDisabled[HotkeyRx - 1] = true;  // a "disable" box, stored at once
  dialog.OnAlwaysOnTop(true);
  dialog.Preview(0x112233, 0x445566);
  EXPECT_EQ(target.onTop, std::vector<bool>{true});

  dialog.OnCancel();
  EXPECT_FALSE(hotkeyDisabled[HotkeyRx - 1]);
  EXPECT_EQ(alwaysOnTop, 0);
  EXPECT_EQ(target.onTop.back(), false);
  EXPECT_EQ(target.colors.back(), std::pair(appearanceColorFrom, appearanceColorTo));
  EXPECT_NE(appearanceColorFrom, 0x112233);
  EXPECT_EQ(files.replaces, 0);
}

TEST_F(SettingsDialog, OkKeepsChangesAndWritesTheFile) {
  hotkeyDisabled[HotkeyRx - 1] = true;
  reservedConfig.extensionFlags.fill(7);
  EXPECT_TRUE(dialog.OnOk({L"-", L"1", L"02", L""}, 0x010203, 0x040506));
  EXPECT_EQ(timestampOffset, -(3600 + 120));
  EXPECT_EQ(target.colors.back(), std::pair(0x010203, 0x040506));

  ResetConfigurationToFirstStart();
  LoadMainConfiguration(files);
  EXPECT_TRUE(hotkeyDisabled[HotkeyRx - 1]);
  EXPECT_EQ(appearanceColorTo, 0x040506);
  EXPECT_EQ(timestampOffsetSign, L"-");
  EXPECT_EQ(reservedConfig.extensionFlags, (std::array<int32_t, 8>{}));
}

TEST_F(SettingsDialog, HoursOutOfRangeKeepsTheDialogOpen) {
  const int offset = timestampOffset;
  EXPECT_FALSE(dialog.OnOk({L"+", L"60", L"", L""}, 1, 2));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, L"Timestamps Start From: HOURS figure must be 0-59");
  EXPECT_EQ(timestampOffset, offset);
  EXPECT_EQ(files.replaces, 0);
  EXPECT_TRUE(target.colors.empty());
}

TEST_F(SettingsDialog, StartFromSign) {
  for (const auto& [stored, shown] : {std::pair{L"+", L"+"}, {L"-", L"-"}, {L" - ", L"-"}, {L"", L"+"}}) {
    timestampOffsetSign = stored;
    EXPECT_EQ(CSettingsDialogLogic::OpenStartFrom().sign, shown);
  }
}

TEST_F(SettingsDialog, DefaultColors) {
  questions.answer = MessageBoxAnswer::No;
  EXPECT_FALSE(dialog.RestoreDefaultColors());
  EXPECT_TRUE(target.colors.empty());

  questions.answer = MessageBoxAnswer::Yes;
  EXPECT_EQ(dialog.RestoreDefaultColors(), std::pair(0x0091E6, 0x64C8F8));
  EXPECT_EQ(appearanceColorFrom, 0x0091E6);
  EXPECT_EQ(target.colors.back(), std::pair(0x0091E6, 0x64C8F8));
  ASSERT_EQ(questions.shown.size(), 3u);
  EXPECT_EQ(questions.shown[1].text, L"Are you sure you want to restore the default colors?");
  EXPECT_EQ(questions.shown[2].text, L"Default colors restored");
}

TEST_F(SettingsDialog, PhilipsAsksOnlyWhenTicked) {
  int asked = 0;
  auto answer = [&](bool ok) { return [&asked, ok] { ++asked; return ok; }; };
  EXPECT_FALSE(dialog.OnPhilipsClicked(true, answer(false)));
  EXPECT_EQ(philipsEquipment, 0);
  EXPECT_TRUE(dialog.OnPhilipsClicked(true, answer(true)));
  EXPECT_EQ(philipsEquipment, 1);
  EXPECT_FALSE(dialog.OnPhilipsClicked(false, answer(false)));
  EXPECT_EQ(philipsEquipment, 0);
  EXPECT_EQ(asked, 2);
}

TEST_F(SettingsDialog, SubDialogs) {
  currentConfigurationName = L"Client";
  const int before = files.replaces;
  dialog.AfterShortcutsDialog(false);
  EXPECT_EQ(files.replaces, before);
  dialog.AfterShortcutsDialog(true);
  EXPECT_EQ(files.replaces, before + 1);
  EXPECT_TRUE(files.has(NamedConfigurationPath(files, L"Client")));
  convertMp3ToWav = 0;
  dialog.AfterConversionsDialog();
  ResetConfigurationToFirstStart();
  LoadMainConfiguration(files);
  EXPECT_EQ(convertMp3ToWav, 0);
}

}  // namespace
