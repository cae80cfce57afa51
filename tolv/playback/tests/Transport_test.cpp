#include <gtest/gtest.h>

#include "tolv/playback/tests/ViewFixture.h"

namespace tolv::testing {
namespace {

using Transport = ViewTest;

// ---------------------------------------------------------------- jump-back

struct JumpBackCase {
  int jumpBack;
  double pausedAt;
  double expectedPosition;
  int expectedSlider;
};

void PrintTo(const JumpBackCase& c, std::ostream* os) {
  *os << "jumpBack " << c.jumpBack << " paused at " << c.pausedAt;
}

class JumpBack : public ViewTest, public ::testing::WithParamInterface<JumpBackCase> {};

TEST_P(JumpBack, PausingMovesBackAndSetsTheSlider) {
  const JumpBackCase c = GetParam();
  jumpBackSeconds = c.jumpBack;
  load(120, c.pausedAt);
  view.PlayToggle();
  ASSERT_TRUE(view.playing);
  ASSERT_TRUE(form.playIconPlaying);

  view.PlayToggle();

  EXPECT_FALSE(view.playing);
  EXPECT_FALSE(player.isPlaying());
  EXPECT_DOUBLE_EQ(position(), c.expectedPosition);
  EXPECT_EQ(form.pos(SliderId::Position), c.expectedSlider);
  EXPECT_FALSE(form.playIconPlaying);
  EXPECT_TRUE(form.stopEnabled);
}

INSTANTIATE_TEST_SUITE_P(Cases, JumpBack,
                         ::testing::Values(JumpBackCase{5, 3.4, 0.0, 0},     // would go below the start
                                           JumpBackCase{5, 12.7, 7.7, 7},    // slider: truncated p minus 5
                                           JumpBackCase{5, 5.0, 0.0, 0},     // exactly to the start
                                           JumpBackCase{0, 12.7, 12.7, 12},  // no jump at all
                                           JumpBackCase{-1, 12.7, 12.7, 0}   // negative: plain pause, slider untouched
                                           ));

TEST_F(Transport, StopThreeTimesWhilePausedJumpsBackEachTime) {
  jumpBackSeconds = 5;
  load(120, 30);
  view.Stop();
  view.Stop();
  view.Stop();
  EXPECT_DOUBLE_EQ(position(), 15);
  EXPECT_FALSE(view.playing);
  EXPECT_FALSE(player.isPlaying());
  EXPECT_FALSE(form.playIconPlaying);
}

TEST_F(Transport, StopWithNegativeJumpBackReturnsToTheStart) {
  jumpBackSeconds = -1;
  load(120, 30);
  view.PlayToggle();
  run(2000);
  view.Stop();
  EXPECT_EQ(player.stops, 1);
  EXPECT_DOUBLE_EQ(position(), 0);
  EXPECT_FALSE(view.playing);
  EXPECT_EQ(form.stopFocusCount, 1);
  EXPECT_FALSE(form.playIconPlaying);
}

TEST_F(Transport, WithoutMediumPlayAndStopDoNothing) {
  jumpBackSeconds = -1;
  player.logCalls = true;
  view.PlayToggle();
  view.Stop();
  EXPECT_FALSE(view.playing);
  EXPECT_EQ(player.calls, (std::vector<std::string>{"hasURL", "hasURL"}));
}

// ------------------------------------------------------------------ REW / FF

TEST_F(Transport, HeldFfWhilePausedStepsOneSecondPerPollAndClampsAtTheEnd) {
  load(60, 58.5);
  view.SetHeld(TransportButton::Ff, true);
  run(67);
  EXPECT_DOUBLE_EQ(position(), 59.5);
  EXPECT_EQ(player.volume(), 0) << "stepping is silent";
  EXPECT_EQ(view.stepSeconds, 1);
  run(67);
  EXPECT_DOUBLE_EQ(position(), 60.0);
  run(67);
  EXPECT_DOUBLE_EQ(position(), 60.0);
  EXPECT_EQ(form.pos(SliderId::Position), 60);
  EXPECT_EQ(form.label(LabelId::Position), L"00:01:00");
}

TEST_F(Transport, HeldRewWhilePausedStopsAtTheStart) {
  load(60, 0.5);
  view.SetHeld(TransportButton::Rew, true);
  run(67);
  EXPECT_DOUBLE_EQ(position(), 0);
  run(67 * 3);
  EXPECT_DOUBLE_EQ(position(), 0);
  EXPECT_EQ(form.pos(SliderId::Position), 0);
}

TEST_F(Transport, HeldFfWhilePlayingStepsTwoSecondsAndReleaseRestoresVolumeAndSpeed) {
  load(600, 100);
  form.setSliderPos(SliderId::Speed, 80);
  view.ApplySpeed();
  view.PlayToggle();
  view.SetHeld(TransportButton::Ff, true);
  run(67 * 3);
  EXPECT_EQ(view.stepSeconds, 2);
  EXPECT_TRUE(view.rewFfStepping);
  // Three steps of 2 s on top of 0.2 s of playback at 0.8.
  EXPECT_NEAR(position(), 106.0 + 0.201 * 0.8, 1e-9);
  EXPECT_EQ(player.volume(), 0);

  view.ReleaseRewFf(TransportButton::Ff);
  EXPECT_FALSE(form.isPushed(TransportButton::Ff));
  EXPECT_EQ(player.volume(), 50);
  EXPECT_DOUBLE_EQ(player.rate(), 0.8);
  run(67);
  EXPECT_FALSE(view.rewFfStepping);
  EXPECT_TRUE(player.isPlaying()) << "playback goes on after the release";
}

TEST_F(Transport, ThePollRestoresTheVolumeWhenAPedalLetsGo) {
  load(600, 100);
  view.SetHeld(TransportButton::Rew, true);
  run(67);
  EXPECT_EQ(player.volume(), 0);
  view.SetHeld(TransportButton::Rew, false);  // pedals clear the pushed state only
  run(67);
  EXPECT_FALSE(view.rewFfStepping);
  EXPECT_EQ(player.volume(), 50);
}

TEST_F(Transport, BothHeldStepForwardThenBackInOneTick) {
  load(600, 100);
  player.logCalls = true;
  view.SetHeld(TransportButton::Ff, true);
  view.SetHeld(TransportButton::Rew, true);
  run(67);
  EXPECT_DOUBLE_EQ(position(), 100);
  EXPECT_EQ(player.seeks, (std::vector<double>{101, 100}));
}

TEST_F(Transport, DoubleClickStepsWithoutAMedium) {
  // The player ignores everything; the view must not fall over.
  view.FastForwardStep();
  view.RewindStep();
  EXPECT_EQ(form.pos(SliderId::Position), 0);
}

// -------------------------------------------------------------------- speed

struct SpeedCase {
  int slider;
  const wchar_t* label;
  double rate;
};

class Speed : public ViewTest, public ::testing::WithParamInterface<SpeedCase> {};

TEST_P(Speed, SliderGivesLabelAndRate) {
  const SpeedCase c = GetParam();
  form.setSliderPos(SliderId::Speed, c.slider);
  view.ApplySpeed();
  EXPECT_EQ(form.label(LabelId::Speed), c.label);
  EXPECT_EQ(player.rate(), c.rate);  // exact: 100 must give 1.0 itself
  EXPECT_EQ(speedPercent, c.slider);
}

INSTANTIATE_TEST_SUITE_P(Table, Speed,
                         ::testing::Values(SpeedCase{20, L"20%", 0.51}, SpeedCase{30, L"30%", 0.51},
                                           SpeedCase{50, L"50%", 0.51}, SpeedCase{51, L"51%", 0.51},
                                           SpeedCase{75, L"75%", 0.75}, SpeedCase{100, L"100%", 1.0},
                                           SpeedCase{250, L"250%", 2.5}));

struct SpeedStepCase {
  int from;
  bool increase;
  int to;
};

class SpeedStep : public ViewTest, public ::testing::WithParamInterface<SpeedStepCase> {};

TEST_P(SpeedStep, StepsByTenWithinLimitsAndPlays) {
  const SpeedStepCase c = GetParam();
  load(600, 42.6);
  form.setSliderPos(SliderId::Speed, c.from);
  if (c.increase)
    view.IncreaseSpeed();
  else
    view.DecreaseSpeed();
  EXPECT_EQ(form.pos(SliderId::Speed), c.to);
  EXPECT_EQ(form.label(LabelId::Speed), std::to_wstring(c.to) + L"%");
  EXPECT_TRUE(player.isPlaying());
  EXPECT_FALSE(view.playing) << "the flag is left as it was";
  EXPECT_EQ(player.seeks, (std::vector<double>{42.6}));
  EXPECT_EQ(form.pos(SliderId::Position), 42);
}

INSTANTIATE_TEST_SUITE_P(Table, SpeedStep,
                         ::testing::Values(SpeedStepCase{100, true, 110}, SpeedStepCase{245, true, 250},
                                           SpeedStepCase{250, true, 250}, SpeedStepCase{100, false, 90},
                                           SpeedStepCase{30, false, 25}, SpeedStepCase{25, false, 25},
                                           // Dragged to 20, one step down lands on the floor of 25.
                                           SpeedStepCase{20, false, 25}));

TEST_F(Transport, SpeedToggleSwitchesBetweenToggleSpeedAndNormal) {
  toggleSpeedPercent = 70;
  load(600, 10);
  view.SpeedToggle();
  EXPECT_EQ(form.pos(SliderId::Speed), 70);
  EXPECT_DOUBLE_EQ(player.rate(), 0.7);
  EXPECT_TRUE(view.speedToggled);
  EXPECT_TRUE(player.isPlaying());
  player.controlsPause();
  view.SpeedToggle();
  EXPECT_EQ(form.pos(SliderId::Speed), 100);
  EXPECT_EQ(player.rate(), 1.0);
  EXPECT_FALSE(view.speedToggled);
  EXPECT_TRUE(player.isPlaying());
}

struct SetCase {
  const wchar_t* typed;
  bool accepted;
  int stored;
};

class SetToggleSpeed : public ViewTest, public ::testing::WithParamInterface<SetCase> {};

TEST_P(SetToggleSpeed, AcceptsTwentyFiveToTwoHundredFifty) {
  const SetCase c = GetParam();
  toggleSpeedPercent = 70;
  form.edits[EditId::ToggleSpeed] = c.typed;
  view.OnSetToggleSpeed();
  EXPECT_EQ(toggleSpeedPercent, c.stored);
  if (c.accepted) {
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(form.edits[EditId::ToggleSpeed], c.typed);
  } else {
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, L"You must enter an integer number between 25 and 250.");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(form.edits[EditId::ToggleSpeed], L"70");
  }
}

INSTANTIATE_TEST_SUITE_P(Table, SetToggleSpeed,
                         ::testing::Values(SetCase{L"300", false, 70}, SetCase{L"24", false, 70},
                                           SetCase{L"word", false, 70}, SetCase{L"", false, 70},
                                           SetCase{L"99999999999999", false, 70}, SetCase{L"25", true, 25},
                                           SetCase{L"250", true, 250}, SetCase{L"120", true, 120}));

// ------------------------------------------------------------------ PX / RX

TEST_F(Transport, PxPlaysForItsSecondsThenPausesWithJumpBack) {
  pxSeconds = 4;
  jumpBackSeconds = 2;
  load(600, 10);
  view.PlaySeconds();
  EXPECT_TRUE(view.playing);
  EXPECT_TRUE(player.isPlaying());
  EXPECT_TRUE(player.seeks.empty()) << "starts from where it is";
  run(3999);
  EXPECT_TRUE(player.isPlaying());
  run(1);
  EXPECT_FALSE(view.playing);
  EXPECT_FALSE(player.isPlaying());
  EXPECT_DOUBLE_EQ(position(), 12);
  EXPECT_FALSE(timers.isSet(PxTimerId));
}

TEST_F(Transport, PxAndRxWithZeroSecondsDoNothing) {
  load(600, 10);
  view.PlaySeconds();
  view.RewindAndPlay();
  EXPECT_FALSE(view.playing);
  EXPECT_FALSE(player.isPlaying());
  EXPECT_FALSE(timers.isSet(PxTimerId));
}

TEST_F(Transport, PxWhilePlayingRestartsWithoutJumpBack) {
  pxSeconds = 3;
  jumpBackSeconds = 5;
  load(600, 20);
  view.PlayToggle();
  run(1000);
  view.PlaySeconds();
  EXPECT_TRUE(player.seeks.empty());
  EXPECT_TRUE(view.playing);
}

struct RxCase {
  double at;
  double playsFrom;
};

class Rx : public ViewTest, public ::testing::WithParamInterface<RxCase> {};

TEST_P(Rx, RewindsAndPlays) {
  rxSeconds = 7;
  load(600, GetParam().at);
  view.RewindAndPlay();
  EXPECT_EQ(player.seeks, (std::vector<double>{GetParam().playsFrom}));
  EXPECT_TRUE(view.playing);
  EXPECT_TRUE(player.isPlaying());
  EXPECT_TRUE(form.playIconPlaying);
}

INSTANTIATE_TEST_SUITE_P(Table, Rx, ::testing::Values(RxCase{5, 0}, RxCase{7, 0}, RxCase{30.5, 23.5}));

// ---------------------------------------------------------------- play modes

TEST_F(Transport, WhileHeldPressPastAPollPlaysAndTheClickOnReleasePauses) {
  playMode = PlayModeWhileHeld;
  jumpBackSeconds = 1;
  load(600, 10);
  run(50);
  view.SetHeld(TransportButton::Play, true);  // mouse press
  run(49);
  EXPECT_FALSE(view.playing);
  run(1);  // poll at 100 ms
  EXPECT_TRUE(view.playing);
  run(2000);
  view.SetHeld(TransportButton::Play, false);  // mouse release ...
  view.PlayToggle();                           // ... is a click
  EXPECT_FALSE(view.playing);
  run(300);
  EXPECT_FALSE(view.playing);
  EXPECT_FALSE(player.isPlaying());
  EXPECT_NEAR(position(), 10 + 2.0 - 1, 1e-9);
}

TEST_F(Transport, WhileHeldShortClickPlaysUntilTheNextPoll) {
  playMode = PlayModeWhileHeld;
  load(600, 10);
  run(20);
  view.SetHeld(TransportButton::Play, true);
  run(30);
  view.SetHeld(TransportButton::Play, false);
  view.PlayToggle();  // the click starts playback on release
  EXPECT_TRUE(view.playing);
  run(50);  // next poll at 100 ms sees PLAY up while playing
  EXPECT_FALSE(view.playing);
  EXPECT_FALSE(player.isPlaying());
}

TEST_F(Transport, WhileHeldPollWaitsForAKnownDuration) {
  playMode = PlayModeWhileHeld;
  player.openDelayMs = 500;
  player.addMedium(L"slow.wav", 60);
  player.setURL(L"slow.wav");
  player.controlsPause();
  view.SetHeld(TransportButton::Play, true);
  run(400);
  EXPECT_FALSE(view.playing) << "duration still 0";
  run(200);
  EXPECT_TRUE(view.playing);
}

TEST_F(Transport, FixedLengthStopsAfterItsSecondsEvenAcrossAPause) {
  playMode = PlayModeFixedLength;
  playLengthSeconds = 3;
  jumpBackSeconds = 1;
  load(600, 10);
  view.PlayToggle();
  EXPECT_EQ(timers.period(AutoStopTimerId), 3000u);
  run(1000);
  view.PlayToggle();  // pause at 11, back to 10
  run(1000);
  view.PlayToggle();  // play again: the timer restarts from here
  run(2999);
  EXPECT_TRUE(view.playing);
  run(1);
  EXPECT_FALSE(view.playing);
  EXPECT_FALSE(timers.isSet(AutoStopTimerId));
  EXPECT_DOUBLE_EQ(position(), 10 + 3 - 1);
}

TEST_F(Transport, FixedLengthOfZeroSecondsPlaysWithoutLimit) {
  playMode = PlayModeFixedLength;
  playLengthSeconds = 0;  // the first-start value
  load(600, 0);
  view.PlayToggle();
  EXPECT_FALSE(timers.isSet(AutoStopTimerId));
  run(5000);
  EXPECT_TRUE(view.playing);
}

TEST_F(Transport, ToggleModeArmsNoAutoStop) {
  playMode = PlayModeToggle;
  playLengthSeconds = 3;
  load(600, 0);
  view.PlayToggle();
  EXPECT_FALSE(timers.isSet(AutoStopTimerId));
}

// ------------------------------------------------------------ end of medium

TEST_F(Transport, EndOfMediumPausesAtTheEndWithoutJumpBack) {
  jumpBackSeconds = 5;
  load(60.5, 57);
  view.PlayToggle();
  run(4000);
  EXPECT_FALSE(view.playing);
  EXPECT_FALSE(form.playIconPlaying);
  EXPECT_EQ(form.pos(SliderId::Position), 60);
  EXPECT_GE(form.stopFocusCount, 1);
  EXPECT_GE(position(), 60.0);
  EXPECT_TRUE(player.seeks.empty());
}

TEST_F(Transport, EndOfMediumIsNotSeenAtTheVeryStart) {
  // A medium whose duration is not known yet reads 0 of 0.
  player.openDelayMs = 1000;
  player.addMedium(L"late.wav", 30);
  player.setURL(L"late.wav");
  view.playing = true;
  run(500);
  EXPECT_TRUE(view.playing);
}

// ------------------------------------------------------------------ failures

TEST_F(Transport, ARejectedCallEndsTheOperationWhereItFailed) {
  load(600, 30);
  player.failNext("setRate");
  EXPECT_THROW(view.FastForwardStep(), PlayerError);
  EXPECT_DOUBLE_EQ(position(), 31) << "the seek before the failure stays";
  EXPECT_EQ(player.volume(), 0);
}

TEST_F(Transport, AFailingPxStopStillEndsThePxTimer) {
  pxSeconds = 2;
  load(600, 30);
  view.PlaySeconds();
  player.failNext("controlsPause");
  EXPECT_THROW(run(2000), PlayerError);
  EXPECT_FALSE(timers.isSet(PxTimerId));
}

TEST_F(Transport, BalanceFollowsTheSliderOnlyWithAMedium) {
  form.setSliderRange(SliderId::Balance, 0, 200, false);
  form.setSliderPos(SliderId::Balance, 30);
  view.ApplyBalance();
  EXPECT_EQ(player.balance(), 0);
  load(600);
  view.ApplyBalance();
  EXPECT_EQ(player.balance(), -70);
}

TEST_F(Transport, VolumeSliderRepaintAppliesOnlyWhileDraggedOrPlaying) {
  load(600);
  form.setSliderPos(SliderId::Volume, 80);
  view.OnSliderCustomDraw(SliderId::Volume);
  EXPECT_EQ(player.volume(), 50);
  view.OnSliderLButtonDown(SliderId::Volume, /*onThumb=*/true, 0);
  view.OnSliderCustomDraw(SliderId::Volume);
  EXPECT_EQ(player.volume(), 80);
  view.OnSliderLButtonUp(SliderId::Volume);
  form.setSliderPos(SliderId::Volume, 20);
  view.OnSliderEndDrag(SliderId::Volume);
  EXPECT_EQ(player.volume(), 20);
}

TEST_F(Transport, SpeedPresetActsThroughTheRepaint) {
  view.OnSpeedPreset(50);
  EXPECT_EQ(form.focusedSlider, SliderId::Speed);
  view.OnSliderCustomDraw(SliderId::Speed);
  EXPECT_EQ(form.label(LabelId::Speed), L"50%");
  EXPECT_DOUBLE_EQ(player.rate(), 0.51);
}

}  // namespace
}  // namespace tolv::testing
