#pragma once
// Port to the controls of the main form that playback drives. Control
// identifiers are those of the form template; the adapter maps them to
// windows. Texts are handed over as views: the adapter copies what it keeps.
#include <string>
#include <string_view>

namespace tolv {

// Buttons of the transport row.
enum class TransportButton : int { Play = 1008, Stop = 1003, Ff = 1009, Rew = 1010 };

// The four sliders of the form (all of class CMySliders).
enum class SliderId : int { Position = 1019, Volume = 1020, Speed = 1021, Balance = 1082 };

enum class LabelId : int {
  FileName = 1027,
  Duration = 1028,
  Position = 1031,
  Speed = 1023,
  Stopwatch = 1109,
};

enum class EditId : int { ToggleSpeed = 1286 };

enum class TickSide { Bottom, Top };

class ITolvForm {
 public:
  virtual ~ITolvForm() = default;

  // Pushed (held-down) look of PLAY, REW or FF; shared by mouse, keys and pedals.
  virtual bool isPushed(TransportButton button) = 0;
  virtual void setPushed(TransportButton button, bool pushed) = 0;
  // PLAY shows the "playing" picture while true, the "paused" one otherwise.
  virtual void setPlayIcon(bool playing) = 0;
  virtual void enableStop(bool enabled) = 0;
  virtual void focusStop() = 0;

  // Trackbar operations. Positions are clamped into the range by the control.
  virtual int sliderPos(SliderId slider) = 0;
  virtual void setSliderPos(SliderId slider, int pos) = 0;
  virtual int sliderRangeMax(SliderId slider) = 0;
  virtual void setSliderRange(SliderId slider, int min, int max, bool redraw) = 0;
  virtual void setSliderPageSize(SliderId slider, int size) = 0;
  virtual void setSliderLineSize(SliderId slider, int size) = 0;
  virtual void setSliderTicFreq(SliderId slider, int freq) = 0;
  virtual void setSliderTickSide(SliderId slider, TickSide side) = 0;
  virtual void focusSlider(SliderId slider) = 0;
  // Width in pixels of the channel the thumb runs in.
  virtual int sliderChannelWidth(SliderId slider) = 0;

  virtual void setLabel(LabelId label, std::wstring_view text) = 0;
  virtual void setTitle(std::wstring_view text) = 0;

  virtual std::wstring editText(EditId edit) = 0;
  virtual void setEditText(EditId edit, std::wstring_view text) = 0;

  // Stopwatch start/pause button picture.
  virtual void setStopwatchIcon(bool running) = 0;
  // Creates and shows the modeless go-to-time window (DlgPlaypointSet).
  virtual void openPlaypointDialog() = 0;
};

// Window timers of the view: one timer per id; setting an id again restarts it.
class ITimerPort {
 public:
  virtual ~ITimerPort() = default;
  virtual void setTimer(unsigned id, unsigned periodMs) = 0;
  virtual void killTimer(unsigned id) = 0;
};

enum class MessageIcon { Information, Warning, Error };

// Modal message boxes with an OK button.
class IMessageBoxes {
 public:
  virtual ~IMessageBoxes() = default;
  virtual void show(std::wstring_view text, MessageIcon icon) = 0;
};

}  // namespace tolv
