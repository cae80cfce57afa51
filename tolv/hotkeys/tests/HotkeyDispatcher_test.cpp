#include <gtest/gtest.h>

#include <functional>

#include "tolv/hotkeys/HotkeyDispatcher.h"
#include "tolv/hotkeys/tests/fakes/FakeHotkeyTarget.h"
#include "tolv/hotkeys/tests/fakes/ScopedHotkeyTables.h"

using namespace tolv;
using testing_tolv::FakeHotkeyTarget;
using Calls = std::vector<std::string>;

namespace {

constexpr uint32_t F1 = 0x70, F2 = 0x71, F3 = 0x72, F4 = 0x73, F5 = 0x74, F6 = 0x75, F7 = 0x76,
                   F8 = 0x77, F9 = 0x78, F10 = 0x79, F11 = 0x7A, F12 = 0x7B, SCROLL = 0x91,
                   NUMPAD2 = 0x62, NUMPAD5 = 0x65, NUMPAD8 = 0x68, KEY_A = 0x41;

struct Step {
  uint32_t kind;
  uint32_t key;
  int consumed;
};
Step Down(uint32_t key, int consumed) { return {kKeyDown, key, consumed}; }
Step Up(uint32_t key, int consumed) { return {kKeyUp, key, consumed}; }

struct DispatchCase {
  const char* what;
  std::function<void(FakeHotkeyTarget&)> setup;
  std::vector<Step> steps;
  Calls calls;
};

void Idle(FakeHotkeyTarget&) {}
void Playing(FakeHotkeyTarget& t) { t.playing = true; }
void WhileHeld(FakeHotkeyTarget& t) { t.playWhileHeld = true; }
void EnableSpeedKeys(FakeHotkeyTarget&) { hotkeyDisabled[13] = hotkeyDisabled[14] = hotkeyDisabled[15] = false; }

class Dispatch : public ::testing::TestWithParam<DispatchCase> {
 protected:
  testing_tolv::ScopedHotkeyTables tables;
  FakeHotkeyTarget target;
};

TEST_P(Dispatch, Case) {
  const DispatchCase& c = GetParam();
  c.setup(target);
  HotkeyDispatcher dispatcher(target);
  for (size_t i = 0; i < c.steps.size(); ++i) {
    const Step& s = c.steps[i];
    EXPECT_EQ(dispatcher.Dispatch({s.kind, s.key}), s.consumed)
        << "step " << i << " kind 0x" << std::hex << s.kind << " key 0x" << s.key;
  }
  EXPECT_EQ(target.calls, c.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Dispatch,
    ::testing::Values(
        DispatchCase{"PlayToggleMode", Idle, {Down(F1, 1), Up(F1, 1)},
                     {"SetHeld(PLAY,1)", "PlayToggle", "SetHeld(PLAY,0)"}},
        DispatchCase{"PlayRepeatsToggleEachKeyDown", Idle, {Down(F1, 1), Down(F1, 1), Up(F1, 1)},
                     {"SetHeld(PLAY,1)", "PlayToggle", "SetHeld(PLAY,1)", "PlayToggle",
                      "SetHeld(PLAY,0)"}},
        DispatchCase{"PlayWhileHeldPlaysUntilRelease", WhileHeld,
                     {Down(F1, 1), Down(F1, 1), Up(F1, 1)},
                     {"SetHeld(PLAY,1)", "PlayToggle", "SetHeld(PLAY,1)", "SetHeld(PLAY,0)",
                      "PlayToggle"}},
        DispatchCase{"PlayWhileHeldWithoutMedium",
                     [](FakeHotkeyTarget& t) { t.playWhileHeld = true; t.duration = 0; },
                     {Down(F1, 1), Up(F1, 1)}, {"SetHeld(PLAY,1)", "SetHeld(PLAY,0)"}},
        DispatchCase{"PlayWhileHeldReleaseWhenAlreadyStopped", WhileHeld, {Up(F1, 1)},
                     {"SetHeld(PLAY,0)"}},
        DispatchCase{"PlayWhileHeldPressWhilePlaying",
                     [](FakeHotkeyTarget& t) { t.playWhileHeld = true; t.playing = true; },
                     {Down(F1, 1)}, {"SetHeld(PLAY,1)"}},
        DispatchCase{"StopConsumesKeyDownOnly", Playing, {Down(F4, 1), Up(F4, 0)}, {"Stop"}},
        DispatchCase{"RewWhilePlayingHolds", Playing, {Down(F7, 1), Down(F7, 1), Up(F7, 1)},
                     {"SetHeld(REW,1)", "SetHeld(REW,1)", "ReleaseRewFf(REW)"}},
        DispatchCase{"RewStoppedStepsPerRepeat", Idle, {Down(F7, 1), Down(F7, 1), Up(F7, 1)},
                     {"RewindStep", "RewindStep", "ReleaseRewFf(REW)"}},
        DispatchCase{"FfWhilePlayingHolds", Playing, {Down(F8, 1), Up(F8, 1)},
                     {"SetHeld(FF,1)", "ReleaseRewFf(FF)"}},
        DispatchCase{"FfStoppedSteps", Idle, {Down(F8, 1), Up(F8, 1)},
                     {"FastForwardStep", "ReleaseRewFf(FF)"}},
        DispatchCase{"TimeStampOnKeyUpOnly", Idle, {Down(F9, 0), Up(F9, 1)}, {"Post(32777)"}},
        DispatchCase{"PxAndRxOnKeyUp", Idle, {Down(F12, 0), Up(F12, 1), Down(F5, 0), Up(F5, 1)},
                     {"Post(32789)", "Post(32788)"}},
        DispatchCase{"ShortcutsOnKeyUp", Idle,
                     {Down(F2, 0), Up(F2, 1), Up(F3, 1), Up(F6, 1), Up(F11, 1)},
                     {"Post(32779)", "Post(32780)", "Post(32781)", "Post(32783)"}},
        DispatchCase{"F10ArrivesAsSystemKeyAndPasses", Idle,
                     {{kSysKeyDown, F10, 0}, {kSysKeyUp, F10, 0}}, {}},
        DispatchCase{"F10AsPlainKeyTypesShortcut4", Idle, {Up(F10, 1)}, {"Post(32782)"}},
        DispatchCase{"AltHeldHotkeyPasses", Idle, {{kSysKeyDown, F1, 0}, {kSysKeyUp, F1, 0}}, {}},
        DispatchCase{"OtherMessageKindsPass", Idle, {{0x102, F1, 0}, {0, F1, 0}}, {}},
        DispatchCase{"BookmarkOnKeyDown", Idle, {Down(SCROLL, 1), Up(SCROLL, 0)}, {"AddBookmark"}},
        DispatchCase{"SpeedKeysDisabledByDefault", Idle,
                     {Down(NUMPAD5, 0), Up(NUMPAD5, 0), Down(NUMPAD8, 0), Down(NUMPAD2, 0)}, {}},
        DispatchCase{"SpeedKeysWhenEnabled", EnableSpeedKeys,
                     {Down(NUMPAD5, 1), Up(NUMPAD5, 0), Down(NUMPAD8, 1), Down(NUMPAD8, 1),
                      Down(NUMPAD2, 1)},
                     {"Post(32793)", "Post(32791)", "Post(32791)", "Post(32792)"}},
        DispatchCase{"DisabledPlayPasses", [](FakeHotkeyTarget&) { hotkeyDisabled[0] = true; },
                     {Down(F1, 0), Up(F1, 0)}, {}},
        DispatchCase{"UnassignedKeyPasses", Idle, {Down(KEY_A, 0), Up(KEY_A, 0)}, {}},
        DispatchCase{"WholeKeyCodeMustMatch", Idle, {Down(0x100 | F1, 0), Down(0x10000 | F4, 0)},
                     {}},
        // A key shared by two records: the lower index handles its edge, the other edge
        // goes on to the next record.
        DispatchCase{"SharedKeyTimeStampAndBookmark",
                     [](FakeHotkeyTarget&) { HotkeyTable[12].virtualKey = F9; },
                     {Down(F9, 1), Up(F9, 1)}, {"AddBookmark", "Post(32777)"}},
        DispatchCase{"SharedKeyPlayWinsBothEdges",
                     [](FakeHotkeyTarget&) { HotkeyTable[5].virtualKey = F1; },
                     {Down(F1, 1), Up(F1, 1)},
                     {"SetHeld(PLAY,1)", "PlayToggle", "SetHeld(PLAY,0)"}},
        DispatchCase{"SharedKeyDisabledLowerRecordLetsTheNextFire",
                     [](FakeHotkeyTarget&) {
                       HotkeyTable[5].virtualKey = F1;
                       hotkeyDisabled[0] = true;
                     },
                     {Down(F1, 0), Up(F1, 1)}, {"Post(32779)"}},
        DispatchCase{"SharedKeyStopAndRx",
                     [](FakeHotkeyTarget&) { HotkeyTable[11].virtualKey = F4; },
                     {Down(F4, 1), Up(F4, 1)}, {"Stop", "Post(32788)"}}),
    [](const ::testing::TestParamInfo<DispatchCase>& info) { return std::string(info.param.what); });

// Space and Enter mark a word break; a timestamp held back in mid-word goes out there.
class Typing : public ::testing::Test {
 protected:
  testing_tolv::ScopedHotkeyTables tables;
  FakeHotkeyTarget target;
  HotkeyDispatcher dispatcher{target};

  int down(uint32_t key) { return dispatcher.Dispatch({kKeyDown, key}); }
  int up(uint32_t key) { return dispatcher.Dispatch({kKeyUp, key}); }
};

TEST_F(Typing, WordBreakFollowsTheLastKeyDown) {
  EXPECT_TRUE(dispatcher.typing().atWordBreak);
  down(KEY_A);
  EXPECT_FALSE(dispatcher.typing().atWordBreak);
  up(kVkSpace);  // key-ups change nothing
  EXPECT_FALSE(dispatcher.typing().atWordBreak);
  down(kVkSpace);
  EXPECT_TRUE(dispatcher.typing().atWordBreak);
  down(F9);  // a hotkey key-down is a key-down like any other
  EXPECT_FALSE(dispatcher.typing().atWordBreak);
  down(kVkReturn);
  EXPECT_TRUE(dispatcher.typing().atWordBreak);
  dispatcher.Dispatch({kSysKeyDown, KEY_A});  // ignored kinds are not observed
  EXPECT_TRUE(dispatcher.typing().atWordBreak);
}

struct PendingCase {
  const char* what;
  bool interval, delayed, intervalOn;
  uint32_t key;
  Calls calls;
  bool pendingAfter;
};

class Pending : public Typing, public ::testing::WithParamInterface<PendingCase> {};

TEST_P(Pending, Case) {
  const PendingCase& c = GetParam();
  target.intervalTimestamps = c.intervalOn;
  dispatcher.typing().pendingIntervalTimestamp = c.interval;
  dispatcher.typing().pendingDelayedTimestamp = c.delayed;
  EXPECT_EQ(down(c.key), 0);  // the break key itself still reaches the application
  EXPECT_EQ(target.calls, c.calls);
  EXPECT_EQ(dispatcher.typing().pendingIntervalTimestamp, c.pendingAfter && c.interval);
  EXPECT_EQ(dispatcher.typing().pendingDelayedTimestamp, c.pendingAfter && c.delayed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Pending,
    ::testing::Values(
        PendingCase{"IntervalAtSpace", true, false, true, kVkSpace, {"Post(32785)"}, false},
        PendingCase{"IntervalAtEnter", true, false, true, kVkReturn, {"Post(32785)"}, false},
        PendingCase{"DelayedAtSpace", false, true, true, kVkSpace, {"Post(32787)"}, false},
        PendingCase{"DelayedWinsOverInterval", true, true, true, kVkSpace, {"Post(32787)"}, false},
        PendingCase{"IntervalOffKeepsPending", true, true, false, kVkSpace, {}, true},
        PendingCase{"MidWordKeepsPending", true, true, true, KEY_A, {}, true},
        PendingCase{"NothingPending", false, false, true, kVkSpace, {}, false}),
    [](const ::testing::TestParamInfo<PendingCase>& info) { return std::string(info.param.what); });

TEST_F(Typing, PendingGoesOutOnlyOnce) {
  target.intervalTimestamps = true;
  dispatcher.typing().pendingIntervalTimestamp = true;
  down(kVkSpace);
  down(kVkSpace);
  EXPECT_EQ(target.calls, Calls{"Post(32785)"});
}

struct ParagraphCase {
  const char* what;
  bool on;
  int count;
  std::vector<uint32_t> keyDowns;
  int posts;
  int runAfter;
};

class Paragraph : public Typing, public ::testing::WithParamInterface<ParagraphCase> {};

TEST_P(Paragraph, Case) {
  const ParagraphCase& c = GetParam();
  target.paragraphTimestamps = c.on;
  target.paragraphEnterCount = c.count;
  for (uint32_t key : c.keyDowns) {
    EXPECT_EQ(down(key), 0);
    up(key);
  }
  EXPECT_EQ(std::count(target.calls.begin(), target.calls.end(), "Post(32786)"), c.posts);
  EXPECT_EQ(target.calls.size(), size_t(c.posts));
  EXPECT_EQ(dispatcher.typing().enterRun, c.runAfter);
}

constexpr uint32_t ENTER = kVkReturn;
INSTANTIATE_TEST_SUITE_P(
    Cases, Paragraph,
    ::testing::Values(ParagraphCase{"TwoEnters", true, 2, {ENTER, ENTER}, 1, 0},
                      ParagraphCase{"LetterBetween", true, 2, {ENTER, KEY_A, ENTER}, 0, 1},
                      ParagraphCase{"SpaceBetween", true, 2, {ENTER, kVkSpace, ENTER}, 0, 1},
                      ParagraphCase{"ThreeEnters", true, 2, {ENTER, ENTER, ENTER}, 1, 1},
                      ParagraphCase{"FourEnters", true, 2, {ENTER, ENTER, ENTER, ENTER}, 2, 0},
                      ParagraphCase{"CountOne", true, 1, {ENTER, KEY_A, ENTER}, 2, 0},
                      ParagraphCase{"CountThree", true, 3, {ENTER, ENTER, ENTER}, 1, 0},
                      ParagraphCase{"Off", false, 2, {ENTER, ENTER, ENTER}, 0, 0},
                      // A count that can never be reached: nothing posted, nothing piles up.
                      ParagraphCase{"CountZero", true, 0, {ENTER, ENTER, ENTER}, 0, 0},
                      ParagraphCase{"CountNegative", true, -1, {ENTER, ENTER}, 0, 0}),
    [](const ::testing::TestParamInfo<ParagraphCase>& info) { return std::string(info.param.what); });

TEST_F(Typing, EnterAsHotkeyIsObservedAndDispatched) {
  target.paragraphTimestamps = true;
  target.paragraphEnterCount = 2;
  HotkeyTable[10].virtualKey = ENTER;  // PX on Enter
  EXPECT_EQ(down(ENTER), 0);
  EXPECT_EQ(up(ENTER), 1);
  EXPECT_EQ(down(ENTER), 0);
  EXPECT_EQ(target.calls, (Calls{"Post(32789)", "Post(32786)"}));
}

TEST_F(Typing, OpeningAMediumResetsTheWordBreak) {
  down(KEY_A);
  dispatcher.typing().pendingIntervalTimestamp = true;
  dispatcher.typing().pendingDelayedTimestamp = true;
  dispatcher.OnMediaOpened();
  EXPECT_TRUE(dispatcher.typing().atWordBreak);
  EXPECT_FALSE(dispatcher.typing().pendingIntervalTimestamp);
  EXPECT_FALSE(dispatcher.typing().pendingDelayedTimestamp);
}

}  // namespace
