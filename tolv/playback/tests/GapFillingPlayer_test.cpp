// The view on a component with gaps like Wine's: no pause, playState, status,
// stretchToFit, rate or balance, and a stop that forgets the position so that
// seeks before the next play are lost.
#include <gtest/gtest.h>

#include "tolv/config/Settings.h"
#include "tolv/playback/GapFillingPlayer.h"
#include "tolv/playback/TolvView.h"
#include "tolv/playback/tests/fakes/FakeMediaPlayer.h"
#include "tolv/playback/tests/fakes/FakeOpenMediaPorts.h"
#include "tolv/playback/tests/fakes/FakeTolvForm.h"

namespace tolv::testing {
namespace {

class GappyPlayer : public FakeMediaPlayer {
 public:
  explicit GappyPlayer(VirtualClock& clock) : FakeMediaPlayer(clock) {
    for (const char* missing : {"controlsPause", "playState", "status", "setStretchToFit", "setRate", "setBalance"})
      failAlways(missing);
  }
  // Opening starts playback at once, as the component's autoStart does.
  void setURL(const std::wstring& url) override {
    FakeMediaPlayer::setURL(url);
    halted = false;
    FakeMediaPlayer::controlsPlay();
  }
  void controlsPlay() override {
    halted = false;
    FakeMediaPlayer::controlsPlay();
  }
  void controlsStop() override {
    halted = true;
    FakeMediaPlayer::controlsStop();
  }
  double currentPosition() override { return halted ? 0 : FakeMediaPlayer::currentPosition(); }
  void setCurrentPosition(double seconds) override {
    if (!halted) FakeMediaPlayer::setCurrentPosition(seconds);
  }
  bool halted = true;
};

class GapFillingTest : public ::testing::Test {
 protected:
  GapFillingTest() {
    ResetPlaybackSettings();
    view.setOpenMediaPorts({nullptr, &positions, &lists, &window});
    view.InitTransportControls();
    view.StartTransportTimers();
  }
  ~GapFillingTest() override { ResetPlaybackSettings(); }
  void run(long long ms) {
    timers.advance(ms, [this](unsigned id) { view.OnTimer(id); });
  }

  VirtualClock clock;
  GappyPlayer component{clock};
  CGapFillingPlayer player{component};
  FakeTolvForm form;
  FakeTimers timers{clock};
  FakeMessageBoxes boxes;
  OpenLog log;
  FakeMediumPositions positions{log};
  FakeMediaLists lists{log};
  FakeOpenMediaWindow window{log};
  CTolvView view{player, form, timers, boxes};
};

TEST_F(GapFillingTest, AnOpenResumesAtTheSavedPositionAndPlays) {
  component.addMedium(L"C:\\rec\\talk.wav", 60);
  positions.saved[L"talk.wav"] = 25;
  view.OpenMedia(L"C:\\rec\\talk.wav", true);
  EXPECT_TRUE(boxes.shown.empty()) << "no error box";
  EXPECT_TRUE(view.playing);
  EXPECT_TRUE(component.isPlaying());
  EXPECT_DOUBLE_EQ(player.currentPosition(), 25);
  ASSERT_EQ(lists.added.size(), 1u);
  EXPECT_EQ(lists.added[0], (FakeMediaLists::Added{L"C:\\rec\\talk.wav", 60, 25}));
  run(2000);
  EXPECT_NEAR(player.currentPosition(), 27, 0.15);
}

TEST_F(GapFillingTest, AMediumTheComponentCannotOpenIsAnOpenError) {
  // Unknown to the fake: it loads with no length, as Wine's does after a failed render.
  view.OpenMedia(L"C:\\rec\\missing.wav", true);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, L"Error opening the file! ");
  EXPECT_FALSE(view.playing);
}

TEST_F(GapFillingTest, PauseHoldsThePositionJumpsBackAndPlayResumesThere) {
  jumpBackSeconds = 2;
  component.addMedium(L"C:\\rec\\talk.wav", 60);
  view.OpenMedia(L"C:\\rec\\talk.wav", true);
  run(10000);
  view.PlayToggle();
  EXPECT_FALSE(view.playing);
  EXPECT_FALSE(component.isPlaying());
  const double held = player.currentPosition();
  EXPECT_NEAR(held, 8, 0.15);
  run(3000);
  EXPECT_DOUBLE_EQ(player.currentPosition(), held) << "nothing moves while paused";
  EXPECT_EQ(player.playState(), PlayStatePaused);
  view.PlayToggle();
  EXPECT_NEAR(component.currentPosition(), held, 0.01);
  EXPECT_EQ(player.playState(), PlayStatePlaying);
}

TEST_F(GapFillingTest, SeeksWhileStoppedWaitForTheNextPlay) {
  jumpBackSeconds = -1;
  component.addMedium(L"C:\\rec\\talk.wav", 60);
  view.OpenMedia(L"C:\\rec\\talk.wav", true);
  run(5000);
  view.Stop();
  EXPECT_EQ(player.playState(), PlayStateStopped);
  EXPECT_DOUBLE_EQ(player.currentPosition(), 0);
  player.setCurrentPosition(40);
  EXPECT_DOUBLE_EQ(player.currentPosition(), 40);
  view.PlayToggle();
  EXPECT_NEAR(component.currentPosition(), 40, 0.01);
}

TEST_F(GapFillingTest, SpeedAndBalanceChangesAreIgnoredInsteadOfFailing) {
  component.addMedium(L"C:\\rec\\talk.wav", 60);
  view.OpenMedia(L"C:\\rec\\talk.wav", true);
  form.setSliderPos(SliderId::Speed, 150);
  EXPECT_NO_THROW(view.ApplySpeed());
  EXPECT_NO_THROW(view.ApplyBalance());
  EXPECT_NO_THROW(player.setStretchToFit(true));
  EXPECT_EQ(player.status(), L"");
}

// Only "not implemented" is a gap: other refusals still reach the caller.
TEST_F(GapFillingTest, OtherErrorsPropagate) {
  component.addMedium(L"C:\\rec\\talk.wav", 60);
  view.OpenMedia(L"C:\\rec\\talk.wav", true);
  component.failNext("controlsPlay", static_cast<long>(0x80004005));
  view.PlayToggle();  // pauses
  EXPECT_THROW(view.PlayToggle(), PlayerError);
}

// A complete component sees exactly the calls the view makes.
TEST(GapFillingPassThrough, ACompleteComponentKeepsItsOwnPauseAndStates) {
  VirtualClock clock;
  FakeMediaPlayer component(clock);
  CGapFillingPlayer player(component);
  component.load(L"C:\\rec\\talk.wav", 60);
  player.controlsPlay();
  clock.nowMs += 3000;
  player.controlsPause();
  EXPECT_EQ(component.pauses, 1);
  EXPECT_EQ(component.stops, 0);
  EXPECT_EQ(player.playState(), component.playState());
  player.controlsStop();
  player.setCurrentPosition(12);
  EXPECT_EQ(component.seeks.back(), 12) << "seeks go to the component at once";
  EXPECT_FALSE(player.pauseMissing());
}

}  // namespace
}  // namespace tolv::testing
