#include "tolv/playback/tests/fakes/FakeTolvForm.h"

#include <algorithm>

namespace tolv::testing {

FakeTolvForm::FakeTolvForm() {
  sliders_[SliderId::Position] = {};
  sliders_[SliderId::Volume] = {};
  sliders_[SliderId::Speed] = {};
  sliders_[SliderId::Balance] = {};
}

bool FakeTolvForm::isPushed(TransportButton button) {
  switch (button) {
    case TransportButton::Play: return pushedPlay_;
    case TransportButton::Rew: return pushedRew_;
    case TransportButton::Ff: return pushedFf_;
    case TransportButton::Stop: break;
  }
  return false;
}

void FakeTolvForm::setPushed(TransportButton button, bool pushed) {
  switch (button) {
    case TransportButton::Play: pushedPlay_ = pushed; break;
    case TransportButton::Rew: pushedRew_ = pushed; break;
    case TransportButton::Ff: pushedFf_ = pushed; break;
    case TransportButton::Stop: break;
  }
}

void FakeTolvForm::setSliderPos(SliderId slider, int pos) {
  FakeSlider& s = sliders_[slider];
  s.pos = std::clamp(pos, s.min, std::max(s.min, s.max));
}

void FakeTolvForm::setSliderRange(SliderId slider, int min, int max, bool) {
  FakeSlider& s = sliders_[slider];
  s.min = min;
  s.max = max;
  ++s.rangeChanges;
  s.pos = std::clamp(s.pos, s.min, std::max(s.min, s.max));
}

void FakeTolvForm::setTitle(std::wstring_view text) {
  title.assign(text);
  ++titleChanges;
}

unsigned FakeTimers::period(unsigned id) const {
  auto it = timers_.find(id);
  return it == timers_.end() ? 0 : it->second.period;
}

void FakeTimers::setTimer(unsigned id, unsigned periodMs) {
  // Windows raises periods below 10 ms to 10 ms.
  const unsigned period = std::max(periodMs, 10u);
  timers_[id] = {period, clock_.nowMs + period};
}

}  // namespace tolv::testing
