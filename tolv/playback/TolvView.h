#pragma once
// The playback side of the main form view: transport operations, opening
// media, the view's window timers, the time display with its sliders, and the
// stopwatch. All of it runs on the user-interface thread; nothing here locks.
//
// Errors of the player (PlayerError) are not caught: the operation in
// progress ends where the call failed and the framework reports it.
#include <string>

#include "tolv/playback/CMySliders.h"
#include "tolv/playback/MediaPlayer.h"
#include "tolv/playback/OpenMedia.h"
#include "tolv/playback/TolvForm.h"

namespace tolv {

// Window timer identifiers of the view.
enum : unsigned {
  AutoStopTimerId = 4,
  RewFfPollTimerId = 110,
  PositionTimerId = 111,
  PlayHeldPollTimerId = 114,
  PxTimerId = 122,
  StopwatchTimerId = 125,
};
constexpr unsigned RewFfPollPeriodMs = 67;
constexpr unsigned PositionPeriodMs = 100;
constexpr unsigned PlayHeldPollPeriodMs = 100;
constexpr unsigned StopwatchPeriodMs = 1000;

// Runs first on every position tick (automatic timestamps).
class IPositionTickListener {
 public:
  virtual ~IPositionTickListener() = default;
  virtual void AutoTimestampTick() = 0;
  // A medium has been opened: forget what was stamped for the last one.
  virtual void OnMediaOpened() {}
};

class CTolvView {
 public:
  CTolvView(IMediaPlayer& player, ITolvForm& form, ITimerPort& timers, IMessageBoxes& messages);

  // --- transport state ---
  bool playing = false;
  int stepSeconds = 1;
  bool rewFfStepping = false;
  bool speedToggled = false;

  // --- display state ---
  long long lastDurationShown = -1;
  long long lastDragLabel = -1;
  int lastKnownPosition = 0;
  bool stopwatchRunning = false;
  int stopwatchSeconds = 0;

  // --- the open medium ---
  // Name of the current medium: the key of its saved position. The last path
  // component once opened; the whole path or address after a failed open.
  std::wstring mediumName;

  // --- start and end of the view ---
  // Slider ranges and first positions: volume 0..100 at 50, speed 20..250 at
  // speedPercent, balance 0..200 at 100.
  void InitTransportControls();
  // REW/FF poll, position timer and PLAY-held poll.
  void StartTransportTimers();
  void StopTransportTimers();
  void setPositionTickListener(IPositionTickListener* listener) { tickListener_ = listener; }
  void setOpenMediaPorts(const OpenMediaPorts& ports);

  // --- opening media ---
  // The one way to open a medium. With play, converts and decodes as
  // configured, loads it, restores its saved position and plays; without,
  // only lists the file in the playlist.
  void OpenMedia(std::wstring path, bool play);
  // Stores the position of the loaded medium (settings store and playlist);
  // also called when the view is destroyed.
  void SaveCurrentMediumPosition();

  // --- transport operations ---
  void PlayToggle();
  void Stop();
  void RewindStep();
  void FastForwardStep();
  void SetHeld(TransportButton button, bool pressed);
  void ReleaseRewFf(TransportButton button);
  void PlaySeconds();
  void RewindAndPlay();
  void SpeedToggle();
  void IncreaseSpeed();
  void DecreaseSpeed();
  void ApplySpeed();
  void ApplyVolume();
  void ApplyBalance();

  // --- window events ---
  void OnTimer(unsigned id);
  // A mouse click (release) on REW or FF.
  void OnRewFfClicked();
  // "set" beside the toggle speed edit.
  void OnSetToggleSpeed();
  // "50%" and "100%": the speed follows through the slider's repaint.
  void OnSpeedPreset(int percent);

  // Slider notifications.
  void OnSliderLButtonDown(SliderId slider, bool onThumb, int x);
  void OnSliderLButtonUp(SliderId slider);
  void OnSliderCustomDraw(SliderId slider);
  void OnSliderEndDrag(SliderId slider);
  CMySliders& slider(SliderId id);

  // Go-to-time button.
  void OnGoToTime();

  // Stopwatch buttons.
  void OnStopwatchStartPause();
  void OnStopwatchReset();

  // Timer bodies, callable on their own (the benchmark uses them).
  void RewFfPollTick();
  void PositionTick();
  void PlayHeldPollTick();
  void StopwatchTick();

 private:
  void Step(bool forward);
  void ShowPositionLabel(long long seconds);
  void ReseekAtCurrentPosition();
  void RestartAfterSpeedChange();
  void PositionDisplayTick();
  void EndOfMediumCheck();
  long long ShownTime(int position);
  void OnPositionSliderDraw();
  void OnPositionSliderEndDrag();

  IMediaPlayer& player_;
  ITolvForm& form_;
  ITimerPort& timers_;
  IMessageBoxes& messages_;
  IPositionTickListener* tickListener_ = nullptr;
  OpenMediaPorts openPorts_;
  // Counts the opens started; an open whose wait sees a newer one gives way to it.
  unsigned openSerial_ = 0;
  CMySliders positionSlider_, volumeSlider_, speedSlider_, balanceSlider_;
};

}  // namespace tolv
