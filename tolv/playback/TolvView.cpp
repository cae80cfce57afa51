#include "tolv/playback/TolvView.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cwchar>

#include "tolv/config/Settings.h"
#include "tolv/playback/TimeText.h"

namespace tolv {

namespace {

// Whole seconds of a player value, truncated toward zero. The component is
// outside our control: NaN and absurd values must not reach an int cast.
int Whole(double seconds) {
  if (!(seconds == seconds)) return 0;
  if (seconds >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (seconds <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(seconds);
}

// Timer period for a count of seconds; window timers take at most 0x7FFFFFFF ms.
unsigned PeriodMs(int seconds) {
  const long long ms = static_cast<long long>(seconds) * 1000;
  return static_cast<unsigned>(std::clamp<long long>(ms, 1, 0x7FFFFFFF));
}

// Kills a one-shot timer when its handler leaves, also by an exception, so a
// failing handler does not come back on every period.
class KillOnExit {
 public:
  KillOnExit(ITimerPort& timers, unsigned id) : timers_(timers), id_(id) {}
  ~KillOnExit() { timers_.killTimer(id_); }
  KillOnExit(const KillOnExit&) = delete;
  KillOnExit& operator=(const KillOnExit&) = delete;

 private:
  ITimerPort& timers_;
  unsigned id_;
};

// The ports of an open that nobody supplied: nothing converted, nothing
// stored or listed, no window services.
class NoConversions : public IMediumConversions {
 public:
  void ConvertIfConfigured(std::wstring&) override {}
  bool DecodeDictationFile(std::wstring&) override { return true; }
};
class NoPositions : public IMediumPositions {
 public:
  int SavedPosition(const std::wstring&) override { return 0; }
  void SavePosition(const std::wstring&, double) override {}
};
class NoLists : public IMediaLists {
 public:
  void AddToPlaylist(const std::wstring&, int, int) override {}
  void SetPlaypoint(const std::wstring&, int) override {}
  void ShowBookmarksFor(const std::wstring&) override {}
};
class NoWindow : public IOpenMediaWindow {
 public:
  void ShowVideoResizeHelp(CVideoResizeHelp&) override {}
  void PumpPendingMessages() override {}
  void HidePlaceholder() override {}
  void RedrawView() override {}
  void RelayoutForm() override {}
};
NoConversions noConversions;
NoPositions noPositions;
NoLists noLists;
NoWindow noWindow;

bool IsVideoPath(const std::wstring& lowerPath) {
  for (const wchar_t* video : {L".avi", L".mpg", L".flv", L".mpeg", L".mov", L".wmv"})
    if (lowerPath.find(video) != std::wstring::npos) return true;
  return false;
}

bool IsOpening(int state) {
  return state == PlayStateBuffering || state == PlayStateWaiting || state == PlayStateTransitioning ||
         state == PlayStateReconnecting;
}

bool IsOpened(int state) {
  return state == PlayStateStopped || state == PlayStatePaused || state == PlayStatePlaying ||
         state == PlayStateMediaEnded || state == PlayStateReady;
}

}  // namespace

CTolvView::CTolvView(IMediaPlayer& player, ITolvForm& form, ITimerPort& timers, IMessageBoxes& messages)
    : player_(player), form_(form), timers_(timers), messages_(messages) {
  setOpenMediaPorts({});
}

void CTolvView::setOpenMediaPorts(const OpenMediaPorts& ports) {
  openPorts_.conversions = ports.conversions ? ports.conversions : &noConversions;
  openPorts_.positions = ports.positions ? ports.positions : &noPositions;
  openPorts_.lists = ports.lists ? ports.lists : &noLists;
  openPorts_.window = ports.window ? ports.window : &noWindow;
}

void CTolvView::InitTransportControls() {
  form_.setSliderRange(SliderId::Volume, 0, 100, true);
  form_.setSliderPos(SliderId::Volume, 50);
  form_.setSliderRange(SliderId::Speed, 20, 250, true);
  form_.setSliderLineSize(SliderId::Speed, 1);
  form_.setSliderPageSize(SliderId::Speed, 1);
  form_.setSliderTicFreq(SliderId::Speed, 1);
  form_.setSliderPos(SliderId::Speed, speedPercent);
  form_.setSliderRange(SliderId::Balance, 0, 200, true);
  form_.setSliderLineSize(SliderId::Balance, 1);
  form_.setSliderPageSize(SliderId::Balance, 1);
  form_.setSliderPos(SliderId::Balance, 100);
  form_.setLabel(LabelId::Stopwatch, FormatHMS(stopwatchSeconds).view());
}

void CTolvView::StartTransportTimers() {
  timers_.setTimer(RewFfPollTimerId, RewFfPollPeriodMs);
  timers_.setTimer(PositionTimerId, PositionPeriodMs);
  timers_.setTimer(PlayHeldPollTimerId, PlayHeldPollPeriodMs);
}

void CTolvView::StopTransportTimers() {
  timers_.killTimer(RewFfPollTimerId);
  timers_.killTimer(PositionTimerId);
  timers_.killTimer(PlayHeldPollTimerId);
}

// ------------------------------------------------------------ opening media

void CTolvView::OpenMedia(std::wstring path, bool play) {
  if (play) player_.controlsPause();
  const std::wstring lowerPath = LowerAscii(path);
  const std::wstring lowerExtension = LowerAscii(MediumExtension(path));

  if (showVideoResizeHelp && IsVideoPath(lowerPath)) {
    CVideoResizeHelp hint;
    openPorts_.window->ShowVideoResizeHelp(hint);
  }

  if (play) {
    openPorts_.conversions->ConvertIfConfigured(path);
    const bool dictation = lowerExtension.find(L".dss") != std::wstring::npos ||
                           lowerExtension.find(L".ds2") != std::wstring::npos;
    if (dictation && !openPorts_.conversions->DecodeDictationFile(path)) return;
  }

  SaveCurrentMediumPosition();

  if (!play) {
    const int saved = openPorts_.positions->SavedPosition(MediumNameOf(path));
    openPorts_.lists->AddToPlaylist(path, 0, saved);
    return;
  }

  mediumName = path;
  player_.setURL(path);

  // Timers, hotkeys and pedals keep working while the player opens the medium.
  const unsigned serial = ++openSerial_;
  int state = player_.playState();
  while (IsOpening(state)) {
    openPorts_.window->PumpPendingMessages();
    // Another open started from a handler of the loop: it owns the player now.
    if (serial != openSerial_) return;
    state = player_.playState();
  }
  if (!IsOpened(state)) {
    messages_.show(L"Error opening the file! " + player_.status(), MessageIcon::Error);
    return;
  }

  openPorts_.window->HidePlaceholder();
  player_.controlsStop();
  if (tickListener_) tickListener_->OnMediaOpened();
  playing = false;

  form_.setSliderRange(SliderId::Speed, 20, 250, true);
  form_.setSliderLineSize(SliderId::Speed, 1);
  form_.setSliderPageSize(SliderId::Speed, 1);
  form_.setSliderTicFreq(SliderId::Speed, 1);
  form_.setSliderRange(SliderId::Balance, 0, 200, true);
  form_.setSliderPos(SliderId::Balance, 100);
  form_.setSliderLineSize(SliderId::Balance, 1);
  form_.setSliderPageSize(SliderId::Balance, 1);
  form_.setSliderTicFreq(SliderId::Balance, 10);
  form_.setSliderTickSide(SliderId::Balance, TickSide::Top);

  player_.setStretchToFit(true);
  openPorts_.window->RedrawView();

  mediumName = MediumNameOf(path);
  form_.setLabel(LabelId::FileName, mediumName);

  const int saved = openPorts_.positions->SavedPosition(mediumName);
  player_.setCurrentPosition(saved);
  const int length = std::max(Whole(player_.duration()), 0);
  form_.setSliderRange(SliderId::Position, 0, length, false);

  openPorts_.lists->AddToPlaylist(path, length, saved);
  openPorts_.lists->ShowBookmarksFor(path);
  PlayToggle();
  openPorts_.window->RelayoutForm();
}

void CTolvView::SaveCurrentMediumPosition() {
  if (!IsMediumLoaded(player_)) return;
  const double p = player_.currentPosition();
  openPorts_.positions->SavePosition(mediumName, p);
  openPorts_.lists->SetPlaypoint(mediumName, std::max(Whole(p), 0));
}

// ---------------------------------------------------------------- transport

void CTolvView::PlayToggle() {
  if (!IsMediumLoaded(player_)) return;
  if (!playing) {
    player_.controlsPlay();
    // A length of 0 (the first-start value) would stop playback at once;
    // it means "no limit" instead.
    if (playMode == PlayModeFixedLength && playLengthSeconds > 0)
      timers_.setTimer(AutoStopTimerId, PeriodMs(playLengthSeconds));
    playing = true;
    form_.setPlayIcon(true);
    form_.enableStop(true);
    return;
  }
  player_.controlsPause();
  if (jumpBackSeconds >= 0) {
    const double p = player_.currentPosition();
    if (p - jumpBackSeconds >= 0) {
      player_.setCurrentPosition(p - jumpBackSeconds);
      form_.setSliderPos(SliderId::Position, Whole(p) - jumpBackSeconds);
    } else {
      player_.setCurrentPosition(0);
      form_.setSliderPos(SliderId::Position, 0);
    }
  }
  playing = false;
  form_.setPlayIcon(false);
  form_.enableStop(true);
}

void CTolvView::Stop() {
  if (!IsMediumLoaded(player_)) return;
  if (jumpBackSeconds < 0) {
    player_.controlsStop();
    form_.focusStop();
    playing = false;
  } else {
    // Pausing is what jumps back, so STOP pauses even when already paused.
    playing = true;
    PlayToggle();
  }
  form_.setPlayIcon(false);
}

void CTolvView::Step(bool forward) {
  // Stepping is silent; ApplyVolume brings the sound back on release.
  player_.setVolume(0);
  const double d = player_.duration();
  const double p = player_.currentPosition();
  stepSeconds = playing ? 2 : 1;
  double q;
  if (forward) {
    q = p + stepSeconds;
    if (q >= d) q = d;
  } else {
    q = p - stepSeconds;
    if (q <= 0) q = 0;
    ApplySpeed();
  }
  player_.setCurrentPosition(q);
  form_.setSliderPos(SliderId::Position, Whole(q));
  if (forward) ApplySpeed();
  ShowPositionLabel(ShownTime(form_.sliderPos(SliderId::Position)));
}

void CTolvView::RewindStep() { Step(false); }
void CTolvView::FastForwardStep() { Step(true); }

void CTolvView::SetHeld(TransportButton button, bool pressed) {
  if (button == TransportButton::Stop) return;
  form_.setPushed(button, pressed);
}

void CTolvView::ReleaseRewFf(TransportButton button) {
  if (button == TransportButton::Rew || button == TransportButton::Ff) form_.setPushed(button, false);
  ApplySpeed();
  ApplyVolume();
}

void CTolvView::OnRewFfClicked() {
  ApplySpeed();
  ApplyVolume();
}

void CTolvView::PlaySeconds() {
  if (pxSeconds <= 0) return;
  timers_.setTimer(PxTimerId, PeriodMs(pxSeconds));
  playing = false;
  PlayToggle();
}

void CTolvView::RewindAndPlay() {
  if (rxSeconds <= 0) return;
  const double p = player_.currentPosition();
  player_.setCurrentPosition(std::max(p - rxSeconds, 0.0));
  playing = false;
  PlayToggle();
}

void CTolvView::ReseekAtCurrentPosition() {
  const double p = player_.currentPosition();
  player_.setCurrentPosition(p);
  form_.setSliderPos(SliderId::Position, Whole(p));
}

void CTolvView::IncreaseSpeed() {
  player_.controlsPause();
  ReseekAtCurrentPosition();
  form_.setSliderPos(SliderId::Speed, std::min(form_.sliderPos(SliderId::Speed) + 10, 250));
  ApplySpeed();
  player_.controlsPlay();
}

void CTolvView::DecreaseSpeed() {
  player_.controlsPause();
  ReseekAtCurrentPosition();
  form_.setSliderPos(SliderId::Speed, std::max(form_.sliderPos(SliderId::Speed) - 10, 25));
  ApplySpeed();
  player_.controlsPlay();
}

void CTolvView::SpeedToggle() {
  player_.controlsPause();
  if (speedToggled) {
    form_.setSliderPos(SliderId::Speed, 100);
    speedToggled = false;
  } else {
    speedToggled = true;
    form_.setSliderPos(SliderId::Speed, toggleSpeedPercent);
  }
  ApplySpeed();
  ReseekAtCurrentPosition();
  player_.controlsPlay();
}

void CTolvView::ApplySpeed() {
  const int s = form_.sliderPos(SliderId::Speed);
  speedPercent = s;
  form_.setLabel(LabelId::Speed, FormatPercent(s).view());
  // The player is never asked for less than 0.51, whatever the slider shows.
  const double rate = s == 100 ? 1.0 : std::max(s, 51) / 100.0;
  player_.setRate(rate);
}

void CTolvView::ApplyVolume() { player_.setVolume(form_.sliderPos(SliderId::Volume)); }

void CTolvView::ApplyBalance() {
  if (!IsMediumLoaded(player_)) return;
  player_.setBalance(form_.sliderPos(SliderId::Balance) - 100);
}

void CTolvView::OnSetToggleSpeed() {
  const int value = ReadInteger(form_.editText(EditId::ToggleSpeed));
  if (value < 25 || value > 250) {
    messages_.show(L"You must enter an integer number between 25 and 250.", MessageIcon::Information);
    wchar_t text[16];
    std::swprintf(text, 16, L"%d", toggleSpeedPercent);
    form_.setEditText(EditId::ToggleSpeed, text);
    return;
  }
  toggleSpeedPercent = value;
}

void CTolvView::OnSpeedPreset(int percent) {
  form_.setSliderPos(SliderId::Speed, percent);
  form_.focusSlider(SliderId::Speed);
}

// ------------------------------------------------------------------- timers

void CTolvView::OnTimer(unsigned id) {
  switch (id) {
    case AutoStopTimerId:
      timers_.killTimer(AutoStopTimerId);
      Stop();
      break;
    case RewFfPollTimerId:
      RewFfPollTick();
      break;
    case PositionTimerId:
      PositionTick();
      break;
    case PlayHeldPollTimerId:
      PlayHeldPollTick();
      break;
    case PxTimerId: {
      KillOnExit kill(timers_, PxTimerId);
      Stop();
      break;
    }
    case StopwatchTimerId:
      StopwatchTick();
      break;
    default:
      break;
  }
}

void CTolvView::RewFfPollTick() {
  const bool ff = form_.isPushed(TransportButton::Ff);
  const bool rew = form_.isPushed(TransportButton::Rew);
  if (ff || rew) rewFfStepping = true;
  if (ff) FastForwardStep();
  if (rew) RewindStep();
  if (rewFfStepping && !ff && !rew) {
    rewFfStepping = false;
    ApplySpeed();
    ApplyVolume();
  }
}

void CTolvView::PlayHeldPollTick() {
  if (playMode != PlayModeWhileHeld || !IsMediumLoaded(player_) || !(player_.duration() > 0)) return;
  const bool pushed = form_.isPushed(TransportButton::Play);
  if (pushed != playing) PlayToggle();
}

void CTolvView::PositionTick() {
  if (tickListener_) tickListener_->AutoTimestampTick();
  PositionDisplayTick();
  if (playing && IsMediumLoaded(player_)) EndOfMediumCheck();
}

void CTolvView::EndOfMediumCheck() {
  const int p = Whole(player_.currentPosition());
  const int d = Whole(player_.duration());
  // No jump-back here: the typist has heard everything.
  if (p >= d && p > 0) {
    player_.controlsPause();
    form_.setSliderPos(SliderId::Position, d);
    form_.focusStop();
    playing = false;
    form_.setPlayIcon(false);
  }
}

// ------------------------------------------------------------- time display

long long CTolvView::ShownTime(int position) {
  if (!displayTimeRemaining) return position;
  return Whole(player_.duration() - position);
}

void CTolvView::ShowPositionLabel(long long seconds) {
  form_.setLabel(LabelId::Position, FormatHMS(seconds).view());
}

void CTolvView::PositionDisplayTick() {
  const bool loaded = IsMediumLoaded(player_);
  if (!playing) {
    if (positionSlider_.dragging) return;
    const int p = loaded ? Whole(player_.currentPosition()) : 0;
    form_.setSliderPos(SliderId::Position, p);
    if (p < 1) {
      // The title keeps its last text near the start.
      form_.setLabel(LabelId::Position, L"");
      return;
    }
    const long long t = ShownTime(p);
    ShowPositionLabel(t);
    form_.setTitle(FormatTitleTime(t).view());
    return;
  }

  const double position = loaded ? player_.currentPosition() : 0.0;
  const double d = loaded ? player_.duration() : 0.0;
  const int p = Whole(position);
  form_.setSliderPageSize(SliderId::Position, 1);
  form_.setSliderLineSize(SliderId::Position, 1);
  form_.setSliderTicFreq(SliderId::Position, 1);
  form_.setSliderRange(SliderId::Position, 0, Whole(d), true);
  if (d > -1) {
    const long long span = Whole(d);
    if (span != lastDurationShown) {
      form_.setLabel(LabelId::Duration, FormatHMS(span).view());
      form_.setTitle(FormatTitleTime(span).view());
      lastDurationShown = span;
    }
  } else {
    form_.setLabel(LabelId::Duration, L"   ");
  }
  if (positionSlider_.dragging) return;
  form_.setSliderPos(SliderId::Position, p);
  if (p > 0) {
    const long long t = ShownTime(p);
    ShowPositionLabel(t);
    form_.setTitle(FormatTitleTime(t).view());
  } else {
    form_.setLabel(LabelId::Position, L"");
  }
}

CMySliders& CTolvView::slider(SliderId id) {
  switch (id) {
    case SliderId::Position: return positionSlider_;
    case SliderId::Volume: return volumeSlider_;
    case SliderId::Speed: return speedSlider_;
    case SliderId::Balance: break;
  }
  return balanceSlider_;
}

void CTolvView::OnSliderLButtonDown(SliderId id, bool onThumb, int x) {
  CMySliders& s = slider(id);
  const CMySliders::Press press =
      onThumb ? s.OnLButtonDown(true, x, 0, 0)
              : s.OnLButtonDown(false, x, form_.sliderChannelWidth(id), form_.sliderRangeMax(id));
  if (press.moveThumb) form_.setSliderPos(id, press.newPos);
}

void CTolvView::OnSliderLButtonUp(SliderId id) { slider(id).OnLButtonUp(); }

void CTolvView::OnSliderCustomDraw(SliderId id) {
  switch (id) {
    case SliderId::Position:
      OnPositionSliderDraw();
      break;
    case SliderId::Speed:
      ApplySpeed();
      break;
    case SliderId::Volume:
      if (volumeSlider_.dragging || playing) ApplyVolume();
      break;
    case SliderId::Balance:
      ApplyBalance();
      break;
  }
}

void CTolvView::OnSliderEndDrag(SliderId id) {
  switch (id) {
    case SliderId::Position:
      OnPositionSliderEndDrag();
      break;
    case SliderId::Speed:
      ApplySpeed();
      break;
    case SliderId::Volume:
      ApplyVolume();
      break;
    case SliderId::Balance:
      ApplyBalance();
      break;
  }
}

void CTolvView::OnPositionSliderDraw() {
  const int thumb = form_.sliderPos(SliderId::Position);
  if (positionSlider_.dragging || playing) {
    const long long t = ShownTime(thumb);
    if (t != lastDragLabel) {
      ShowPositionLabel(t);
      lastDragLabel = t;
    }
  }
  if (!IsMediumLoaded(player_)) return;
  // Thumb moves of normal playback (1 s per second) never seek; a jump of two
  // seconds or more is the user's doing.
  const int q = Whole(player_.currentPosition());
  if (std::llabs(static_cast<long long>(thumb) - lastKnownPosition) >= 2) {
    player_.setCurrentPosition(thumb);
    lastKnownPosition = thumb;
  } else {
    lastKnownPosition = q;
  }
}

void CTolvView::OnPositionSliderEndDrag() {
  if (!IsMediumLoaded(player_)) {
    form_.setSliderPos(SliderId::Position, 0);
    form_.setLabel(LabelId::Position, L"        ");
    return;
  }
  player_.setCurrentPosition(form_.sliderPos(SliderId::Position));
}

void CTolvView::OnGoToTime() {
  player_.controlsPause();
  form_.openPlaypointDialog();
}

// ---------------------------------------------------------------- stopwatch

void CTolvView::OnStopwatchStartPause() {
  if (!stopwatchRunning) {
    form_.setStopwatchIcon(true);
    timers_.setTimer(StopwatchTimerId, StopwatchPeriodMs);
    stopwatchRunning = true;
  } else {
    stopwatchRunning = false;
    form_.setStopwatchIcon(false);
    timers_.killTimer(StopwatchTimerId);
  }
}

void CTolvView::StopwatchTick() {
  if (stopwatchSeconds < INT_MAX) ++stopwatchSeconds;
  form_.setLabel(LabelId::Stopwatch, FormatHMS(stopwatchSeconds).view());
  timers_.setTimer(StopwatchTimerId, StopwatchPeriodMs);
}

void CTolvView::OnStopwatchReset() {
  stopwatchRunning = false;
  timers_.killTimer(StopwatchTimerId);
  form_.setStopwatchIcon(false);
  stopwatchSeconds = 0;
  form_.setLabel(LabelId::Stopwatch, FormatHMS(0).view());
}

}  // namespace tolv
