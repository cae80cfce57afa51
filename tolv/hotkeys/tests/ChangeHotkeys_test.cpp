#include "tolv/hotkeys/ChangeHotkeys.h"

#include <gtest/gtest.h>

#include "tolv/hotkeys/Hotkeys.h"

using namespace tolv;

namespace {

class ChangeHotkeys : public ::testing::Test {
 protected:
  void SetUp() override { FillDefaultHotkeys(); }
  void TearDown() override { FillDefaultHotkeys(); }

  // What "Change" followed by a key press does in the dialogs: refused when in use.
  bool Change(const std::wstring& name, uint8_t key) {
    if (KeyInUse(key)) return false;
    AssignHotkey(name, key);
    return true;
  }
};

TEST_F(ChangeHotkeys, ListAndCurrentLabel) {
  const auto names = HotkeyListNames();
  ASSERT_EQ(names.size(), size_t(kHotkeyCount));
  EXPECT_EQ(names.front(), L"PLAY");
  EXPECT_EQ(names[12], L"BOOKMARK");
  EXPECT_EQ(CurrentHotkeyLabel(L"BOOKMARK"), L"SCROLL");
  EXPECT_EQ(CurrentHotkeyLabel(L"no such hotkey"), L"");
}

TEST_F(ChangeHotkeys, PlayMovesToAAndFreesF1) {
  EXPECT_TRUE(KeyInUse(0x70));
  EXPECT_EQ(AssignHotkey(L"PLAY", 0x41), L"A");
  EXPECT_EQ(HotkeyTable[HotkeyPlay - 1].virtualKey, 0x41);
  EXPECT_EQ(HotkeyTable[HotkeyPlay - 1].keyName, L"A");
  EXPECT_FALSE(KeyInUse(0x70));
  EXPECT_TRUE(KeyInUse(0x41));
}

// Its own key counts as in use too, and a direct swap is refused; the way
// through a temporary key works step by step.
TEST_F(ChangeHotkeys, SwapGoesThroughATemporaryKey) {
  EXPECT_FALSE(Change(L"PLAY", 0x70));
  EXPECT_FALSE(Change(L"Keyboard Shortcut 1", 0x70));  // F2 -> F1 while F1 is PLAY's
  EXPECT_TRUE(Change(L"Keyboard Shortcut 1", 'A'));
  EXPECT_TRUE(Change(L"PLAY", 0x71));  // F1 -> the freed F2
  EXPECT_TRUE(Change(L"Keyboard Shortcut 1", 0x70));
  EXPECT_EQ(HotkeyTable[HotkeyPlay - 1].keyName, L"F2");
  EXPECT_EQ(HotkeyTable[HotkeyShortcut1 - 1].keyName, L"F1");
  EXPECT_EQ(HotkeyTable[HotkeyShortcut1 - 1].text, L"[unclear]");
}

TEST_F(ChangeHotkeys, NavigationKeysGetTheirLabels) {
  const struct {
    uint8_t key;
    const wchar_t* label;
  } cases[] = {{0x0D, L"ENTER"}, {0x09, L"TAB"}, {0x25, L"LEFT"}, {0x26, L"UP"}, {0x27, L"RIGHT"}, {0x28, L"DOWN"}};
  for (const auto& c : cases) EXPECT_EQ(AssignHotkey(L"STOP", c.key), c.label) << int(c.key);
}

}  // namespace
