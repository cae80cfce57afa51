#pragma once
// A media player without a medium: a virtual clock moves the position while
// playing, at the rate, up to the end of the medium. Media are registered by
// address with their duration; opening one takes `openDelayMs` of virtual
// time, during which playState reports an open under way and the duration
// reads 0.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tolv/playback/MediaPlayer.h"

namespace tolv::testing {

struct VirtualClock {
  int64_t nowMs = 0;
};

class FakeMediaPlayer : public IMediaPlayer {
 public:
  explicit FakeMediaPlayer(VirtualClock& clock) : clock_(clock) {}

  // --- set-up knobs ---
  void addMedium(const std::wstring& url, double durationSeconds) { media_[url] = durationSeconds; }
  // Loads a registered (or unregistered) medium at once, paused at 0.
  void load(const std::wstring& url, double durationSeconds);
  int64_t openDelayMs = 0;
  // What the player does at the end: hold the position at the end (default),
  // or go back to the start in the stopped state, as some players do.
  bool rewindAtEnd = false;
  // The next call of that name throws PlayerError(name, code). Names are the
  // method names: "controlsPlay", "setRate", ...
  void failNext(const std::string& method, long code = static_cast<long>(0x80004001));
  // Every later call of that name throws.
  void failAlways(const std::string& method, long code = static_cast<long>(0x80004001));

  // --- observation ---
  bool isPlaying();  // the player's own state, not the view's flag
  double rate() const { return rate_; }
  int volume() const { return volume_; }
  int balance() const { return balance_; }
  bool stretchToFit() const { return stretch_; }
  std::vector<double> seeks;  // every position written, in order (while `recordSeeks`)
  bool recordSeeks = true;
  int plays = 0, pauses = 0, stops = 0;
  // Names of the calls made, in order (only while `logCalls`).
  bool logCalls = false;
  std::vector<std::string> calls;

  // --- IMediaPlayer ---
  std::wstring URL() override;
  void setURL(const std::wstring& url) override;
  bool hasURL() override;
  int playState() override;
  std::wstring status() override;
  void setStretchToFit(bool stretch) override;
  void controlsPlay() override;
  void controlsPause() override;
  void controlsStop() override;
  double currentPosition() override;
  void setCurrentPosition(double seconds) override;
  double duration() override;
  void setRate(double rate) override;
  void setVolume(int volume) override;
  void setBalance(int balance) override;

 private:
  enum class Run { Stopped, Paused, Playing, Ended };
  void enter(const char* method);
  void update();
  void settle();
  bool opening();

  VirtualClock& clock_;
  std::map<std::wstring, double> media_;
  std::map<std::string, long, std::less<>> failOnce_, failEvery_;
  std::wstring url_;
  bool known_ = false;
  double duration_ = 0;
  int64_t openDoneMs_ = 0;
  int64_t lastUpdateMs_ = 0;
  Run run_ = Run::Stopped;
  double position_ = 0;  // at lastUpdateMs_
  double shown_ = 0;     // at the clock's time, after update()
  double rate_ = 1.0;
  int volume_ = 50;
  int balance_ = 0;
  bool stretch_ = false;
};

}  // namespace tolv::testing
