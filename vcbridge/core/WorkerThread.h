#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

#include "vcbridge/core/Exception.h"
#include "vcbridge/core/Handle.h"

namespace vcb {

// Base of every relay thread. start() returns once initialise() has run on
// the new thread (also when it threw); a stored Exception is the thread's
// exit code and is re-thrown by join().
class WorkerThread {
 public:
  WorkerThread() = default;
  virtual ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  void start();
  void join();

  bool isRunning() const { return running_.load(std::memory_order_relaxed); }
  void setRunning(bool r) { running_.store(r, std::memory_order_relaxed); }
  uint32_t threadId() const { return threadId_; }
  Handle threadHandle() const { return thread_.get(); }
  // Code of the stored failure, 0 if none.
  int32_t failureCode() const;

 protected:
  virtual void initialise() {}
  virtual void finalise() {}
  virtual void run() {}

  // Derived destructors call this first: the thread must not run into a
  // half-destroyed object.
  void waitForThreadEnd();

 private:
  uint32_t body();

  KernelHandle thread_;
  uint32_t threadId_ = 0;
  std::atomic<bool> running_{false};
  std::shared_ptr<Exception> failure_;
  KernelHandle started_;
};

}  // namespace vcb
