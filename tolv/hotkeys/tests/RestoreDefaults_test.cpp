#include <gtest/gtest.h>

#include "tolv/hotkeys/HotkeyDispatcher.h"
#include "tolv/hotkeys/RestoreDefaults.h"
#include "tolv/hotkeys/tests/fakes/FakeHotkeyTarget.h"
#include "tolv/hotkeys/tests/fakes/ScopedHotkeyTables.h"

using namespace tolv;
using namespace testing_tolv;

namespace {

class RestoreDefaults : public ::testing::Test {
 protected:
  ScopedHotkeyTables tables;
  FakeMessageBox messages;
  FakeHotkeysGroup group;

  // The user has moved every hotkey to letters and rewritten the snippets.
  void Customise() {
    for (int i = 0; i < kHotkeyCount; ++i) {
      HotkeyTable[i].virtualKey = uint8_t(0x41 + i);
      HotkeyTable[i].keyName = std::wstring(1, wchar_t(0x41 + i));
      if (!HotkeyTable[i].text.empty()) HotkeyTable[i].text = L"mine " + std::to_wstring(i);
      hotkeyDisabled[i] = i % 2 == 0;
    }
  }
};

TEST_F(RestoreDefaults, NoLeavesEverything) {
  Customise();
  const CTipHotkeysTable before = HotkeyTable;
  const auto flags = hotkeyDisabled;
  messages.answer = MessageBoxAnswer::No;
  EXPECT_FALSE(RestoreDefaultHotkeys(messages, group));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text,
            L"Are you sure you want to restore all hotkeys to the default settings?");
  EXPECT_EQ(messages.shown[0].kind, MessageBoxKind::YesNo);
  EXPECT_EQ(HotkeyTable, before);
  EXPECT_EQ(hotkeyDisabled, flags);
  EXPECT_EQ(group.refreshes, 0);
  EXPECT_TRUE(group.timestampStart.empty());
}

TEST_F(RestoreDefaults, YesRestoresAllButTheShortcuts) {
  Customise();
  const CTipHotkeysTable before = HotkeyTable;
  const auto flags = hotkeyDisabled;
  EXPECT_TRUE(RestoreDefaultHotkeys(messages, group));

  const CTipHotkeysTable defaults = MakeDefaultHotkeys();
  for (int i = 0; i < kHotkeyCount; ++i) {
    const int id = i + 1;
    const bool shortcut = id >= 6 && id <= 10;
    EXPECT_EQ(HotkeyTable[i], shortcut ? before[i] : defaults[i]) << "id " << id;
  }
  EXPECT_EQ(hotkeyDisabled, flags);
  EXPECT_EQ(group.refreshes, 1);
  EXPECT_EQ(group.timestampStart, std::vector<std::wstring>{L"00"});
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[1].text, L"Hotkeys have been restored to default settings");
  EXPECT_EQ(messages.shown[1].kind, MessageBoxKind::Information);
}

// The defaults come from the table kept at start-up, not from the factory list.
TEST_F(RestoreDefaults, CopiesFromTheStartUpTable) {
  DefaultHotkeyTable[1].virtualKey = 0x53;
  DefaultHotkeyTable[1].keyName = L"S";
  HotkeyTable[1].virtualKey = 0x54;
  RestoreDefaultHotkeys(messages, group);
  EXPECT_EQ(HotkeyTable[1].virtualKey, 0x53);
  EXPECT_EQ(HotkeyTable[1].keyName, L"S");
}

// PLAY moved away and F1 given to shortcut 1: after the restore both hold F1, and
// F1 acts as PLAY only.
TEST_F(RestoreDefaults, KeyTakenByAShortcutIsSharedAndPlayWins) {
  HotkeyTable[0].virtualKey = 0x50;
  HotkeyTable[0].keyName = L"P";
  HotkeyTable[5].virtualKey = 0x70;
  HotkeyTable[5].keyName = L"F1";
  RestoreDefaultHotkeys(messages, group);
  EXPECT_EQ(HotkeyTable[0].virtualKey, 0x70);
  EXPECT_EQ(HotkeyTable[5].virtualKey, 0x70);

  FakeHotkeyTarget target;
  HotkeyDispatcher dispatcher(target);
  EXPECT_EQ(dispatcher.Dispatch({kKeyDown, 0x70}), 1);
  EXPECT_EQ(dispatcher.Dispatch({kKeyUp, 0x70}), 1);
  EXPECT_EQ(target.calls,
            (std::vector<std::string>{"SetHeld(PLAY,1)", "PlayToggle", "SetHeld(PLAY,0)"}));
}

}  // namespace
