#pragma once
// The main form's controls as plain state: trackbars that clamp like the real
// control, labels, title, edits, pushed buttons and icons.
#include <map>
#include <string>
#include <vector>

#include "tolv/playback/TolvForm.h"
#include "tolv/playback/tests/fakes/FakeMediaPlayer.h"

namespace tolv::testing {

struct FakeSlider {
  int min = 0, max = 100, pos = 0;
  int pageSize = 0, lineSize = 0, ticFreq = 0;
  TickSide tickSide = TickSide::Bottom;
  int channelWidth = 200;
  int rangeChanges = 0;
};

class FakeTolvForm : public ITolvForm {
 public:
  FakeTolvForm();

  // --- observation ---
  FakeSlider& sliderState(SliderId id) { return sliders_[id]; }
  int pos(SliderId id) { return sliders_[id].pos; }
  std::wstring label(LabelId id) { return labels_[id]; }
  bool hasLabel(LabelId id) const { return labels_.count(id) != 0; }
  std::wstring title;
  int titleChanges = 0;
  bool playIconPlaying = false;
  bool stopEnabled = false;
  int stopFocusCount = 0;
  SliderId focusedSlider{};
  bool stopwatchIconRunning = false;
  int playpointDialogsOpened = 0;
  std::map<EditId, std::wstring> edits;

  // --- ITolvForm ---
  bool isPushed(TransportButton button) override;
  void setPushed(TransportButton button, bool pushed) override;
  void setPlayIcon(bool playing) override { playIconPlaying = playing; }
  void enableStop(bool enabled) override { stopEnabled = enabled; }
  void focusStop() override { ++stopFocusCount; }
  int sliderPos(SliderId slider) override { return sliders_[slider].pos; }
  void setSliderPos(SliderId slider, int pos) override;
  int sliderRangeMax(SliderId slider) override { return sliders_[slider].max; }
  void setSliderRange(SliderId slider, int min, int max, bool redraw) override;
  void setSliderPageSize(SliderId slider, int size) override { sliders_[slider].pageSize = size; }
  void setSliderLineSize(SliderId slider, int size) override { sliders_[slider].lineSize = size; }
  void setSliderTicFreq(SliderId slider, int freq) override { sliders_[slider].ticFreq = freq; }
  void setSliderTickSide(SliderId slider, TickSide side) override { sliders_[slider].tickSide = side; }
  void focusSlider(SliderId slider) override { focusedSlider = slider; }
  int sliderChannelWidth(SliderId slider) override { return sliders_[slider].channelWidth; }
  void setLabel(LabelId label, std::wstring_view text) override { labels_[label].assign(text); }
  void setTitle(std::wstring_view text) override;
  std::wstring editText(EditId edit) override { return edits[edit]; }
  void setEditText(EditId edit, std::wstring_view text) override { edits[edit].assign(text); }
  void setStopwatchIcon(bool running) override { stopwatchIconRunning = running; }
  void openPlaypointDialog() override { ++playpointDialogsOpened; }

 private:
  std::map<SliderId, FakeSlider> sliders_;
  std::map<LabelId, std::wstring> labels_;
  bool pushedPlay_ = false, pushedRew_ = false, pushedFf_ = false;
};

// Window timers on the virtual clock. `advance` delivers every tick that falls
// due, in time order, through `onTimer`; the player sees the clock at each.
class FakeTimers : public ITimerPort {
 public:
  explicit FakeTimers(VirtualClock& clock) : clock_(clock) {}

  template <class Handler>
  void advance(long long ms, Handler&& onTimer);
  bool isSet(unsigned id) const { return timers_.count(id) != 0; }
  unsigned period(unsigned id) const;

  void setTimer(unsigned id, unsigned periodMs) override;
  void killTimer(unsigned id) override { timers_.erase(id); }

 private:
  struct Timer {
    unsigned period;
    long long due;
  };
  VirtualClock& clock_;
  std::map<unsigned, Timer> timers_;
};

class FakeMessageBoxes : public IMessageBoxes {
 public:
  struct Shown {
    std::wstring text;
    MessageIcon icon;
  };
  std::vector<Shown> shown;
  void show(std::wstring_view text, MessageIcon icon) override { shown.push_back({std::wstring(text), icon}); }
};


template <class Handler>
void FakeTimers::advance(long long ms, Handler&& onTimer) {
  const long long end = clock_.nowMs + ms;
  for (;;) {
    // Earliest due timer; ties go to the lower id, as a stable order.
    auto next = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
      if (it->second.due <= end && (next == timers_.end() || it->second.due < next->second.due)) next = it;
    if (next == timers_.end()) break;
    const unsigned id = next->first;
    clock_.nowMs = next->second.due;
    next->second.due += next->second.period;
    onTimer(id);
  }
  clock_.nowMs = end;
}

}  // namespace tolv::testing
