#pragma once
// Timestamps typed without a key press: every intervalSeconds of media time
// (at once between words, else at the next Space or Enter), the same a few
// seconds late, and at the start of a paragraph. The key observer of the
// hotkey dispatcher keeps the word-break and pending flags in TypingState and
// posts the commands; the position timer of the view runs the tick.
#include <cstdint>
#include <deque>
#include <set>

#include "tolv/hotkeys/HotkeyDispatcher.h"
#include "tolv/playback/TolvView.h"
#include "tolv/timestamps/TextSink.h"
#include "tolv/timestamps/TimestampWriter.h"

namespace tolv {

class CAutoTimestamps : public IPositionTickListener {
 public:
  CAutoTimestamps(IMediaPlayer& player, CTimestampWriter& writer, ITextSink& sink, TypingState& typing);

  // Every 100 ms, before the position display: notices due seconds.
  void AutoTimestampTick() override;
  // 32785: the interval timestamp that fell due last.
  void IntervalTimestampCommand();
  // 32787: the oldest waiting delayed timestamp, with the time at which it fell due.
  void DelayedTimestampCommand();
  // 32786: the current position, less subtractSeconds when chosen.
  void ParagraphTimestampCommand();
  // A new medium: nothing stamped, nothing waiting, at a word break.
  void OnMediaOpened() override;

  // Whole seconds already stamped by any automatic kind.
  std::set<int64_t> stampedSeconds;
  // Second at which each waiting delayed timestamp is typed.
  std::set<int64_t> delayedDueSeconds;
  // Positions of the waiting delayed timestamps, oldest first.
  std::deque<double> delayedQueue;
  double lastIntervalPosition = 0;
  double paragraphPosition = 0;

 private:
  void Type(double position, bool zeroFrames, const wchar_t* tail);

  IMediaPlayer& player_;
  CTimestampWriter& writer_;
  ITextSink& sink_;
  TypingState& typing_;
};

}  // namespace tolv
