#include "tolv/timestamps/TimestampCommands.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tolv/config/Settings.h"
#include "tolv/playback/tests/fakes/FakeMediaPlayer.h"
#include "tolv/playback/tests/fakes/FakeTolvForm.h"
#include "tolv/timestamps/StartOffset.h"
#include "tolv/timestamps/tests/fakes/FakeTextSink.h"

namespace tolv::testing {
namespace {

using Texts = std::vector<std::wstring>;

class TimestampCommandsTest : public ::testing::Test {
 protected:
  TimestampCommandsTest() { player.load(L"C:\\rec\\talk.wav", 7200); }
  void at(double seconds) { player.setCurrentPosition(seconds); }
  void restyle(void (*change)(TimestampStyle&)) {
    change(style);
    RebuildPatterns(style);
  }

  VirtualClock clock;
  FakeMediaPlayer player{clock};
  FakeMessageBoxes boxes;
  FakeTextSink sink;
  TimestampStyle style;
  int offset = 0;
  CTipHotkeysTable table = MakeDefaultHotkeys();
  CTimestampWriter writer{player, boxes, style, offset};
  CTimestampCommands commands{writer, sink, table};
};

TEST_F(TimestampCommandsTest, TimeStampTypesOncePerDistinctText) {
  at(83.6);
  commands.TimestampCommand();
  at(83.9);  // same second
  commands.TimestampCommand();
  at(84.2);
  commands.TimestampCommand();
  EXPECT_EQ((Texts{L"_00:01:23_", L"_00:01:24_"}), sink.typed);
  EXPECT_EQ(L"_00:01:24_", commands.lastManualTimestamp);
}

TEST_F(TimestampCommandsTest, TimeStampWritesTheFrameOfTheCurrentPosition) {
  restyle([](TimestampStyle& s) {
    s.showFrames = 1;
    s.framesPerSecond = 25;
    s.afterSeconds = L".";
  });
  at(10.5);
  commands.TimestampCommand();
  at(10.6);  // same second, next frames: a different text
  commands.TimestampCommand();
  EXPECT_EQ((Texts{L"_00:00:10.12", L"_00:00:10.15"}), sink.typed);
}

TEST_F(TimestampCommandsTest, InvalidPatternTypesNothingAndTellsTheTypistOnce) {
  restyle([](TimestampStyle& s) { s.afterSeconds = L"%"; });
  at(83.6);
  commands.TimestampCommand();
  at(90);
  commands.TimestampCommand();
  commands.TypeShortcut(0);  // a snippet without the marker is still typed
  EXPECT_EQ((Texts{L"[unclear]"}), sink.typed);
  ASSERT_EQ(1u, boxes.shown.size());
  EXPECT_EQ(kInvalidPatternMessage, boxes.shown[0].text);

  restyle([](TimestampStyle& s) { s.afterSeconds = L"%%"; });
  commands.TimestampCommand();
  EXPECT_EQ(L"_00:01:30%", sink.typed.back());

  restyle([](TimestampStyle& s) { s.afterSeconds = L"%"; });
  commands.TimestampCommand();
  EXPECT_EQ(2u, boxes.shown.size());  // broken again after it had worked
}

TEST_F(TimestampCommandsTest, MarkerBecomesTheTimestampWithZeroFrames) {
  struct Case {
    const wchar_t* text;
    bool frames;
    const wchar_t* expected;
  } cases[] = {
      {L"Speaker 1 *** said", false, L"Speaker 1 _00:01:23_ said"},
      {L"*** and ***", false, L"_00:01:23_ and _00:01:23_"},
      {L"****", false, L"_00:01:23_*"},
      {L"Speaker 1 ***:", true, L"Speaker 1 _00:01:23_00f:"},
      {L"no marker **", false, L"no marker **"},
      {L"", false, L""},
  };
  style.framesPerSecond = 25;
  style.afterFrames = L"f";
  at(83.6);
  for (const auto& c : cases) {
    style.showFrames = c.frames;
    EXPECT_EQ(std::wstring(c.expected), commands.ExpandTimestampMarker(c.text)) << c.text;
  }
}

TEST_F(TimestampCommandsTest, TextWithoutMarkerDoesNotAskThePlayer) {
  player.logCalls = true;
  EXPECT_EQ(L"[unclear]", commands.ExpandTimestampMarker(L"[unclear]"));
  EXPECT_TRUE(player.calls.empty());
}

TEST_F(TimestampCommandsTest, ShortcutsTypeTheirTextsEveryTime) {
  table[HotkeyShortcut1 + 2 - 1].text = L"Interviewer ***: ";
  at(65.4);
  commands.TypeShortcut(0);
  commands.TypeShortcut(0);
  commands.TypeShortcut(1);
  commands.TypeShortcut(2);
  commands.TypeShortcut(4);
  commands.TypeShortcut(5);   // not a shortcut
  commands.TypeShortcut(-1);  // not a shortcut
  EXPECT_EQ((Texts{L"[unclear]", L"[unclear]", L"[overtalking]", L"Interviewer _00:01:05_: ",
                   L"[type your text here]"}),
            sink.typed);
  EXPECT_TRUE(commands.lastManualTimestamp.empty());
}

TEST_F(TimestampCommandsTest, OffsetShiftsEveryTimestamp) {
  offset = -60;
  at(20.5);
  commands.TimestampCommand();
  EXPECT_EQ(L"_-00:00:39_", sink.typed.back());
  EXPECT_EQ(L"x _-00:00:39_", commands.ExpandTimestampMarker(L"x ***"));
}

class StartOffsetTest : public ::testing::Test {
 protected:
  StartOffsetTest() { ResetPlaybackSettings(); }
  ~StartOffsetTest() override { ResetPlaybackSettings(); }
  FakeMessageBoxes boxes;
};

TEST_F(StartOffsetTest, FieldsMakeTheOffsetOrKeepTheDialogOpen) {
  struct Case {
    const wchar_t *sign, *hours, *minutes, *seconds;
    bool accepted;
    int offset;               // when accepted
    const wchar_t* message;   // when refused
  } cases[] = {
      {L"+", L"01", L"02", L"03", true, 3723, nullptr},
      {L"-", L"00", L"01", L"00", true, -60, nullptr},
      {L"", L"", L"", L"", true, 0, nullptr},
      {L"+", L"abc", L"", L"5", true, 5, nullptr},
      {L"+", L"59", L"59", L"59", true, 59 * 3661, nullptr},
      {L"+", L"60", L"", L"", false, 0, L"Timestamps Start From: HOURS figure must be 0-59"},
      {L"+", L"00", L"-1", L"", false, 0, L"Timestamps Start From: MINUTES figure must be 0-59"},
      {L"+", L"00", L"00", L"99999999999", false, 0, L"Timestamps Start From: SECONDS figure must be 0-59"},
      {L"+", L"70", L"70", L"", false, 0, L"Timestamps Start From: HOURS figure must be 0-59"},
  };
  for (const auto& c : cases) {
    timestampOffset = 777;
    boxes.shown.clear();
    const bool accepted = ApplyTimestampsStartFrom(c.sign, c.hours, c.minutes, c.seconds, boxes);
    EXPECT_EQ(c.accepted, accepted) << c.hours << ":" << c.minutes << ":" << c.seconds;
    if (c.accepted) {
      EXPECT_EQ(c.offset, timestampOffset);
      EXPECT_TRUE(boxes.shown.empty());
      EXPECT_EQ(c.minutes, timestampOffsetMinutes);
    } else {
      EXPECT_EQ(777, timestampOffset);  // the offset in force stays
      ASSERT_EQ(1u, boxes.shown.size());
      EXPECT_EQ(c.message, boxes.shown[0].text);
    }
  }
}

}  // namespace
}  // namespace tolv::testing
