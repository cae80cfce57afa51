#include "tolv/playback/tests/fakes/FakeMediaPlayer.h"

#include <algorithm>

namespace tolv::testing {

void FakeMediaPlayer::failNext(const std::string& method, long code) { failOnce_[method] = code; }
void FakeMediaPlayer::failAlways(const std::string& method, long code) { failEvery_[method] = code; }

void FakeMediaPlayer::enter(const char* method) {
  if (logCalls) calls.emplace_back(method);
  if (failOnce_.empty() && failEvery_.empty()) return;
  if (auto it = failOnce_.find(method); it != failOnce_.end()) {
    const long code = it->second;
    failOnce_.erase(it);
    throw PlayerError(method, code);
  }
  if (auto it = failEvery_.find(method); it != failEvery_.end()) throw PlayerError(method, it->second);
}

bool FakeMediaPlayer::opening() { return !url_.empty() && clock_.nowMs < openDoneMs_; }

// Brings the position up to the virtual clock. While playing, the position is
// computed from where playback last (re)started, so that many small looks do
// not add up rounding errors.
void FakeMediaPlayer::update() {
  const int64_t now = clock_.nowMs;
  if (run_ == Run::Playing) {
    const int64_t from = std::max(lastUpdateMs_, openDoneMs_);
    double at = position_;
    if (now > from) at += static_cast<double>(now - from) / 1000.0 * rate_;
    if (at >= duration_) {
      position_ = rewindAtEnd ? 0.0 : duration_;
      run_ = rewindAtEnd ? Run::Stopped : Run::Ended;
      lastUpdateMs_ = now;
    } else {
      shown_ = at;
      return;
    }
  }
  shown_ = position_;
}

// Makes the current position the new starting point (before a seek, a pause
// or a new rate).
void FakeMediaPlayer::settle() {
  update();
  position_ = shown_;
  lastUpdateMs_ = std::max(clock_.nowMs, openDoneMs_);
}

void FakeMediaPlayer::load(const std::wstring& url, double durationSeconds) {
  media_[url] = durationSeconds;
  url_ = url;
  known_ = true;
  duration_ = durationSeconds;
  openDoneMs_ = clock_.nowMs;
  lastUpdateMs_ = clock_.nowMs;
  run_ = Run::Paused;
  position_ = 0;
}

bool FakeMediaPlayer::isPlaying() {
  settle();
  return run_ == Run::Playing;
}

std::wstring FakeMediaPlayer::URL() {
  enter("URL");
  return url_;
}

void FakeMediaPlayer::setURL(const std::wstring& url) {
  enter("setURL");
  url_ = url;
  auto it = media_.find(url);
  known_ = it != media_.end();
  duration_ = known_ ? it->second : 0;
  openDoneMs_ = clock_.nowMs + openDelayMs;
  lastUpdateMs_ = clock_.nowMs;
  position_ = 0;
  // A newly set URL starts playing once open, as the component does.
  run_ = url.empty() || !known_ ? Run::Stopped : Run::Playing;
}

bool FakeMediaPlayer::hasURL() {
  enter("hasURL");
  return !url_.empty();
}

int FakeMediaPlayer::playState() {
  enter("playState");
  if (url_.empty()) return PlayStateUndefined;
  if (opening()) return PlayStateTransitioning;
  if (!known_) return PlayStateUndefined;
  settle();
  switch (run_) {
    case Run::Stopped: return PlayStateStopped;
    case Run::Paused: return PlayStatePaused;
    case Run::Playing: return PlayStatePlaying;
    case Run::Ended: return PlayStateMediaEnded;
  }
  return PlayStateUndefined;
}

std::wstring FakeMediaPlayer::status() {
  enter("status");
  if (url_.empty()) return L"";
  if (opening()) return L"Opening media...";
  if (!known_) return L"Cannot open the file.";
  return isPlaying() ? L"Playing" : L"Paused";
}

void FakeMediaPlayer::setStretchToFit(bool stretch) {
  enter("setStretchToFit");
  stretch_ = stretch;
}

// Without a medium the controls do nothing, like the component.
void FakeMediaPlayer::controlsPlay() {
  enter("controlsPlay");
  ++plays;
  if (url_.empty() || !known_) return;
  settle();
  if (run_ == Run::Ended) position_ = 0;
  run_ = Run::Playing;
}

void FakeMediaPlayer::controlsPause() {
  enter("controlsPause");
  ++pauses;
  if (url_.empty() || !known_) return;
  settle();
  if (run_ == Run::Playing) run_ = Run::Paused;
}

void FakeMediaPlayer::controlsStop() {
  enter("controlsStop");
  ++stops;
  if (url_.empty() || !known_) return;
  settle();
  run_ = Run::Stopped;
  position_ = 0;
}

double FakeMediaPlayer::currentPosition() {
  enter("currentPosition");
  if (url_.empty() || !known_ || opening()) return 0;
  update();
  return shown_;
}

void FakeMediaPlayer::setCurrentPosition(double seconds) {
  enter("setCurrentPosition");
  if (url_.empty() || !known_) return;
  settle();
  if (recordSeeks) seeks.push_back(seconds);
  position_ = std::clamp(seconds, 0.0, duration_);
  if (run_ == Run::Ended) run_ = Run::Paused;
}

double FakeMediaPlayer::duration() {
  enter("duration");
  if (url_.empty() || !known_ || opening()) return 0;
  return duration_;
}

void FakeMediaPlayer::setRate(double rate) {
  enter("setRate");
  settle();
  rate_ = rate;
}

void FakeMediaPlayer::setVolume(int volume) {
  enter("setVolume");
  volume_ = std::clamp(volume, 0, 100);
}

void FakeMediaPlayer::setBalance(int balance) {
  enter("setBalance");
  balance_ = std::clamp(balance, -100, 100);
}

}  // namespace tolv::testing
