#pragma once
// Port to the embedded media player component, shaped after its object model:
// the player itself (URL, playState, status, stretchToFit) and the sub-objects
// controls, currentMedia and settings. Every call goes to the component at
// once; nothing is cached, because the medium can change under us while an
// open pumps messages.
#include <stdexcept>
#include <string>

namespace tolv {

// A call the component rejected. Nobody in the player catches it below the
// application's generic handler, which shows what() in a message box.
class PlayerError : public std::runtime_error {
 public:
  PlayerError(const char* operation, long code);
  long code() const { return code_; }
  const char* operation() const { return operation_; }

 private:
  const char* operation_;
  long code_;
};

// Values of playState the program distinguishes.
enum PlayState : int {
  PlayStateUndefined = 0,
  PlayStateStopped = 1,
  PlayStatePaused = 2,
  PlayStatePlaying = 3,
  PlayStateScanForward = 4,
  PlayStateScanReverse = 5,
  PlayStateBuffering = 6,
  PlayStateWaiting = 7,
  PlayStateMediaEnded = 8,
  PlayStateTransitioning = 9,
  PlayStateReady = 10,
  PlayStateReconnecting = 11,
};

class IMediaPlayer {
 public:
  virtual ~IMediaPlayer() = default;

  // URL: empty means no medium is loaded. Writing starts an open and returns
  // before the medium is ready.
  virtual std::wstring URL() = 0;
  virtual void setURL(const std::wstring& url) = 0;
  // Same as !URL().empty(), without copying the address (the timers ask often).
  virtual bool hasURL() = 0;

  virtual int playState() = 0;
  virtual std::wstring status() = 0;
  virtual void setStretchToFit(bool stretch) = 0;

  // controls: play from the current position at the current rate; pause in
  // place; stop so that the next play starts at the beginning.
  virtual void controlsPlay() = 0;
  virtual void controlsPause() = 0;
  virtual void controlsStop() = 0;
  // controls.currentPosition in seconds; writing seeks, also while paused.
  virtual double currentPosition() = 0;
  virtual void setCurrentPosition(double seconds) = 0;

  // currentMedia.duration in seconds; 0 until the component knows it.
  virtual double duration() = 0;

  // settings: rate factor, volume 0..100, balance -100..100.
  virtual void setRate(double rate) = 0;
  virtual void setVolume(int volume) = 0;
  virtual void setBalance(int balance) = 0;
};

// A medium counts as loaded while the player's URL is not empty.
inline bool IsMediumLoaded(IMediaPlayer& player) { return player.hasURL(); }

}  // namespace tolv
