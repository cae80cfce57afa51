// The video hint as a real modal dialog, driven from a second thread the way
// a user would: its texts, and the check box that acts at every click.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "testsupport/win32/WinTest.h"
#include "tolv/config/Settings.h"
#include "tolv/playback/win32/VideoResizeHelpDialog.h"

namespace tolv {
namespace {

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

// The window can be found before its controls exist: wait until the dialog
// shows, which it does once they are all made.
HWND FindHint() {
  HWND found = nullptr;
  kit::waitFor(
      [&] {
        found = FindWindowW(L"#32770", L"Help");
        return found && IsWindowVisible(found) && GetDlgItem(found, IDOK);
      },
      20000);
  return found;
}

struct ClickCase {
  int initial;
  int clicks;
  int expected;
};

class VideoHintDialog : public ::testing::TestWithParam<ClickCase> {
 protected:
  void TearDown() override { ResetPlaybackSettings(); }
};

TEST_P(VideoHintDialog, CheckBoxSetsTheSettingAtEachClick) {
  const ClickCase c = GetParam();
  showVideoResizeHelp = c.initial;
  std::wstring text, box;
  bool checkedAtStart = false;
  int seenAfterFirstClick = -1;

  std::thread user([&] {
    HWND dialog = FindHint();
    if (!dialog) return;
    HWND check = GetDlgItem(dialog, VideoHelpHideNextTimeId);
    text = TextOf(GetDlgItem(dialog, VideoHelpTextId));
    box = TextOf(check);
    checkedAtStart = SendMessageW(check, BM_GETCHECK, 0, 0) == BST_CHECKED;
    for (int i = 0; i < c.clicks; ++i) {
      SendMessageW(check, BM_CLICK, 0, 0);
      if (i == 0) seenAfterFirstClick = showVideoResizeHelp;  // before OK: at once
    }
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  });
  CVideoResizeHelp hint;
  ShowVideoResizeHelpDialog(nullptr, hint);
  user.join();

  EXPECT_EQ(text, CVideoResizeHelp::kText);
  EXPECT_EQ(box, L"Hide next time");
  EXPECT_EQ(checkedAtStart, c.initial == 0);
  EXPECT_EQ(seenAfterFirstClick, c.initial ? 0 : 1);
  EXPECT_EQ(showVideoResizeHelp, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, VideoHintDialog,
                         ::testing::Values(ClickCase{1, 1, 0},    // ticked: hidden next time
                                           ClickCase{1, 2, 1},    // ticked and unticked
                                           ClickCase{0, 1, 1}));  // shown with the box ticked, unticked
}  // namespace
}  // namespace tolv
