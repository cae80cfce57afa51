// The settings dialog and the dialogs it opens, driven as a person would: the
// dialog runs modal on the test's thread while a second thread finds its
// windows, clicks, types and answers the message boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "testsupport/win32/DialogDriver.h"
#include "testsupport/win32/UiDriver.h"
#include "tolv/config/Settings.h"
#include "tolv/config/files/ConfigurationFiles.h"
#include "tolv/config/files/SavedConfigurations.h"
#include "tolv/config/files/win32/ConfigDialogIds.h"
#include "tolv/config/files/win32/ConfigDialogs.h"
#include "tolv/config/win32/Win32DataFiles.h"
#include "tolv/hotkeys/Hotkeys.h"
#include "tolv/hotkeys/win32/HotkeyDialogIds.h"
#include "tolv/timestamps/TimestampStyle.h"

namespace tolv {
namespace {

namespace ui = kit::dialogs;

std::wstring AnswerMessageBox(int button = IDOK) { return ui::answerMessageBox(kSettingsMessageCaption, button); }

class ConfigDialogs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ui::drawCaptionsInNextRun(); }

  // Every test has a data folder of its own with a saved first-start configuration.
  const std::wstring root = kit::exeFolder() + kit::uniqueName(L"dialogs") + L"\\";
  const std::wstring folder = root + L"data\\";
  std::unique_ptr<Win32DataFiles> files;
  HWND frame = nullptr;  // stands in for the main window
  std::vector<std::wstring> failures;

  void SetUp() override {
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    files = std::make_unique<Win32DataFiles>(folder, root + L"user\\", true);
    ResetConfigurationToFirstStart();
    LoadMainConfiguration(*files);
    frame = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                            nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(frame);
    ResetConfigurationToFirstStart();
    kit::removeFolder(root);
  }

  SettingsWindowLinks Links() {
    SettingsWindowLinks links;
    links.setAlwaysOnTop = [this](bool on) {
      SetWindowPos(frame, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    };
    return links;
  }
  bool FrameOnTop() const { return (GetWindowLongW(frame, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

  // Records a failed step of the driver; the test thread reports them.
  void Expect(bool ok, const wchar_t* what) {
    if (!ok) failures.push_back(what);
  }

  // Runs the dialog modal here while `drive` works it from a second thread.
  // The driver gets the dialog's window; a dialog left open is cancelled.
  // Wine keeps the owner of an open dialog below it, never topmost, so the
  // on-top test runs the dialog without an owner.
  INT_PTR Drive(CDialog& dialog, const std::wstring& title, const std::function<void(HWND)>& drive,
                bool ownedByFrame = true) {
    const INT_PTR result =
        ui::driveModal([&] { return dialog.DoModal(ownedByFrame ? frame : nullptr); }, title, drive, failures);
    for (const auto& failure : failures) ADD_FAILURE() << std::string(failure.begin(), failure.end());
    return result;
  }
};

TEST_F(ConfigDialogs, SettingsDisableBoxChangedAndCancelled) {
  bool live = false;
  CDlgSettings settings(*files, Links());
  const INT_PTR result = Drive(settings, L"Settings", [&](HWND w) {
    Expect(ui::text(GetDlgItem(w, IDC_HOTKEY_FIELD_FIRST + 4)) == L"F5", L"RX shows F5");
    Expect(ui::text(GetDlgItem(w, IDC_CURRENT_CONFIGURATION)) == L"DEFAULT", L"current configuration");
    ui::screenshot(w, L"settings-dialog.bmp");
    ui::click(w, IDC_HOTKEY_DISABLE_FIRST + 4);  // RX
    live = kit::waitFor([&] { return hotkeyDisabled[HotkeyRx - 1]; }, ui::kWait);
    ui::click(w, IDCANCEL);
    ui::waitGone(w);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(live) << "the flag is set as soon as the box is clicked";
  EXPECT_FALSE(hotkeyDisabled[HotkeyRx - 1]);
}

TEST_F(ConfigDialogs, SettingsHoursSixtyKeepsTheDialogOpen) {
  std::wstring message;
  bool stillOpen = false;
  CDlgSettings settings(*files, Links());
  const INT_PTR result = Drive(settings, L"Settings", [&](HWND w) {
    ui::type(w, IDC_OFFSET_HOURS, L"60");
    ui::click(w, IDOK);
    message = AnswerMessageBox();
    stillOpen = IsWindow(w) && IsWindowVisible(w);
    ui::type(w, IDC_OFFSET_HOURS, L"1");
    ui::click(w, IDOK);
    ui::waitGone(w);
  });
  EXPECT_EQ(message, L"Timestamps Start From: HOURS figure must be 0-59");
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(timestampOffset, 3600);
  // OK wrote the file: read back, the offset is there.
  timestampOffsetHours.clear();
  LoadMainConfiguration(*files);
  EXPECT_EQ(timestampOffsetHours, L"1");
}

TEST_F(ConfigDialogs, SettingsAlwaysOnTopAppliedAtOnceAndUndoneByCancel) {
  bool onTop = false;
  CDlgSettings settings(*files, Links());
  ASSERT_FALSE(FrameOnTop());
  Drive(settings, L"Settings", [&](HWND w) {
    ui::click(w, IDC_ALWAYS_ON_TOP);
    onTop = kit::waitFor([&] { return FrameOnTop(); }, ui::kWait);
    ui::click(w, IDCANCEL);
    ui::waitGone(w);
  }, false);
  EXPECT_TRUE(onTop);
  EXPECT_FALSE(FrameOnTop());
  EXPECT_EQ(alwaysOnTop, 0);
}

TEST_F(ConfigDialogs, PhilipsWarningCancelKeepsTheBoxClear) {
  bool afterCancel = true, afterOk = false;
  CDlgSettings settings(*files, Links());
  Drive(settings, L"Settings", [&](HWND w) {
    ui::click(w, IDC_PHILIPS);
    HWND warning = ui::wait(L"Warning");
    Expect(warning != nullptr, L"the warning appears");
    if (!warning) return;
    ui::screenshot(warning, L"philips-warning-dialog.bmp");
    ui::click(warning, IDCANCEL);
    ui::waitGone(warning);
    afterCancel = ui::isChecked(w, IDC_PHILIPS) || philipsEquipment;
    ui::click(w, IDC_PHILIPS);
    warning = ui::wait(L"Warning");
    if (warning) ui::click(warning, IDOK);
    ui::waitGone(warning);
    afterOk = kit::waitFor([&] { return ui::isChecked(w, IDC_PHILIPS) && philipsEquipment == 1; }, ui::kWait);
    ui::click(w, IDCANCEL);
    ui::waitGone(w);
  });
  EXPECT_FALSE(afterCancel);
  EXPECT_TRUE(afterOk);
  EXPECT_EQ(philipsEquipment, 0) << "Cancel of the settings reads the file back";
}

// Save As refuses a name that leaves the folder, keeps a valid one; the
// system's open-file dialog then brings the saved configuration back.
TEST_F(ConfigDialogs, SaveAsAndOpenSavedConfigurationRoundTrip) {
  timestampStyle.beforeHours = L"[";
  RebuildPatterns();
  std::wstring refused, afterRestore, afterOpen, styleAfterOpen;
  CDlgSettings settings(*files, Links());
  const INT_PTR result = Drive(settings, L"Settings", [&](HWND w) {
    ui::click(w, IDC_SAVE_AS);
    HWND saveAs = ui::wait(L"Save current configuration file");
    Expect(saveAs != nullptr, L"Save As appears");
    if (!saveAs) return;
    ui::type(saveAs, IDC_CONFIGURATION_NAME, L"..\\escaped");
    ui::screenshot(saveAs, L"save-configuration-as-dialog.bmp");
    ui::click(saveAs, IDOK);
    refused = AnswerMessageBox();
    Expect(IsWindow(saveAs), L"Save As stays open");
    ui::type(saveAs, IDC_CONFIGURATION_NAME, L"Client B");
    ui::click(saveAs, IDOK);
    ui::waitGone(saveAs);
    ui::waitText(w, IDC_CURRENT_CONFIGURATION, L"Client B");

    ui::click(w, IDC_RESTORE_CONFIGURATION);
    AnswerMessageBox(IDYES);
    ui::waitText(w, IDC_CURRENT_CONFIGURATION, L"DEFAULT");
    afterRestore = ui::text(GetDlgItem(w, IDC_CURRENT_CONFIGURATION));

    ui::click(w, IDC_OPEN_SAVED);
    HWND open = ui::wait(L"Open");
    Expect(open != nullptr, L"the open-file dialog appears");
    if (open) {
      const std::wstring path = folder + L"Configuration\\Client B";
      // The file name box of the explorer-style dialog.
      SendMessageW(GetDlgItem(open, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
      PostMessageW(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      ui::waitGone(open);
    }
    ui::waitText(w, IDC_CURRENT_CONFIGURATION, L"Client B");
    afterOpen = ui::text(GetDlgItem(w, IDC_CURRENT_CONFIGURATION));
    styleAfterOpen = timestampStyle.beforeHours;
    ui::click(w, IDOK);
    ui::waitGone(w);
  });
  EXPECT_EQ(refused, kConfigurationNameNotPlainMessage);
  EXPECT_FALSE(ui::exists(folder + L"escaped"));
  EXPECT_FALSE(ui::exists(root + L"escaped"));
  EXPECT_TRUE(ui::exists(folder + L"Configuration\\Client B"));
  EXPECT_EQ(afterRestore, L"DEFAULT");
  EXPECT_EQ(afterOpen, L"Client B");
  EXPECT_EQ(styleAfterOpen, L"[");
  EXPECT_EQ(result, IDOK);
}

// The settings dialog opens Change Hotkeys; its DONE writes tolv3.cfg and the
// settings show the new key.
TEST_F(ConfigDialogs, ChangeHotkeysFromTheSettingsWritesTheFile) {
  std::wstring playField;
  CDlgSettings settings(*files, Links());
  Drive(settings, L"Settings", [&](HWND w) {
    ui::click(w, IDC_CHANGE_HOTKEYS);
    HWND change = ui::wait(L"Change Hotkeys");
    Expect(change != nullptr, L"Change Hotkeys appears");
    if (!change) return;
    ui::click(change, IDC_CHANGE);
    HWND press = ui::wait(L"Hotkeys");
    ui::postKey(press, 'A');
    Expect(ui::waitText(change, IDC_CURRENT_HOTKEY, L"A"), L"PLAY takes A");
    ui::click(change, IDC_DONE);
    ui::waitGone(change);
    ui::waitText(w, IDC_HOTKEY_FIELD_FIRST, L"A");
    playField = ui::text(GetDlgItem(w, IDC_HOTKEY_FIELD_FIRST));
    ui::click(w, IDCANCEL);
    ui::waitGone(w);
  });
  EXPECT_EQ(playField, L"A");
  // Cancel of the settings reads the file back, which DONE has written.
  EXPECT_EQ(HotkeyTable[HotkeyPlay - 1].keyName, L"A");
  EXPECT_EQ(HotkeyTable[HotkeyPlay - 1].virtualKey, 'A');
}

TEST_F(ConfigDialogs, KeyboardShortcutsOkSavesTheTexts) {
  CDlgSettings settings(*files, Links());
  bool flagLive = false;
  Drive(settings, L"Settings", [&](HWND w) {
    ui::click(w, IDC_SHORTCUTS_MENU);
    HWND shortcuts = ui::wait(L"Keyboard Shortcuts Configuration");
    Expect(shortcuts != nullptr, L"the shortcuts dialog appears");
    if (!shortcuts) return;
    Expect(ui::text(GetDlgItem(shortcuts, IDC_SHORTCUT_TEXT_FIRST)) == L"[unclear]", L"text 1");
    Expect(ui::text(GetDlgItem(shortcuts, IDC_SHORTCUT_TEXT_FIRST + 5)) == L"SPEED TOGGLE", L"row 6");
    ui::type(shortcuts, IDC_SHORTCUT_TEXT_FIRST + 1, L"Q: *** ");
    ui::click(shortcuts, IDC_SHORTCUT_DISABLE_FIRST + 1);
    flagLive = kit::waitFor([&] { return hotkeyDisabled[HotkeyShortcut1]; }, ui::kWait);
    ui::click(shortcuts, IDOK);
    ui::waitGone(shortcuts);
    ui::click(w, IDOK);
    ui::waitGone(w);
  });
  EXPECT_TRUE(flagLive);
  ResetConfigurationToFirstStart();
  LoadMainConfiguration(*files);
  EXPECT_EQ(HotkeyTable[HotkeyShortcut1].text, L"Q: *** ");
  EXPECT_TRUE(hotkeyDisabled[HotkeyShortcut1]);
}

TEST_F(ConfigDialogs, ConversionsBoxStoredAndWrittenOnOk) {
  CDlgSettings settings(*files, Links());
  ASSERT_EQ(convertMp3ToWav, 1);
  Drive(settings, L"Settings", [&](HWND w) {
    ui::click(w, IDC_CONVERSIONS_MENU);
    HWND conversions = ui::wait(L"Conversions");
    Expect(conversions != nullptr, L"the conversions dialog appears");
    if (!conversions) return;
    ui::screenshot(conversions, L"conversions-dialog.bmp");
    ui::click(conversions, IDC_CONVERT_MP3);
    Expect(kit::waitFor([&] { return convertMp3ToWav == 0; }, ui::kWait), L"stored when clicked");
    ui::click(conversions, IDOK);
    ui::waitGone(conversions);
    // The file holds it even though the settings are cancelled.
    ui::click(w, IDCANCEL);
    ui::waitGone(w);
  });
  EXPECT_EQ(convertMp3ToWav, 0);
}

// Wine reads "Managed" when a process starts: the dialogs are photographed,
// with their captions, in a second run of the tests that show them.
TEST_F(ConfigDialogs, ScreenshotsWithCaptions) {
  if (ui::takingScreenshots()) GTEST_SKIP() << "this is the run that takes them";
  SetEnvironmentVariableW(L"TOLV_DIALOG_SHOTS", L"1");
  kit::Child child;
  ASSERT_TRUE(child.start(L"tolv_configfiles_win32_tests.exe",
                          L"--gtest_filter=ConfigDialogs.SettingsDisableBoxChangedAndCancelled:"
                          L"ConfigDialogs.PhilipsWarningCancelKeepsTheBoxClear:"
                          L"ConfigDialogs.SaveAsAndOpenSavedConfigurationRoundTrip:"
                          L"ConfigDialogs.ConversionsBoxStoredAndWrittenOnOk"));
  SetEnvironmentVariableW(L"TOLV_DIALOG_SHOTS", nullptr);
  EXPECT_EQ(child.wait(180000), 0);
  for (const wchar_t* name : {L"settings-dialog.bmp", L"philips-warning-dialog.bmp", L"save-configuration-as-dialog.bmp",
                              L"conversions-dialog.bmp"})
    EXPECT_TRUE(ui::exists(kit::exeFolder() + name)) << std::string(name, name + wcslen(name));
}

}  // namespace
}  // namespace tolv
