#pragma once
#include "tolv/pedals/PedalMapping.h"
#include "tolv/playback/TolvView.h"

namespace tolv {

// The main view's transport as the pedals drive it.
class CViewPedalTransport : public IPedalTransport {
 public:
  explicit CViewPedalTransport(CTolvView& view) : view_(view) {}
  void SetHeld(TransportButton button, bool pressed) override { view_.SetHeld(button, pressed); }
  void PlayToggle() override { view_.PlayToggle(); }
  void ApplySpeedAndVolume() override {
    view_.ApplySpeed();
    view_.ApplyVolume();
  }

 private:
  CTolvView& view_;
};

}  // namespace tolv
