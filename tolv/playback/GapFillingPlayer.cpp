#include "tolv/playback/GapFillingPlayer.h"

namespace tolv {
namespace {

// Runs the call unless the gap is known; a refusal as not implemented marks
// the gap and reports false, any other error propagates.
template <class Call>
bool TryUnlessMissing(bool& missing, Call call) {
  if (missing) return false;
  try {
    call();
    return true;
  } catch (const PlayerError& e) {
    if (e.code() != kNotImplementedCode) throw;
    missing = true;
    return false;
  }
}

}  // namespace

void CGapFillingPlayer::setURL(const std::wstring& url) {
  // A new medium starts as the component opens it (it may start playing on its own).
  held_.reset();
  heldByPause_ = false;
  component_.setURL(url);
}

int CGapFillingPlayer::playState() {
  int state = PlayStateUndefined;
  if (TryUnlessMissing(playStateMissing_, [&] { state = component_.playState(); })) return state;
  if (!component_.hasURL() || component_.duration() <= 0) return PlayStateUndefined;
  if (held_) return heldByPause_ ? PlayStatePaused : PlayStateStopped;
  return PlayStatePlaying;
}

std::wstring CGapFillingPlayer::status() {
  std::wstring text;
  TryUnlessMissing(statusMissing_, [&] { text = component_.status(); });
  return text;
}

void CGapFillingPlayer::setStretchToFit(bool stretch) {
  TryUnlessMissing(stretchMissing_, [&] { component_.setStretchToFit(stretch); });
}

void CGapFillingPlayer::controlsPlay() {
  component_.controlsPlay();
  if (!held_) return;
  const double resume = *held_;
  held_.reset();
  heldByPause_ = false;
  if (resume > 0) component_.setCurrentPosition(resume);
}

void CGapFillingPlayer::controlsPause() {
  if (TryUnlessMissing(pauseMissing_, [&] { component_.controlsPause(); })) return;
  if (held_) {
    heldByPause_ = true;
    return;
  }
  if (!component_.hasURL()) return;
  const double position = component_.currentPosition();
  component_.controlsStop();
  held_ = position;
  heldByPause_ = true;
}

void CGapFillingPlayer::controlsStop() {
  component_.controlsStop();
  // Such a component forgets the position with the stream: the next play
  // starts at the beginning, or where a seek in between asked for.
  if (pauseMissing_ && component_.hasURL()) {
    held_ = 0.0;
    heldByPause_ = false;
  }
}

double CGapFillingPlayer::currentPosition() { return held_ ? *held_ : component_.currentPosition(); }

void CGapFillingPlayer::setCurrentPosition(double seconds) {
  if (held_)
    held_ = seconds;
  else
    component_.setCurrentPosition(seconds);
}

void CGapFillingPlayer::setRate(double rate) {
  TryUnlessMissing(rateMissing_, [&] { component_.setRate(rate); });
}

void CGapFillingPlayer::setBalance(int balance) {
  TryUnlessMissing(balanceMissing_, [&] { component_.setBalance(balance); });
}

}  // namespace tolv
