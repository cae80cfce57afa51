// "Restore defaults" through real message boxes, answered by a second thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "testsupport/win32/WinTest.h"
#include "tolv/hotkeys/RestoreDefaults.h"
#include "tolv/hotkeys/win32/Win32KeyboardHook.h"

using namespace tolv;

namespace {

struct SeenBox {
  std::wstring text;
  bool yes, no, ok;
};

struct Group : IHotkeysGroup {
  int refreshes = 0;
  std::wstring start;
  void RefreshKeyFields() override { ++refreshes; }
  void SetTimestampStartFields(const std::wstring& text) override { start = text; }
};

BOOL CALLBACK CollectText(HWND child, LPARAM param) {
  wchar_t text[512] = {};
  GetWindowTextW(child, text, 512);
  auto* all = reinterpret_cast<std::vector<std::wstring>*>(param);
  all->push_back(text);
  return TRUE;
}

// Finds the message box with this caption, records it and presses the answer.
bool Answer(const std::wstring& caption, WORD answer, const std::wstring& expected,
            std::vector<SeenBox>& seen) {
  HWND box = nullptr;
  if (!kit::waitFor([&] { return (box = FindWindowW(L"#32770", caption.c_str())) != nullptr; },
                    10000))
    return false;
  std::vector<std::wstring> texts;
  // The text control may be filled just after the box appears.
  kit::waitFor(
      [&] {
        texts.clear();
        EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&texts));
        for (const auto& t : texts)
          if (t == expected) return true;
        return false;
      },
      5000);
  SeenBox s{};
  for (const auto& t : texts)
    if (t == expected) s.text = t;
  s.yes = GetDlgItem(box, IDYES) != nullptr;
  s.no = GetDlgItem(box, IDNO) != nullptr;
  s.ok = GetDlgItem(box, IDOK) != nullptr;
  seen.push_back(s);
  PostMessageW(box, WM_COMMAND, answer, 0);
  return kit::waitFor([&] { return !IsWindow(box); }, 10000);
}

class RestoreDefaultsBoxes : public ::testing::Test {
 protected:
  CTipHotkeysTable saved = HotkeyTable;
  std::wstring caption = kit::uniqueName(L"tolv");
  Win32MessageBox messages{nullptr, caption};
  Group group;
  std::vector<SeenBox> seen;

  void SetUp() override {
    FillDefaultHotkeys();
    HotkeyTable[0].virtualKey = 0x50;  // PLAY moved to P
    HotkeyTable[0].keyName = L"P";
  }
  void TearDown() override { HotkeyTable = saved; }
};

TEST_F(RestoreDefaultsBoxes, YesRestoresAndInforms) {
  std::atomic<bool> answered{false};
  std::thread user([&] {
    answered = Answer(caption, IDYES, kRestoreDefaultsQuestion, seen) &&
               Answer(caption, IDOK, kRestoreDefaultsDone, seen);
  });
  const bool restored = RestoreDefaultHotkeys(messages, group);
  user.join();
  ASSERT_TRUE(answered);
  EXPECT_TRUE(restored);
  EXPECT_EQ(HotkeyTable[0].virtualKey, 0x70);
  EXPECT_EQ(HotkeyTable[0].keyName, L"F1");
  EXPECT_EQ(group.refreshes, 1);
  EXPECT_EQ(group.start, L"00");
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].text, kRestoreDefaultsQuestion);
  EXPECT_TRUE(seen[0].yes && seen[0].no);
  EXPECT_FALSE(seen[0].ok);
  EXPECT_EQ(seen[1].text, kRestoreDefaultsDone);
  EXPECT_TRUE(seen[1].ok);
  EXPECT_FALSE(seen[1].yes);
}

TEST_F(RestoreDefaultsBoxes, NoChangesNothing) {
  std::atomic<bool> answered{false};
  std::thread user([&] { answered = Answer(caption, IDNO, kRestoreDefaultsQuestion, seen); });
  const bool restored = RestoreDefaultHotkeys(messages, group);
  user.join();
  ASSERT_TRUE(answered);
  EXPECT_FALSE(restored);
  EXPECT_EQ(HotkeyTable[0].virtualKey, 0x50);
  EXPECT_EQ(group.refreshes, 0);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, kRestoreDefaultsQuestion);
}

}  // namespace
