// Cost of one REW/FF poll tick and one position tick of the view against the
// fake player and form, with the heap allocations each tick makes. The fakes
// keep their own bookkeeping allocation-free once warm (labels reuse their
// storage, seeks are not recorded), so a count above 0 is the view's.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "tolv/config/Settings.h"
#include "tolv/playback/TolvView.h"
#include "tolv/playback/tests/fakes/FakeMediaPlayer.h"
#include "tolv/playback/tests/fakes/FakeTolvForm.h"

namespace {
std::atomic<long long> allocations{0};
}

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace tolv;
using namespace tolv::testing;

struct Rig {
  VirtualClock clock;
  FakeMediaPlayer player{clock};
  FakeTolvForm form;
  FakeTimers timers{clock};
  FakeMessageBoxes boxes;
  CTolvView view{player, form, timers, boxes};

  explicit Rig(bool playing) {
    ResetPlaybackSettings();
    speedPercent = 100;
    displayTimeRemaining = true;  // the costlier label path
    player.recordSeeks = false;
    player.load(L"C:\\rec\\a-long-dictation-name.wav", 4 * 3600.0);
    player.setCurrentPosition(3 * 3600.0);
    view.InitTransportControls();
    if (playing) view.PlayToggle();
  }
};

void Report(benchmark::State& state, long long before) {
  state.counters["allocs/tick"] =
      benchmark::Counter(static_cast<double>(allocations.load() - before), benchmark::Counter::kAvgIterations);
}

// One REW/FF poll with FF held while playing: mute, two reads, seek, speed,
// label. Steps back and forth so the position stays inside the medium.
void BM_RewFfPollTick(benchmark::State& state) {
  Rig rig(true);
  rig.view.SetHeld(TransportButton::Ff, true);
  rig.view.SetHeld(TransportButton::Rew, true);
  for (int i = 0; i < 4; ++i) rig.view.RewFfPollTick();  // warm the fakes' storage
  const long long before = allocations.load();
  for (auto _ : state) {
    rig.clock.nowMs += 67;
    rig.view.RewFfPollTick();
  }
  Report(state, before);
}
BENCHMARK(BM_RewFfPollTick);

// One position tick while playing: range, duration label, thumb, label and
// title, end-of-medium check.
void BM_PositionTickPlaying(benchmark::State& state) {
  Rig rig(true);
  for (int i = 0; i < 4; ++i) rig.view.PositionTick();
  const long long before = allocations.load();
  for (auto _ : state) {
    rig.clock.nowMs += 100;
    if (rig.clock.nowMs % 3'000'000 == 0) rig.player.setCurrentPosition(3 * 3600.0);
    rig.view.PositionTick();
  }
  Report(state, before);
}
BENCHMARK(BM_PositionTickPlaying);

// One position tick while paused: thumb, label and title.
void BM_PositionTickPaused(benchmark::State& state) {
  Rig rig(false);
  for (int i = 0; i < 4; ++i) rig.view.PositionTick();
  const long long before = allocations.load();
  for (auto _ : state) rig.view.PositionTick();
  Report(state, before);
}
BENCHMARK(BM_PositionTickPaused);

}  // namespace

BENCHMARK_MAIN();
