#pragma once
#include <gtest/gtest.h>

#include "tolv/config/Settings.h"
#include "tolv/playback/TolvView.h"
#include "tolv/playback/tests/fakes/FakeMediaPlayer.h"
#include "tolv/playback/tests/fakes/FakeTolvForm.h"

namespace tolv::testing {

// A view on fake ports, with the settings at their first-start values and
// the transport timers running on the virtual clock.
class ViewTest : public ::testing::Test {
 protected:
  ViewTest() {
    ResetPlaybackSettings();
    speedPercent = 100;
    view.InitTransportControls();
    view.StartTransportTimers();
  }
  ~ViewTest() override { ResetPlaybackSettings(); }

  // Loads a medium paused at `at`, with the position slider ranged as an open leaves it.
  void load(double durationSeconds, double at = 0) {
    player.load(L"C:\\rec\\talk.wav", durationSeconds);
    player.setCurrentPosition(at);
    form.setSliderRange(SliderId::Position, 0, static_cast<int>(durationSeconds), false);
    player.seeks.clear();
  }
  // Lets virtual time pass, delivering the view's timer ticks.
  void run(long long ms) {
    timers.advance(ms, [this](unsigned id) { view.OnTimer(id); });
  }
  double position() { return player.currentPosition(); }

  VirtualClock clock;
  FakeMediaPlayer player{clock};
  FakeTolvForm form;
  FakeTimers timers{clock};
  FakeMessageBoxes boxes;
  CTolvView view{player, form, timers, boxes};
};

}  // namespace tolv::testing
