#include <gtest/gtest.h>

#include "tolv/config/Settings.h"
#include "tolv/pedals/PedalMapping.h"
#include "tolv/pedals/ViewPedalTransport.h"
#include "tolv/playback/tests/ViewFixture.h"

namespace tolv {
namespace {

using A = PedalAction;

struct UsbCase {
  bool vec;
  bool switched;
  int mode;
  int state;
  PedalAction expected;
};

class UsbPedalTable : public ::testing::TestWithParam<UsbCase> {
 protected:
  void TearDown() override { ResetPlaybackSettings(); }
};

TEST_P(UsbPedalTable, StateGivesAction) {
  const UsbCase c = GetParam();
  vecPedalLayout = c.vec;
  switchPedalFfRew = c.switched;
  playMode = c.mode;
  EXPECT_EQ(UsbPedalAction(c.state), c.expected)
      << "vec=" << c.vec << " switched=" << c.switched << " mode=" << c.mode << " state=" << c.state;
}

constexpr int Toggle = PlayModeToggle;
constexpr int Held = PlayModeWhileHeld;
constexpr int Fixed = PlayModeFixedLength;

INSTANTIATE_TEST_SUITE_P(
    Layouts, UsbPedalTable,
    ::testing::Values(
        // VEC layout: left FF, centre play, right REW.
        UsbCase{true, false, Toggle, 1, A::HoldFf}, UsbCase{true, false, Toggle, 2, A::TogglePlay},
        UsbCase{true, false, Held, 2, A::HoldPlay}, UsbCase{true, false, Toggle, 4, A::HoldRew},
        UsbCase{true, true, Toggle, 1, A::HoldRew}, UsbCase{true, true, Toggle, 4, A::HoldFf},
        UsbCase{true, true, Held, 2, A::HoldPlay}, UsbCase{true, true, Fixed, 2, A::TogglePlay},
        // Other layout: left REW, centre FF, right play.
        UsbCase{false, false, Toggle, 1, A::HoldRew}, UsbCase{false, false, Toggle, 2, A::HoldFf},
        UsbCase{false, false, Toggle, 4, A::TogglePlay}, UsbCase{false, false, Held, 4, A::HoldPlay},
        UsbCase{false, true, Toggle, 1, A::HoldFf}, UsbCase{false, true, Toggle, 2, A::HoldRew},
        UsbCase{false, true, Fixed, 4, A::TogglePlay},
        // Chords do nothing; no buttons and unknown values release.
        UsbCase{true, false, Toggle, 3, A::None}, UsbCase{true, false, Toggle, 5, A::None},
        UsbCase{false, true, Held, 6, A::None}, UsbCase{false, false, Toggle, 7, A::None},
        UsbCase{true, false, Toggle, 0, A::ReleaseAll}, UsbCase{false, false, Held, 0, A::ReleaseAll},
        UsbCase{true, false, Toggle, 8, A::ReleaseAll}, UsbCase{false, false, Toggle, 255, A::ReleaseAll},
        UsbCase{true, false, Toggle, -1, A::ReleaseAll}));

TEST(PedalStateNames, EveryValue) {
  const std::wstring_view names[] = {L"UNKNOWN", L"LEFT",           L"CENTER",          L"LEFT AND CENTER",
                                     L"RIGHT",   L"LEFT AND RIGHT", L"RIGHT AND CENTER", L"ALL"};
  for (int s = 0; s < 8; ++s) EXPECT_EQ(PedalStateName(s), names[s]) << s;
  EXPECT_EQ(PedalStateName(8), L"UNKNOWN");
  EXPECT_EQ(PedalStateName(-3), L"UNKNOWN");
}

// The adapter server and the SpeechMike ignore "Switch pedal FF/Rew".
TEST(ComponentCodes, AdapterServerAndSpeechMike) {
  struct Case {
    PedalAction (*map)(int);
    int code;
    int mode;
    PedalAction expected;
  } cases[] = {
      {AdapterServerAction, 129, Toggle, A::HoldRew},    {AdapterServerAction, 130, Toggle, A::HoldFf},
      {AdapterServerAction, 131, Toggle, A::TogglePlay}, {AdapterServerAction, 131, Held, A::HoldPlay},
      {AdapterServerAction, 128, Toggle, A::ReleaseAll}, {AdapterServerAction, 0, Held, A::ReleaseAll},
      {SpeechMikeAction, 4, Fixed, A::TogglePlay},       {SpeechMikeAction, 4, Held, A::HoldPlay},
      {SpeechMikeAction, 12, Toggle, A::HoldRew},        {SpeechMikeAction, 14, Toggle, A::HoldFf},
      {SpeechMikeAction, 13, Toggle, A::ReleaseAll},     {SpeechMikeAction, 0, Toggle, A::ReleaseAll},
  };
  for (bool switched : {false, true}) {
    for (const Case& c : cases) {
      playMode = c.mode;
      switchPedalFfRew = switched;
      EXPECT_EQ(c.map(c.code), c.expected) << "code " << c.code << " switched " << switched;
    }
  }
  ResetPlaybackSettings();
}

// The actions on the real view: held states, and what the transport's timers make of them.
class PedalOnView : public testing::ViewTest {
 protected:
  void act(PedalAction a) { ApplyPedalAction(transport, a); }
  CViewPedalTransport transport{view};
};

TEST_F(PedalOnView, ReleaseAllLeavesPlayPushedOutsideHeldMode) {
  playMode = PlayModeToggle;
  load(60, 10);
  form.setPushed(TransportButton::Play, true);
  act(A::HoldRew);
  act(A::HoldFf);
  EXPECT_TRUE(form.isPushed(TransportButton::Rew));
  EXPECT_TRUE(form.isPushed(TransportButton::Ff));
  act(A::ReleaseAll);
  EXPECT_FALSE(form.isPushed(TransportButton::Rew));
  EXPECT_FALSE(form.isPushed(TransportButton::Ff));
  EXPECT_TRUE(form.isPushed(TransportButton::Play));
}

TEST_F(PedalOnView, ReleaseAllChangesNeitherSpeedNorVolume) {
  playMode = PlayModeToggle;
  load(60, 10);
  player.setVolume(0);  // as a REW/FF step leaves it
  const auto rateBefore = player.rate();
  act(A::ReleaseAll);
  EXPECT_EQ(player.volume(), 0);
  EXPECT_EQ(player.rate(), rateBefore);
}

TEST_F(PedalOnView, CentreTogglesOnPressOnlyInToggleMode) {
  playMode = PlayModeToggle;
  load(60, 10);
  vecPedalLayout = true;
  act(UsbPedalAction(PedalCenter));
  EXPECT_TRUE(view.playing);
  act(UsbPedalAction(0));  // lifting the foot does not pause
  EXPECT_TRUE(view.playing);
  act(UsbPedalAction(PedalCenter));
  EXPECT_FALSE(view.playing);
}

TEST_F(PedalOnView, PlaysWhileCentreHeld) {
  playMode = PlayModeWhileHeld;
  load(60, 10);
  vecPedalLayout = true;
  act(UsbPedalAction(PedalCenter));
  run(150);
  EXPECT_TRUE(view.playing);
  act(UsbPedalAction(0));
  EXPECT_FALSE(form.isPushed(TransportButton::Play));
  run(150);
  EXPECT_FALSE(view.playing);
}

TEST_F(PedalOnView, ChordKeepsFirstButtonHeldUntilAllUp) {
  playMode = PlayModeToggle;
  load(60, 30);
  vecPedalLayout = true;
  act(UsbPedalAction(PedalRight));  // REW
  act(UsbPedalAction(PedalRight | PedalLeft));
  act(UsbPedalAction(PedalLeft));  // FF is added, REW stays: only all-up releases
  EXPECT_TRUE(form.isPushed(TransportButton::Rew));
  run(200);
  act(UsbPedalAction(0));
  EXPECT_FALSE(form.isPushed(TransportButton::Rew));
  EXPECT_FALSE(form.isPushed(TransportButton::Ff));
}

TEST_F(PedalOnView, HeldRewRewindsUntilReleased) {
  playMode = PlayModeToggle;
  load(60, 30);
  act(UsbPedalAction(PedalLeft));  // other layout: REW
  run(670);
  const double rewound = position();
  EXPECT_LT(rewound, 30);
  act(UsbPedalAction(0));
  run(670);
  EXPECT_EQ(position(), rewound);
}

// The foot-switch library's messages on the real view.
class FootSwitchMessageOnView : public testing::ViewTest {
 protected:
  void message(unsigned id, bool pressed, bool accepted = true) { ApplyFootSwitchMessage(transport, id, pressed, accepted); }
  CViewPedalTransport transport{view};
};

TEST_F(FootSwitchMessageOnView, PlayTogglesOnPressAndOnReleaseOutsideWhileHeld) {
  playMode = PlayModeToggle;
  load(600, 10);
  message(WM_DVR_BUTTON_FS_LISTEN, true);
  EXPECT_TRUE(view.playing);
  message(WM_DVR_BUTTON_FS_LISTEN, false);
  EXPECT_FALSE(view.playing);
}

TEST_F(FootSwitchMessageOnView, PlayHeldInWhileHeld) {
  playMode = PlayModeWhileHeld;
  load(600, 10);
  message(WM_DVR_BUTTON_FS_LISTEN, true);
  EXPECT_TRUE(form.isPushed(TransportButton::Play));
  EXPECT_FALSE(view.playing) << "the poll starts playback";
  run(100);
  EXPECT_TRUE(view.playing);
  message(WM_DVR_BUTTON_FS_LISTEN, false);
  run(100);
  EXPECT_FALSE(view.playing);
}

TEST_F(FootSwitchMessageOnView, RewAndFfHoldTheirButtonAndApplySpeedAndVolume) {
  struct Case {
    unsigned message;
    bool switched;
    TransportButton held;
  } cases[] = {{WM_DVR_BUTTON_FS_REW, false, TransportButton::Rew},
               {WM_DVR_BUTTON_FS_FF, false, TransportButton::Ff},
               {WM_DVR_BUTTON_FS_REW, true, TransportButton::Ff},
               {WM_DVR_BUTTON_FS_FF, true, TransportButton::Rew}};
  for (const Case& c : cases) {
    switchPedalFfRew = c.switched;
    form.setSliderPos(SliderId::Speed, 80);
    player.setRate(1.0);
    message(c.message, true);
    EXPECT_TRUE(form.isPushed(c.held)) << c.message << " switched " << c.switched;
    EXPECT_DOUBLE_EQ(player.rate(), 0.8);
    message(c.message, false);
    EXPECT_FALSE(form.isPushed(c.held));
  }
}

TEST_F(FootSwitchMessageOnView, NotAcceptedLeavesTheHeldStateButAppliesSpeed) {
  form.setSliderPos(SliderId::Speed, 120);
  message(WM_DVR_BUTTON_FS_REW, true, /*accepted=*/false);
  EXPECT_FALSE(form.isPushed(TransportButton::Rew));
  EXPECT_DOUBLE_EQ(player.rate(), 1.2);
  load(600, 0);
  message(WM_DVR_BUTTON_FS_LISTEN, true, false);
  EXPECT_FALSE(view.playing);
}

}  // namespace
}  // namespace tolv
