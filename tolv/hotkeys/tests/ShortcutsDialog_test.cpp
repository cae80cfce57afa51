#include "tolv/hotkeys/ShortcutsDialog.h"

#include <gtest/gtest.h>

#include "tolv/hotkeys/Hotkeys.h"
#include "tolv/hotkeys/tests/fakes/ScopedHotkeyTables.h"

namespace tolv {
namespace {

TEST(ShortcutsDialog, OpensWithTextsKeysAndFlags) {
  testing_tolv::ScopedHotkeyTables tables;
  CShortcutsDialogLogic dialog(nullptr);
  auto rows = dialog.Open();
  struct Expected { const wchar_t* left; bool editable; const wchar_t* key; bool disabled; } expected[] = {
      {L"[unclear]", true, L"F2", false},
      {L"[overtalking]", true, L"F3", false},
      {L"[type your text here]", true, L"F6", false},
      {L"[type your text here]", true, L"F10", false},
      {L"[type your text here]", true, L"F11", false},
      {L"SPEED TOGGLE", false, L"NUMPAD5", true},
      {L"INCREASE SPEED", false, L"NUMPAD8", true},
      {L"DECREASE SPEED", false, L"NUMPAD2", true},
  };
  for (int r = 0; r < kShortcutRows; ++r) {
    SCOPED_TRACE(r);
    EXPECT_EQ(expected[r].left, rows[r].left);
    EXPECT_EQ(expected[r].editable, rows[r].leftEditable);
    EXPECT_EQ(expected[r].key, rows[r].keyName);
    EXPECT_EQ(expected[r].disabled, rows[r].disabled);
  }
}

TEST(ShortcutsDialog, ACheckBoxActsAtOnceAndCancelKeepsItButNotTheTexts) {
  testing_tolv::ScopedHotkeyTables tables;
  int saves = 0;
  CShortcutsDialogLogic dialog([&] { ++saves; });
  dialog.Open();
  dialog.OnDisableClicked(0, true);  // shortcut 1, record 6
  dialog.OnDisableClicked(5, false); // SPEED TOGGLE, record 14
  dialog.OnDisableClicked(8, true);  // no such row: ignored
  dialog.OnCancel();
  EXPECT_TRUE(hotkeyDisabled[HotkeyShortcut1 - 1]);
  EXPECT_FALSE(hotkeyDisabled[HotkeySpeedToggle - 1]);
  EXPECT_EQ(L"[unclear]", HotkeyTable[HotkeyShortcut1 - 1].text);
  EXPECT_EQ(0, saves);
}

TEST(ShortcutsDialog, OkStoresTheFiveTextsInOrderAndSaves) {
  testing_tolv::ScopedHotkeyTables tables;
  int saves = 0;
  CShortcutsDialogLogic dialog([&] { ++saves; });
  dialog.OnOk({L"Q: ***:", L"", L"[laughs]", L"A:", L"[crosstalk]"});
  EXPECT_EQ(L"Q: ***:", HotkeyTable[5].text);
  EXPECT_EQ(L"", HotkeyTable[6].text) << "empty texts are accepted";
  EXPECT_EQ(L"[laughs]", HotkeyTable[7].text);
  EXPECT_EQ(L"A:", HotkeyTable[8].text);
  EXPECT_EQ(L"[crosstalk]", HotkeyTable[9].text);
  EXPECT_EQ(1, saves);
}

}  // namespace
}  // namespace tolv
