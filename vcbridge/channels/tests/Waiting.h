#pragma once
// Polling helpers for the native tests that check a stop or a reopen does
// not wait: the time limits are fail-safes, never measurements.
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace vcb::testing {

// Polls every 5 ms until cond holds or ms have passed.
inline bool waitFor(const std::function<bool()>& cond, int ms = 5000) {
  for (int i = 0; i < ms / 5 && !cond(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return cond();
}

// Runs step on a thread of its own; false when it has not returned within
// 5 s, in which case unblock() gets it out before it is joined.
inline bool returnsSoon(const std::function<void()>& step, const std::function<void()>& unblock) {
  std::atomic<bool> done{false};
  std::thread t([&] {
    step();
    done = true;
  });
  const bool soon = waitFor([&] { return done.load(); });
  if (!soon) unblock();
  t.join();
  return soon;
}

}  // namespace vcb::testing
