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

}  // namespace
}  // namespace tolv::testing
