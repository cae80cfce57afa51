#include "tolv/timestamps/AutoTimestamps.h"

#include <cmath>

#include "tolv/config/Settings.h"

namespace tolv {
namespace {

// Positions a player can report; anything else is not a time we stamp.
bool Usable(double position) { return std::isfinite(position) && std::fabs(position) < 1e12; }

int64_t Whole(double position) { return static_cast<int64_t>(position); }

}  // namespace

CAutoTimestamps::CAutoTimestamps(IMediaPlayer& player, CTimestampWriter& writer, ITextSink& sink,
                                 TypingState& typing)
    : player_(player), writer_(writer), sink_(sink), typing_(typing) {}

void CAutoTimestamps::OnMediaOpened() {
  stampedSeconds.clear();
  delayedDueSeconds.clear();
  delayedQueue.clear();
  typing_.pendingIntervalTimestamp = false;
  typing_.pendingDelayedTimestamp = false;
  typing_.atWordBreak = true;
  lastIntervalPosition = 0;
  paragraphPosition = 0;
}

void CAutoTimestamps::AutoTimestampTick() {
  if (!IsMediumLoaded(player_) || !intervalTimestamps || intervalSeconds <= 0) return;
  const double p = player_.currentPosition();
  if (!Usable(p)) return;
  const int64_t s = Whole(p);
  if (s <= 0) return;

  if (delayedDueSeconds.count(s)) {
    if (typing_.atWordBreak) {
      DelayedTimestampCommand();
    } else {
      typing_.pendingDelayedTimestamp = true;
    }
  }

  // Paused on a due second, the tick comes back every 100 ms: the last due
  // position and the stamped seconds keep it to one timestamp.
  if (s != Whole(lastIntervalPosition) && s % intervalSeconds == 0 && !stampedSeconds.count(s)) {
    lastIntervalPosition = p;
    if (delayTimestamps) {
      delayedDueSeconds.insert(s + delaySeconds);
      delayedQueue.push_back(p);
    } else if (typing_.atWordBreak) {
      IntervalTimestampCommand();
    } else {
      typing_.pendingIntervalTimestamp = true;
    }
  }
}

void CAutoTimestamps::IntervalTimestampCommand() {
  if (!IsMediumLoaded(player_)) return;
  const int64_t s = Whole(lastIntervalPosition);
  if (!stampedSeconds.insert(s).second) return;
  Type(lastIntervalPosition, true, L" ");
}

void CAutoTimestamps::DelayedTimestampCommand() {
  if (delayedQueue.empty()) return;
  const double q = delayedQueue.front();
  delayedQueue.pop_front();
  const int64_t s = Whole(q);
  delayedDueSeconds.erase(s + delaySeconds);
  if (!IsMediumLoaded(player_)) return;
  if (!stampedSeconds.insert(s).second) return;
  Type(q, true, L" ");
}

void CAutoTimestamps::ParagraphTimestampCommand() {
  // Without a medium there is no position to write.
  if (!IsMediumLoaded(player_)) return;
  const double p = player_.currentPosition();
  if (!Usable(p)) return;
  paragraphPosition = p;
  if (stampedSeconds.count(Whole(paragraphPosition))) return;
  if (subtractTimestamps) {
    paragraphPosition -= subtractSeconds;
    if (paragraphPosition < 0) paragraphPosition = 0;
  }
  stampedSeconds.insert(Whole(paragraphPosition));
  Type(paragraphPosition, false, paragraphNewLine ? L"\r\n" : L"");
}

void CAutoTimestamps::Type(double position, bool zeroFrames, const wchar_t* tail) {
  auto text = writer_.Format(position);
  if (!text) return;
  writer_.AppendFrames(*text, zeroFrames);
  *text += tail;
  sink_.InsertText(*text);
}

}  // namespace tolv
