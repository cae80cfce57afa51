// Automatic timestamps on the real view (fake player, form and timers) with the
// real dispatcher watching the keys: what reaches the typist's document, in order.
#include "tolv/timestamps/Timestamps.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "tolv/config/Settings.h"
#include "tolv/hotkeys/HotkeyCommands.h"
#include "tolv/hotkeys/HotkeyDispatcher.h"
#include "tolv/hotkeys/ViewHotkeyTarget.h"
#include "tolv/hotkeys/tests/fakes/ScopedHotkeyTables.h"
#include "tolv/playback/tests/ViewFixture.h"

namespace tolv::testing {
namespace {

// The word processor: keys that get through and inserted texts, in arrival order.
struct Document : ITextSink {
  std::wstring text;
  void InsertText(const std::wstring& inserted) override { text += inserted; }
};

class AutoTimestampTest : public ViewTest {
 protected:
  AutoTimestampTest() {
    playMode = PlayModeToggle;
    intervalTimestamps = 1;
    intervalSeconds = 30;
    view.setPositionTickListener(&stamps);
  }

  // A medium paused at `at`, opened as OpenMedia does it.
  void open(double at, double duration = 600) {
    if (view.playing) view.PlayToggle();
    load(duration, at);
    dispatcher.OnMediaOpened();
    stamps.OnMediaOpened();
  }
  void play() { view.PlayToggle(); }

  // Keys as the typist presses them: the key reaches the document unless a
  // hotkey took it, then the commands it posted run. '\n' is Enter.
  void type(const std::wstring& keys) {
    for (wchar_t c : keys) {
      const uint32_t vk = c == L' ' ? kVkSpace : c == L'\n' ? kVkReturn : std::towupper(c);
      int consumed = dispatcher.Dispatch(KeyEvent{kKeyDown, vk});
      consumed += dispatcher.Dispatch(KeyEvent{kKeyUp, vk});
      if (!consumed) doc.text += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
      while (!posted.empty()) {
        const uint32_t id = posted.front();
        posted.erase(posted.begin());
        EXPECT_TRUE(stamps.OnCommand(id)) << id;
      }
    }
  }

  testing_tolv::ScopedHotkeyTables tables;
  std::vector<uint32_t> posted;
  CViewHotkeyTarget target{view, player, [this](uint32_t id) { posted.push_back(id); }, [] {},
                           [](const PlayerError&) {}};
  HotkeyDispatcher dispatcher{target};
  Document doc;
  TimestampStyle style;
  int offset = 0;
  CTimestamps stamps{player, boxes, doc, dispatcher.typing(), style, offset};
};

TEST_F(AutoTimestampTest, MidWordTheTimestampWaitsForTheNextSpace) {
  open(29.5);
  type(L"hel");
  play();
  run(700);  // through 0:30
  EXPECT_EQ(L"hel", doc.text);
  type(L"lo");
  EXPECT_EQ(L"hello", doc.text);
  type(L" ");
  EXPECT_EQ(L"hello _00:00:30_ ", doc.text);
  type(L" ");
  EXPECT_EQ(L"hello _00:00:30_  ", doc.text);
}

TEST_F(AutoTimestampTest, AtAWordBreakTheTimestampIsTypedAtOnce) {
  open(29.5);
  type(L"word ");
  play();
  run(700);
  EXPECT_EQ(L"word _00:00:30_ ", doc.text);
  run(20000);  // up to 0:50: nothing more with an interval of 30
  EXPECT_EQ(L"word _00:00:30_ ", doc.text);
}

TEST_F(AutoTimestampTest, EnterAlsoReleasesAWaitingTimestamp) {
  open(29.5);
  type(L"end");
  play();
  run(700);
  type(L"\n");
  EXPECT_EQ(L"end\r\n_00:00:30_ ", doc.text);
}

TEST_F(AutoTimestampTest, OnlyTheLatestOfSeveralWaitingIntervalsIsTyped) {
  intervalSeconds = 2;
  open(1.5);
  type(L"x");
  play();
  run(3000);  // 0:02 and 0:04 fall due mid-word
  type(L" ");
  EXPECT_EQ(L"x _00:00:04_ ", doc.text);
}

TEST_F(AutoTimestampTest, DelayedTimestampIsTypedLaterWithTheTimeItFellDue) {
  intervalSeconds = 10;
  delayTimestamps = 1;
  delaySeconds = 5;
  open(9.5);
  play();
  run(1000);  // 0:10 falls due
  EXPECT_EQ(L"", doc.text);
  run(4000);  // 0:14.5
  EXPECT_EQ(L"", doc.text);
  run(600);   // 0:15.1
  EXPECT_EQ(L"_00:00:10_ ", doc.text);
  run(3000);
  EXPECT_EQ(L"_00:00:10_ ", doc.text);
}

TEST_F(AutoTimestampTest, DelayedTimestampDueMidWordWaitsForTheSpace) {
  intervalSeconds = 10;
  delayTimestamps = 1;
  delaySeconds = 5;
  open(9.5);
  play();
  run(1000);
  type(L"typing");
  run(5000);  // 0:15.5, mid-word
  EXPECT_EQ(L"typing", doc.text);
  type(L" ");
  EXPECT_EQ(L"typing _00:00:10_ ", doc.text);
  EXPECT_TRUE(stamps.automatic.delayedQueue.empty());
  EXPECT_TRUE(stamps.automatic.delayedDueSeconds.empty());
}

TEST_F(AutoTimestampTest, PausedOnADueSecondStampsOnce) {
  open(30.0);
  run(3000);
  EXPECT_EQ(L"_00:00:30_ ", doc.text);

  // The same pause, mid-word: one waiting timestamp, typed once.
  open(30.0);
  doc.text.clear();
  type(L"ab");
  run(3000);
  type(L" c d ");
  run(3000);
  type(L" ");
  EXPECT_EQ(L"ab _00:00:30_ c d  ", doc.text);

  // Delayed: the resting position queues one timestamp, not one per tick.
  delayTimestamps = 1;
  delaySeconds = 2;
  open(30.0);
  doc.text.clear();
  run(3000);
  EXPECT_EQ(1u, stamps.automatic.delayedQueue.size());
  play();
  run(2500);
  EXPECT_EQ(L"_00:00:30_ ", doc.text);
}

TEST_F(AutoTimestampTest, PositionZeroNeverStamps) {
  intervalSeconds = 2;
  for (int delay : {0, 1}) {
    delayTimestamps = delay;
    open(0.0);
    run(3000);
    EXPECT_EQ(L"", doc.text) << delay;
    EXPECT_TRUE(stamps.automatic.delayedQueue.empty());
  }
}

TEST_F(AutoTimestampTest, NoSecondIsStampedTwiceAcrossKinds) {
  intervalSeconds = 10;
  paragraphTimestamps = 1;
  paragraphEnterCount = 1;
  paragraphNewLine = 0;
  open(40.5);
  type(L"a");
  run(200);  // 0:40 due mid-word
  type(L"\n");  // the interval timestamp goes first, the paragraph finds 0:40 taken
  EXPECT_EQ(L"a\r\n_00:00:40_ ", doc.text);

  // A paragraph timestamp that took 0:50 keeps the interval from stamping it.
  subtractTimestamps = 1;
  subtractSeconds = 2;
  player.setCurrentPosition(52.5);
  type(L"\n");
  EXPECT_EQ(L"a\r\n_00:00:40_ \r\n_00:00:50_", doc.text);
  player.setCurrentPosition(49.5);
  type(L" ");
  play();
  run(1000);  // through 0:50 at a word break
  EXPECT_EQ(L"a\r\n_00:00:40_ \r\n_00:00:50_ ", doc.text);
}

TEST_F(AutoTimestampTest, ManualTimestampIgnoresTheStampedSeconds) {
  open(30.0);
  run(200);
  stamps.OnCommand(kCmdTimeStamp);
  EXPECT_EQ(L"_00:00:30_ _00:00:30_", doc.text);
}

TEST_F(AutoTimestampTest, ParagraphTimestampsWithSubtractAndNewLine) {
  intervalTimestamps = 0;
  paragraphTimestamps = 1;
  subtractTimestamps = 1;
  subtractSeconds = 5;
  struct Case {
    double at;
    int newLine;
    const wchar_t* expected;
  } cases[] = {
      {3.0, 1, L"x\r\n\r\n_00:00:00_\r\n"},   // below zero counts as the start
      {83.6, 1, L"x\r\n\r\n_00:01:18_\r\n"},
      {83.6, 0, L"x\r\n\r\n_00:01:18_"},
  };
  for (const auto& c : cases) {
    open(c.at);
    paragraphNewLine = c.newLine;
    doc.text.clear();
    type(L"x\n\n");
    EXPECT_EQ(std::wstring(c.expected), doc.text) << c.at;
  }
}

TEST_F(AutoTimestampTest, ParagraphFramesComeFromTheCurrentPosition) {
  paragraphTimestamps = 1;
  paragraphEnterCount = 1;
  paragraphNewLine = 0;
  style.showFrames = 1;
  style.framesPerSecond = 25;
  open(10.5);
  type(L"\n");
  EXPECT_EQ(L"\r\n_00:00:10_12", doc.text);
}

TEST_F(AutoTimestampTest, OpeningAMediumStartsAfresh) {
  open(29.5);
  type(L"a");
  play();
  run(700);
  EXPECT_TRUE(dispatcher.typing().pendingIntervalTimestamp);
  open(29.5);
  EXPECT_FALSE(dispatcher.typing().pendingIntervalTimestamp);
  EXPECT_TRUE(dispatcher.typing().atWordBreak);
  type(L" ");
  EXPECT_EQ(L"a ", doc.text);  // the old medium's timestamp is gone
  play();
  run(700);
  EXPECT_EQ(L"a _00:00:30_ ", doc.text);
  open(29.5);
  play();
  run(700);
  EXPECT_EQ(L"a _00:00:30_ _00:00:30_ ", doc.text);  // 0:30 may be stamped again
}

TEST_F(AutoTimestampTest, NothingWithoutAMediumOrWithoutAnInterval) {
  paragraphTimestamps = 1;
  paragraphEnterCount = 1;
  run(1000);
  type(L"\n");
  EXPECT_EQ(L"\r\n", doc.text);

  open(29.5);
  intervalSeconds = 0;
  play();
  run(1000);
  EXPECT_EQ(L"\r\n", doc.text);
}

TEST_F(AutoTimestampTest, EmptyDelayedQueueDoesNothing) {
  open(20);
  EXPECT_TRUE(stamps.OnCommand(kCmdDelayedTimestamp));
  EXPECT_FALSE(stamps.OnCommand(kCmdRx));
  EXPECT_EQ(L"", doc.text);
}

}  // namespace
}  // namespace tolv::testing
