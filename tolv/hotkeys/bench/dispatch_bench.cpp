// Cost of one key event through the hotkey dispatcher and the hook procedure, against a
// main view that only counts, and the heap allocations made per event.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "tolv/hotkeys/HotkeyCommands.h"
#include "tolv/hotkeys/HotkeyDispatcher.h"
#include "tolv/hotkeys/KeyboardHook.h"

namespace {
std::atomic<long> allocations{0};
}

// Out of line, so the compiler does not pair the inlined malloc and free across the
// replacement and warn about a mismatch.
[[gnu::noinline]] void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace tolv;

class CountingView : public IHotkeyTarget {
 public:
  long calls = 0;
  bool playing = false;
  bool IsPlaying() const override { return playing; }
  bool IsPlayWhileHeld() const override { return false; }
  double MediaDuration() const override { return 60; }
  void PlayToggle() override { ++calls; }
  void Stop() override { ++calls; }
  void RewindStep() override { ++calls; }
  void FastForwardStep() override { ++calls; }
  void SetHeld(HeldButton, bool) override { ++calls; }
  void ReleaseRewFf(HeldButton) override { ++calls; }
  void AddBookmark() override { ++calls; }
  void PostCommand(uint32_t id) override { calls += id; }
  bool IntervalTimestamps() const override { return true; }
  bool ParagraphTimestamps() const override { return true; }
  int ParagraphEnterCount() const override { return 2; }
};

class NextHook : public INextHook {
 public:
  intptr_t CallNext(int, uintptr_t, intptr_t) override { return 0; }
};

void Run(benchmark::State& state, const KeyEvent* events, size_t count) {
  CountingView view;
  CTipHotkeysTable table = MakeDefaultHotkeys();
  HotkeyDispatcher::DisabledFlags disabled{};  // all sixteen enabled: the longest scan
  HotkeyDispatcher dispatcher(view, table, disabled);
  const long before = allocations.load();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(dispatcher.Dispatch(events[i]));
    if (++i == count) i = 0;
  }
  benchmark::DoNotOptimize(view.calls);
  state.counters["allocs/event"] =
      benchmark::Counter(double(allocations.load() - before) / double(state.iterations()));
}

// A typed letter: observed, no record matches, passed on.
void BM_TypedKey(benchmark::State& state) {
  const KeyEvent events[] = {{kKeyDown, 0x41}, {kKeyUp, 0x41}};
  Run(state, events, 2);
}
BENCHMARK(BM_TypedKey);

// Space and Enter: word break and paragraph observation.
void BM_WordBreakKeys(benchmark::State& state) {
  const KeyEvent events[] = {{kKeyDown, kVkSpace}, {kKeyUp, kVkSpace}, {kKeyDown, kVkReturn},
                             {kKeyUp, kVkReturn}};
  Run(state, events, 4);
}
BENCHMARK(BM_WordBreakKeys);

// F9 down passes, F9 up posts the timestamp command.
void BM_TimeStampKey(benchmark::State& state) {
  const KeyEvent events[] = {{kKeyDown, 0x78}, {kKeyUp, 0x78}};
  Run(state, events, 2);
}
BENCHMARK(BM_TimeStampKey);

// The last record of the table: DECREASE SPEED.
void BM_LastRecordKey(benchmark::State& state) {
  const KeyEvent events[] = {{kKeyDown, 0x62}, {kKeyUp, 0x62}};
  Run(state, events, 2);
}
BENCHMARK(BM_LastRecordKey);

// The whole hook call for REW held while stopped: a step per repeat, then the release.
void BM_HookProcedureRew(benchmark::State& state) {
  CountingView view;
  CTipHotkeysTable table = MakeDefaultHotkeys();
  HotkeyDispatcher::DisabledFlags disabled{};
  HotkeyDispatcher dispatcher(view, table, disabled);
  NextHook next;
  const LowLevelKeyEvent events[] = {{kKeyDown, 0x76, 0}, {kKeyUp, 0x76, 0}};
  const long before = allocations.load();
  size_t i = 0;
  for (auto _ : state) {
    const LowLevelKeyEvent& e = events[i];
    benchmark::DoNotOptimize(
        HotkeyHookProcedure(dispatcher, next, kHcAction, &e, e.message, intptr_t(&e)));
    i ^= 1;
  }
  benchmark::DoNotOptimize(view.calls);
  state.counters["allocs/event"] =
      benchmark::Counter(double(allocations.load() - before) / double(state.iterations()));
}
BENCHMARK(BM_HookProcedureRew);

}  // namespace

BENCHMARK_MAIN();
