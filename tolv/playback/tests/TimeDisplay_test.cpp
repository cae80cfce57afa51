#include <gtest/gtest.h>

#include "tolv/playback/CMySliders.h"
#include "tolv/playback/DlgPlaypointSet.h"
#include "tolv/playback/TimeText.h"
#include "tolv/playback/tests/ViewFixture.h"

namespace tolv::testing {
namespace {

// ---------------------------------------------------------------- time texts

struct TimeTextCase {
  long long seconds;
  const wchar_t* label;
  const wchar_t* title;
};

class TimeTexts : public ::testing::TestWithParam<TimeTextCase> {};

TEST_P(TimeTexts, LabelAndTitleForms) {
  EXPECT_EQ(FormatHMS(GetParam().seconds).view(), GetParam().label);
  EXPECT_EQ(FormatTitleTime(GetParam().seconds).view(), GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(Table, TimeTexts,
                         ::testing::Values(TimeTextCase{0, L"00:00:00", L"00:00"},
                                           TimeTextCase{65, L"00:01:05", L"01:05"},
                                           TimeTextCase{3599, L"00:59:59", L"59:59"},
                                           TimeTextCase{3600, L"01:00:00", L"01:00:00"},
                                           TimeTextCase{86399, L"23:59:59", L"23:59:59"},
                                           // A span's hours wrap at a day.
                                           TimeTextCase{86400 + 61, L"00:01:01", L"01:01"},
                                           TimeTextCase{-3, L"00:00:00", L"00:00"}));

struct IntegerCase {
  const wchar_t* text;
  int value;
};

class Integers : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(Integers, ReadLikeAnEditReadsThem) { EXPECT_EQ(ReadInteger(GetParam().text), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(Table, Integers,
                         ::testing::Values(IntegerCase{L"70", 70}, IntegerCase{L" -12", -12}, IntegerCase{L"word", 0},
                                           IntegerCase{L"", 0}, IntegerCase{L"42abc", 42},
                                           IntegerCase{L"99999999999999999999", 2147483647},
                                           IntegerCase{L"-99999999999999999999", -2147483647 - 1}));

// ----------------------------------------------------------- position timer

using TimeDisplay = ViewTest;

TEST_F(TimeDisplay, TitleTurnsFrom5959To010000) {
  load(7200, 3598.5);
  view.PlayToggle();
  run(600);  // position 3599.1
  EXPECT_EQ(form.title, L"59:59");
  EXPECT_EQ(form.label(LabelId::Position), L"00:59:59");
  run(1000);
  EXPECT_EQ(form.title, L"01:00:00");
  EXPECT_EQ(form.label(LabelId::Position), L"01:00:00");
  EXPECT_EQ(form.label(LabelId::Duration), L"02:00:00");
  EXPECT_EQ(form.pos(SliderId::Position), 3600);
  EXPECT_EQ(form.sliderState(SliderId::Position).max, 7200);
  EXPECT_EQ(form.sliderState(SliderId::Position).ticFreq, 1);
}

TEST_F(TimeDisplay, RemainingTimeCountsDownFromTheDuration) {
  displayTimeRemaining = true;
  load(90, 30);
  run(100);
  EXPECT_EQ(form.label(LabelId::Position), L"00:01:00");
  EXPECT_EQ(form.title, L"01:00");
  EXPECT_EQ(form.pos(SliderId::Position), 30);
}

TEST_F(TimeDisplay, PausedNearTheStartEmptiesTheLabelAndKeepsTheTitle) {
  load(90, 20);
  run(100);
  ASSERT_EQ(form.title, L"00:20");
  player.setCurrentPosition(0.4);
  run(100);
  EXPECT_EQ(form.label(LabelId::Position), L"");
  EXPECT_EQ(form.title, L"00:20");
  EXPECT_EQ(form.pos(SliderId::Position), 0);
}

TEST_F(TimeDisplay, DurationLabelIsWrittenOnlyWhenItChanges) {
  load(90, 20);
  view.PlayToggle();
  run(100);
  EXPECT_EQ(form.label(LabelId::Duration), L"00:01:30");
  form.setLabel(LabelId::Duration, L"x");
  run(500);
  EXPECT_EQ(form.label(LabelId::Duration), L"x");
  EXPECT_EQ(view.lastDurationShown, 90);
}

TEST_F(TimeDisplay, DraggedThumbIsLeftAloneByTheTimer) {
  load(600, 100);
  view.PlayToggle();
  view.OnSliderLButtonDown(SliderId::Position, /*onThumb=*/true, 50);
  form.setSliderPos(SliderId::Position, 300);
  run(500);
  EXPECT_EQ(form.pos(SliderId::Position), 300);
  view.OnSliderLButtonUp(SliderId::Position);
  view.playing = false;
  player.controlsPause();
  run(100);
  EXPECT_EQ(form.pos(SliderId::Position), 100);
}

TEST_F(TimeDisplay, NoMediumShowsZeroAndAnEmptyLabel) {
  run(100);
  EXPECT_EQ(form.pos(SliderId::Position), 0);
  EXPECT_EQ(form.label(LabelId::Position), L"");
}

// ------------------------------------------------------------ slider clicks

struct ClickCase {
  int rangeMax, width, x, pos;
};

class Clicks : public ::testing::TestWithParam<ClickCase> {};

TEST_P(Clicks, ThumbJumpsToThePressedPoint) {
  const ClickCase c = GetParam();
  EXPECT_EQ(ClickToPosition(c.rangeMax, c.width, c.x), c.pos);
}

INSTANTIATE_TEST_SUITE_P(Table, Clicks,
                         ::testing::Values(ClickCase{600, 200, 104, 300},  // 600 - trunc(600 * 100 / 200)
                                           ClickCase{600, 200, 4, 0},      // left end of the channel
                                           ClickCase{600, 200, 204, 600},  // right end
                                           ClickCase{600, 200, 0, -12},    // left of the channel: the control clamps
                                           ClickCase{100, 150, 79, 50},    // 100 - trunc(50.0)
                                           ClickCase{7, 3, 1, -7},         // 7 - trunc(14.0)
                                           ClickCase{600, 0, 10, 0}));     // no channel

TEST_F(TimeDisplay, PressOnTheChannelMovesTheThumbAndTheRepaintSeeks) {
  load(600, 10);
  form.setSliderRange(SliderId::Position, 0, 600, false);
  form.sliderState(SliderId::Position).channelWidth = 200;
  view.OnSliderLButtonDown(SliderId::Position, /*onThumb=*/false, 104);
  EXPECT_FALSE(view.slider(SliderId::Position).dragging);
  EXPECT_EQ(form.pos(SliderId::Position), 300);
  view.OnSliderCustomDraw(SliderId::Position);
  EXPECT_EQ(player.seeks, (std::vector<double>{300}));
  EXPECT_EQ(view.lastKnownPosition, 300);
}

TEST_F(TimeDisplay, PressOnTheThumbStartsADragAndReleaseEndsIt) {
  view.OnSliderLButtonDown(SliderId::Speed, true, 10);
  EXPECT_TRUE(view.slider(SliderId::Speed).dragging);
  view.OnSliderLButtonUp(SliderId::Speed);
  EXPECT_FALSE(view.slider(SliderId::Speed).dragging);
}

TEST_F(TimeDisplay, DragSeeksOnlyOnceTheThumbIsTwoSecondsAway) {
  load(600, 10);
  run(100);
  view.OnSliderCustomDraw(SliderId::Position);  // first sight after the open: seeks to where it is
  ASSERT_EQ(view.lastKnownPosition, 10);
  player.seeks.clear();
  view.OnSliderLButtonDown(SliderId::Position, true, 0);
  form.setSliderPos(SliderId::Position, 11);
  view.OnSliderCustomDraw(SliderId::Position);
  EXPECT_TRUE(player.seeks.empty());
  EXPECT_EQ(form.label(LabelId::Position), L"00:00:11") << "the label follows the drag";
  form.setSliderPos(SliderId::Position, 12);
  view.OnSliderCustomDraw(SliderId::Position);
  EXPECT_EQ(player.seeks, (std::vector<double>{12}));
  form.setSliderPos(SliderId::Position, 11);
  view.OnSliderCustomDraw(SliderId::Position);
  view.OnSliderLButtonUp(SliderId::Position);
  view.OnSliderEndDrag(SliderId::Position);
  EXPECT_EQ(player.seeks, (std::vector<double>{12, 11}));
}

TEST_F(TimeDisplay, ThumbUpdatesOfPlaybackNeverSeek) {
  load(600, 10);
  view.OnSliderCustomDraw(SliderId::Position);
  player.seeks.clear();
  view.PlayToggle();
  for (int i = 0; i < 50; ++i) {
    run(100);
    view.OnSliderCustomDraw(SliderId::Position);
  }
  EXPECT_TRUE(player.seeks.empty());
}

TEST_F(TimeDisplay, EndOfDragWithoutMediumBlanksTheLabel) {
  form.setSliderPos(SliderId::Position, 40);
  view.OnSliderEndDrag(SliderId::Position);
  EXPECT_EQ(form.pos(SliderId::Position), 0);
  EXPECT_EQ(form.label(LabelId::Position), L"        ");
}

// ----------------------------------------------------------------- stopwatch

TEST_F(TimeDisplay, StopwatchCountsSecondsAndResets) {
  EXPECT_EQ(form.label(LabelId::Stopwatch), L"00:00:00");
  view.OnStopwatchStartPause();
  EXPECT_TRUE(form.stopwatchIconRunning);
  run(65000);
  EXPECT_EQ(form.label(LabelId::Stopwatch), L"00:01:05");
  view.OnStopwatchStartPause();
  EXPECT_FALSE(form.stopwatchIconRunning);
  run(5000);
  EXPECT_EQ(view.stopwatchSeconds, 65);
  view.OnStopwatchStartPause();
  run(2000);
  view.OnStopwatchReset();
  EXPECT_EQ(form.label(LabelId::Stopwatch), L"00:00:00");
  EXPECT_FALSE(view.stopwatchRunning);
  EXPECT_FALSE(timers.isSet(StopwatchTimerId));
  run(3000);
  EXPECT_EQ(view.stopwatchSeconds, 0);
}

// --------------------------------------------------------------- go to time

class FakePlaypointWindow : public IPlaypointWindow {
 public:
  std::map<PlaypointField, std::wstring> texts;
  bool hoursFocused = false, closed = false;
  std::wstring text(PlaypointField field) override { return texts[field]; }
  void setText(PlaypointField field, std::wstring_view text) override { texts[field].assign(text); }
  void focusHours() override { hoursFocused = true; }
  void close() override { closed = true; }
};

class GoToTime : public ViewTest {
 protected:
  void type(PlaypointField field, const wchar_t* text) {
    window.texts[field] = text;
    dialog.OnEditChange(field);
  }
  FakePlaypointWindow window;
  DlgPlaypointSet dialog{player, window, boxes};
};

TEST_F(GoToTime, OpensPausedWithTheCurrentPosition) {
  load(7200, 3725.9);
  view.PlayToggle();
  view.OnGoToTime();
  EXPECT_EQ(form.playpointDialogsOpened, 1);
  EXPECT_FALSE(player.isPlaying());
  EXPECT_TRUE(view.playing) << "the flag is left alone";
  dialog.OnInitDialog();
  EXPECT_EQ(window.texts[PlaypointField::Hours], L"1");
  EXPECT_EQ(window.texts[PlaypointField::Minutes], L"2");
  EXPECT_EQ(window.texts[PlaypointField::Seconds], L"5");
  EXPECT_TRUE(window.hoursFocused);
}

struct ClampCase {
  PlaypointField field;
  const wchar_t* typed;
  const wchar_t* shown;
};

class GoToTimeClamp : public GoToTime, public ::testing::WithParamInterface<ClampCase> {};

TEST_P(GoToTimeClamp, EditsAreClampedWhileTyping) {
  type(GetParam().field, GetParam().typed);
  EXPECT_EQ(window.texts[GetParam().field], GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GoToTimeClamp,
    ::testing::Values(ClampCase{PlaypointField::Minutes, L"75", L"59"}, ClampCase{PlaypointField::Seconds, L"60", L"59"},
                      ClampCase{PlaypointField::Seconds, L"59", L"59"}, ClampCase{PlaypointField::Hours, L"100", L"99"},
                      ClampCase{PlaypointField::Hours, L"99", L"99"}, ClampCase{PlaypointField::Hours, L"-", L"-"},
                      ClampCase{PlaypointField::Minutes, L"-4", L"0"}, ClampCase{PlaypointField::Hours, L"", L""}));

TEST_F(GoToTime, TimeBeyondTheEndIsRefusedAndThePlayerStaysPaused) {
  load(90.7, 10);
  dialog.OnInitDialog();
  type(PlaypointField::Minutes, L"1");
  type(PlaypointField::Seconds, L"31");
  dialog.OnOK();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, L"The timing you have entered does not exist in the recording.");
  EXPECT_FALSE(window.closed);
  EXPECT_FALSE(player.isPlaying());
  EXPECT_TRUE(player.seeks.empty());
}

TEST_F(GoToTime, OkSeeksPlaysAndCloses) {
  load(90.7, 10);
  dialog.OnInitDialog();
  type(PlaypointField::Minutes, L"1");
  type(PlaypointField::Seconds, L"30");
  dialog.OnOK();
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(player.seeks, (std::vector<double>{90}));
  EXPECT_TRUE(player.isPlaying());
  EXPECT_TRUE(window.closed);
  EXPECT_FALSE(view.playing);
}

TEST_F(GoToTime, NegativeTotalGoesToTheStart) {
  load(90, 10);
  window.texts[PlaypointField::Hours] = L"-1";  // pasted, never clamped
  dialog.OnOK();
  EXPECT_EQ(player.seeks, (std::vector<double>{0}));
  EXPECT_TRUE(window.closed);
}

TEST_F(GoToTime, HugePastedNumbersAreRefusedNotWrapped) {
  load(90, 10);
  window.texts[PlaypointField::Hours] = L"2147483647";
  window.texts[PlaypointField::Minutes] = L"2147483647";
  dialog.OnOK();
  EXPECT_EQ(boxes.shown.size(), 1u);
  EXPECT_TRUE(player.seeks.empty());
}

TEST_F(GoToTime, XPlaysOnAndCloses) {
  load(90, 10);
  dialog.OnInitDialog();
  dialog.OnX();
  EXPECT_TRUE(player.isPlaying());
  EXPECT_TRUE(player.seeks.empty());
  EXPECT_TRUE(window.closed);
}

}  // namespace
}  // namespace tolv::testing
