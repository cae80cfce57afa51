#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace vcb {

// The reasons a channel's reads must not wait now: a stop of the thread that
// reads, or a reopen that needs the reader out of the way. While any reason
// is held the transport's reads are cancelled; the last release lets them
// wait again. Thread-safe.
class ReadGate {
 public:
  // cancel(true / false) switches the transport's cancellation.
  explicit ReadGate(std::function<void(bool)> cancel) : cancel_(std::move(cancel)) {}

  void hold() {
    std::lock_guard<std::mutex> g(lock_);
    if (holds_++ == 0 && cancel_) cancel_(true);
  }
  void release() {
    {
      std::lock_guard<std::mutex> g(lock_);
      if (holds_ == 0) return;
      if (--holds_ == 0 && cancel_) cancel_(false);
    }
    released_.notify_all();
  }
  bool held() {
    std::lock_guard<std::mutex> g(lock_);
    return holds_ > 0;
  }
  // Waits up to ms for every hold to go; true when none is left.
  bool waitUntilFree(uint32_t ms) {
    std::unique_lock<std::mutex> g(lock_);
    return released_.wait_for(g, std::chrono::milliseconds(ms), [&] { return holds_ == 0; });
  }

 private:
  std::function<void(bool)> cancel_;
  std::mutex lock_;
  std::condition_variable released_;
  int holds_ = 0;
};

// Holds a gate for one scope.
class ReadHold {
 public:
  explicit ReadHold(ReadGate& gate) : gate_(&gate) { gate_->hold(); }
  ~ReadHold() { release(); }
  void release() {
    if (gate_) gate_->release();
    gate_ = nullptr;
  }
  ReadHold(const ReadHold&) = delete;
  ReadHold& operator=(const ReadHold&) = delete;

 private:
  ReadGate* gate_;
};

}  // namespace vcb
