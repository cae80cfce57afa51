// The hotkey editing dialogs driven as a person would: the dialog runs modal
// on the test's thread while a second thread finds its windows, clicks,
// presses keys and answers the message boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "testsupport/win32/DialogDriver.h"
#include "tolv/hotkeys/Hotkeys.h"
#include "tolv/hotkeys/tests/fakes/ScopedHotkeyTables.h"
#include "tolv/hotkeys/win32/HotkeyDialogIds.h"
#include "tolv/hotkeys/win32/HotkeyDialogs.h"

namespace tolv {
namespace {

namespace ui = kit::dialogs;

std::wstring AnswerMessageBox() { return ui::answerMessageBox(kHotkeyDialogCaption); }

class HotkeyDialogs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ui::drawCaptionsInNextRun(); }

  testing_tolv::ScopedHotkeyTables tables;
  int saves = 0;
  HWND frame = nullptr;  // stands in for the settings dialog
  std::vector<std::wstring> failures;

  void SetUp() override {
    frame = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                            nullptr, nullptr);
  }
  void TearDown() override { DestroyWindow(frame); }

  SaveMainConfigurationFn Save() {
    return [this] { ++saves; };
  }
  void Expect(bool ok, const wchar_t* what) {
    if (!ok) failures.push_back(what);
  }
  INT_PTR Drive(CDialog& dialog, const std::wstring& title, const std::function<void(HWND)>& drive) {
    const INT_PTR result = ui::driveModal([&] { return dialog.DoModal(frame); }, title, drive, failures);
    for (const auto& failure : failures) ADD_FAILURE() << std::string(failure.begin(), failure.end());
    return result;
  }

  // Change: picks the hotkey, opens Press key and presses the key there.
  HWND PressOn(HWND w, int hotkeyIndex, UINT key) {
    ui::pick(w, IDC_HOTKEY_LIST, hotkeyIndex);
    ui::click(w, IDC_CHANGE);
    HWND press = ui::wait(L"Hotkeys");
    Expect(press != nullptr, L"Press key appears");
    ui::postKey(press, key);
    return press;
  }
};

TEST_F(HotkeyDialogs, ChangePlayToA) {
  std::wstring shown;
  CDlgChangeHotkeys dialog(Save());
  Drive(dialog, L"Change Hotkeys", [&](HWND w) {
    Expect(ui::text(GetDlgItem(w, IDC_HOTKEY_LIST)) == L"PLAY", L"PLAY is selected first");
    Expect(ui::text(GetDlgItem(w, IDC_CURRENT_HOTKEY)) == L"F1", L"PLAY's key is shown");
    ui::screenshot(w, L"change-hotkeys-dialog.bmp");
    ui::click(w, IDC_CHANGE);
    HWND press = ui::wait(L"Hotkeys");
    Expect(press != nullptr, L"Press key appears");
    if (press) ui::screenshot(press, L"press-key-dialog.bmp");
    ui::postKey(press, 'A');
    ui::waitText(w, IDC_CURRENT_HOTKEY, L"A");
    shown = ui::text(GetDlgItem(w, IDC_CURRENT_HOTKEY));
    ui::click(w, IDC_DONE);
    ui::waitGone(w);
  });
  EXPECT_EQ(shown, L"A");
  EXPECT_EQ(HotkeyTable[HotkeyPlay - 1].virtualKey, 'A');
  EXPECT_EQ(HotkeyTable[HotkeyPlay - 1].keyName, L"A");
  EXPECT_EQ(saves, 1) << "DONE writes the main configuration";
}

TEST_F(HotkeyDialogs, KeyInUseIsRefusedAndEscCancels) {
  std::wstring message;
  bool pressStillOpen = false;
  CDlgChangeHotkeys dialog(Save());
  Drive(dialog, L"Change Hotkeys", [&](HWND w) {
    ui::click(w, IDC_CHANGE);
    HWND press = ui::wait(L"Hotkeys");
    ui::postKey(press, VK_F1);  // PLAY's own key
    message = AnswerMessageBox();
    pressStillOpen = IsWindow(press);
    ui::postKey(press, VK_ESCAPE);
    Expect(ui::waitGone(press), L"Esc closes Press key");
    ui::click(w, IDC_DONE);
    ui::waitGone(w);
  });
  EXPECT_EQ(message, L"ERROR: that key is already in use. ");
  EXPECT_TRUE(pressStillOpen);
  EXPECT_EQ(HotkeyTable[HotkeyPlay - 1].virtualKey, VK_F1);
  EXPECT_EQ(HotkeyTable[HotkeyPlay - 1].keyName, L"F1");
}

TEST_F(HotkeyDialogs, SwapThroughATemporaryKey) {
  std::wstring refused;
  CDlgChangeHotkeys dialog(Save());
  Drive(dialog, L"Change Hotkeys", [&](HWND w) {
    auto change = [&](int index, UINT key, const std::wstring& label) {
      HWND press = PressOn(w, index, key);
      Expect(ui::waitText(w, IDC_CURRENT_HOTKEY, label), L"the new key is shown");
      ui::waitGone(press);
    };
    // Keyboard Shortcut 1 (F2) straight to F1: refused.
    HWND press = PressOn(w, HotkeyShortcut1 - 1, VK_F1);
    refused = AnswerMessageBox();
    ui::postKey(press, VK_ESCAPE);
    ui::waitGone(press);

    change(HotkeyShortcut1 - 1, 'A', L"A");
    change(HotkeyPlay - 1, VK_F2, L"F2");
    change(HotkeyShortcut1 - 1, VK_F1, L"F1");
    ui::click(w, IDC_DONE);
    ui::waitGone(w);
  });
  EXPECT_EQ(refused, L"ERROR: that key is already in use. ");
  EXPECT_EQ(HotkeyTable[HotkeyPlay - 1].keyName, L"F2");
  EXPECT_EQ(HotkeyTable[HotkeyShortcut1 - 1].keyName, L"F1");
  EXPECT_EQ(HotkeyTable[HotkeyShortcut1 - 1].virtualKey, VK_F1);
}

// Wine lists no HID-class device, so the record of the WM_INPUT message comes
// from a reader double: a pedal's report whose first byte is STOP's key.
TEST_F(HotkeyDialogs, HidReportByteIsCaptured) {
  int reads = 0;
  CDlgChangeHotkeys dialog(Save(), [&](HRAWINPUT input) -> std::optional<RawInputRecord> {
    ++reads;
    if (input != reinterpret_cast<HRAWINPUT>(0x5150)) return std::nullopt;
    return RawInputRecord{RawTypeHid, 2, 1, {0x73, 0x04}};
  });
  Drive(dialog, L"Change Hotkeys", [&](HWND w) {
    ui::click(w, IDC_CHANGE);
    HWND press = ui::wait(L"Hotkeys");
    PostMessageW(press, WM_INPUT, RIM_INPUT, 0x5150);
    Expect(ui::waitText(w, IDC_CURRENT_HOTKEY, L"F4"), L"the byte becomes the key");
    Expect(ui::waitGone(press), L"Press key closes");
    ui::click(w, IDC_DONE);
    ui::waitGone(w);
  });
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(HotkeyTable[HotkeyPlay - 1].virtualKey, 0x73) << "no in-use test for a pedal's byte";
}

TEST_F(HotkeyDialogs, KeyboardShortcutsOkTakesTheTextsAndCancelKeepsThem) {
  bool flagLive = false;
  CDlgKeyboardShortcuts ok(Save());
  const INT_PTR okResult = Drive(ok, L"Keyboard Shortcuts Configuration", [&](HWND w) {
    Expect(ui::text(GetDlgItem(w, IDC_SHORTCUT_TEXT_FIRST)) == L"[unclear]", L"text 1");
    Expect(ui::text(GetDlgItem(w, IDC_SHORTCUT_KEY_FIRST)) == L"F2", L"key 1");
    Expect(ui::text(GetDlgItem(w, IDC_SHORTCUT_TEXT_FIRST + 5)) == L"SPEED TOGGLE", L"row 6");
    Expect(!IsWindowEnabled(GetDlgItem(w, IDC_SHORTCUT_TEXT_FIRST + 5)), L"row 6 is not editable");
    ui::screenshot(w, L"keyboard-shortcuts-dialog.bmp");
    ui::type(w, IDC_SHORTCUT_TEXT_FIRST + 1, L"Q: *** ");
    ui::click(w, IDC_SHORTCUT_DISABLE_FIRST + 1);
    flagLive = kit::waitFor([&] { return hotkeyDisabled[HotkeyShortcut1]; }, ui::kWait);
    ui::click(w, IDOK);
    ui::waitGone(w);
  });
  EXPECT_EQ(okResult, IDOK);
  EXPECT_TRUE(flagLive);
  EXPECT_EQ(HotkeyTable[HotkeyShortcut1].text, L"Q: *** ");
  EXPECT_EQ(saves, 1);

  CDlgKeyboardShortcuts cancel(Save());
  Drive(cancel, L"Keyboard Shortcuts Configuration", [&](HWND w) {
    ui::type(w, IDC_SHORTCUT_TEXT_FIRST, L"gone");
    ui::click(w, IDCANCEL);
    ui::waitGone(w);
  });
  EXPECT_EQ(HotkeyTable[HotkeyShortcut1 - 1].text, L"[unclear]");
  EXPECT_EQ(saves, 1) << "Cancel writes nothing";
}

// Wine reads "Managed" when a process starts: the dialogs are photographed,
// with their captions, in a second run of the tests that show them.
TEST_F(HotkeyDialogs, ScreenshotsWithCaptions) {
  if (ui::takingScreenshots()) GTEST_SKIP() << "this is the run that takes them";
  SetEnvironmentVariableW(L"TOLV_DIALOG_SHOTS", L"1");
  kit::Child child;
  ASSERT_TRUE(child.start(L"tolv_hotkeys_win32_tests.exe",
                          L"--gtest_filter=HotkeyDialogs.ChangePlayToA:"
                          L"HotkeyDialogs.KeyboardShortcutsOkTakesTheTextsAndCancelKeepsThem"));
  SetEnvironmentVariableW(L"TOLV_DIALOG_SHOTS", nullptr);
  EXPECT_EQ(child.wait(180000), 0);
  for (const wchar_t* name : {L"change-hotkeys-dialog.bmp", L"press-key-dialog.bmp", L"keyboard-shortcuts-dialog.bmp"})
    EXPECT_TRUE(ui::exists(kit::exeFolder() + name)) << std::string(name, name + wcslen(name));
}

}  // namespace
}  // namespace tolv
