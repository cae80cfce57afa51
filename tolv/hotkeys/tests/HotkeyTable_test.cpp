#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tolv/hotkeys/Hotkeys.h"
#include "tolv/hotkeys/KeyNames.h"
#include "tolv/hotkeys/tests/fakes/ScopedHotkeyTables.h"

using namespace tolv;

namespace {

struct DefaultCase {
  int id;
  const wchar_t* name;
  const wchar_t* keyName;
  uint8_t virtualKey;
  const wchar_t* text;
  bool disabled;
};

const DefaultCase kDefaults[] = {
    {1, L"PLAY", L"F1", 0x70, L"", false},
    {2, L"STOP", L"F4", 0x73, L"", false},
    {3, L"REW", L"F7", 0x76, L"", false},
    {4, L"FF", L"F8", 0x77, L"", false},
    {5, L"TIME STAMP", L"F9", 0x78, L"", false},
    {6, L"Keyboard Shortcut 1", L"F2", 0x71, L"[unclear]", false},
    {7, L"Keyboard Shortcut 2", L"F3", 0x72, L"[overtalking]", false},
    {8, L"Keyboard Shortcut 3", L"F6", 0x75, L"[type your text here]", false},
    {9, L"Keyboard Shortcut 4", L"F10", 0x79, L"[type your text here]", false},
    {10, L"Keyboard Shortcut 5", L"F11", 0x7A, L"[type your text here]", false},
    {11, L"PX", L"F12", 0x7B, L"", false},
    {12, L"RX", L"F5", 0x74, L"", false},
    {13, L"BOOKMARK", L"SCROLL", 0x91, L"", false},
    {14, L"SPEED TOGGLE", L"NUMPAD5", 0x65, L"", true},
    {15, L"INCREASE SPEED", L"NUMPAD8", 0x68, L"", true},
    {16, L"DECREASE SPEED", L"NUMPAD2", 0x62, L"", true},
};

TEST(HotkeyTable, FactoryRecordsAndFlags) {
  testing_tolv::ScopedHotkeyTables tables;
  for (const DefaultCase& c : kDefaults) {
    SCOPED_TRACE(c.id);
    for (const CTipHotkeysTable* table : {&HotkeyTable, &DefaultHotkeyTable}) {
      const CTipHotkeys& record = (*table)[c.id - 1];
      EXPECT_EQ(record.id, c.id);
      EXPECT_EQ(record.name, c.name);
      EXPECT_EQ(record.keyName, c.keyName);
      EXPECT_EQ(record.virtualKey, c.virtualKey);
      EXPECT_EQ(record.text, c.text);
    }
    EXPECT_EQ(hotkeyDisabled[c.id - 1], c.disabled);
  }
}

TEST(HotkeyTable, StartUpRefillsBothTablesButLeavesFlags) {
  testing_tolv::ScopedHotkeyTables tables;
  HotkeyTable[0].virtualKey = 0x41;
  DefaultHotkeyTable[4].text = L"changed";
  hotkeyDisabled[0] = true;
  FillDefaultHotkeys();
  EXPECT_EQ(HotkeyTable, MakeDefaultHotkeys());
  EXPECT_EQ(DefaultHotkeyTable, MakeDefaultHotkeys());
  EXPECT_TRUE(hotkeyDisabled[0]);
}

TEST(HotkeyTable, FindsRecordsByName) {
  testing_tolv::ScopedHotkeyTables tables;
  ASSERT_NE(FindHotkeyByName(L"RX"), nullptr);
  EXPECT_EQ(FindHotkeyByName(L"RX")->id, 12);
  EXPECT_EQ(FindHotkeyByName(L"Keyboard Shortcut 3"), &HotkeyTable[7]);
  EXPECT_EQ(FindHotkeyByName(L"play"), nullptr);
  EXPECT_EQ(FindHotkeyByName(L""), nullptr);
}

// The last-match rule of KeyLabelFor depends on the order of the table.
TEST(KeyNameTable, IsOrderedByNameAndFollowsTheRules) {
  for (size_t i = 1; i < KeyNameTable.size(); ++i)
    EXPECT_LT(std::wstring(KeyNameTable[i - 1].name), std::wstring(KeyNameTable[i].name)) << i;
  for (int n = 1; n <= 16; ++n) {
    auto it = std::find_if(KeyNameTable.begin(), KeyNameTable.end(), [&](const KeyName& e) {
      return std::wstring(e.name) == L"F" + std::to_wstring(n);
    });
    ASSERT_NE(it, KeyNameTable.end()) << n;
    EXPECT_EQ(it->code, 0x6F + n);
    EXPECT_EQ(it->kind, KeyName::Key);
  }
  for (int n = 0; n <= 9; ++n) {
    auto it = std::find_if(KeyNameTable.begin(), KeyNameTable.end(), [&](const KeyName& e) {
      return std::wstring(e.name) == L"NUMPAD" + std::to_wstring(n);
    });
    ASSERT_NE(it, KeyNameTable.end()) << n;
    EXPECT_EQ(it->code, 0x60 + n);
  }
  std::set<std::wstring> characters;
  for (const KeyName& e : KeyNameTable)
    if (e.kind == KeyName::Character) characters.insert(e.name);
  EXPECT_EQ(characters, (std::set<std::wstring>{L"AT", L"CARET", L"LEFTBRACE", L"LEFTPAREN",
                                                L"PERCENT", L"PLUS", L"RIGHTBRACE", L"RIGHTPAREN",
                                                L"TILDE"}));
}

struct LabelCase {
  uint8_t code;
  std::wstring label;
};

class KeyLabel : public ::testing::TestWithParam<LabelCase> {};

TEST_P(KeyLabel, For) { EXPECT_EQ(KeyLabelFor(GetParam().code), GetParam().label); }

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyLabel,
    ::testing::Values(
        LabelCase{0x41, L"A"}, LabelCase{0x5A, L"Z"}, LabelCase{0x37, L"7"},
        LabelCase{0x30, L"0"}, LabelCase{0x3A, L":"},  // between digits and letters: its own character
        LabelCase{0x40, L"@"},                         // AT is a character entry, never a key label
        LabelCase{0x70, L"F1"}, LabelCase{0x7B, L"F12"},  // not LEFTBRACE
        LabelCase{0x7D, L"F14"},                          // not RIGHTBRACE
        LabelCase{0x7F, L"F16"}, LabelCase{0x25, L"LEFT"},  // not PERCENT
        LabelCase{0x28, L"DOWN"},                            // not LEFTPAREN
        LabelCase{0x0D, L"ENTER"}, LabelCase{0x08, L"BS"}, LabelCase{0x2E, L"DELETE"},
        LabelCase{0x1B, L"ESCAPE"}, LabelCase{0x5B, L"WIN"}, LabelCase{0x5C, L"RWIN"},
        LabelCase{0x65, L"NUMPAD5"}, LabelCase{0x91, L"SCROLL"}, LabelCase{0x03, L"BREAK"},
        LabelCase{0x5E, L"^"},  // CARET is a character entry
        LabelCase{0xBA, std::wstring(1, wchar_t(0xBA))},  // in no entry
        LabelCase{0x20, L" "}, LabelCase{0xFF, std::wstring(1, wchar_t(0xFF))}));

}  // namespace
