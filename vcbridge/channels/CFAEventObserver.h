#pragma once
#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <mutex>

#include "vcbridge/core/Handle.h"
#include "vcbridge/core/Singleton.h"
#include "vcbridge/core/WorkerThread.h"
#include "vcbridge/ipc/SharedMemory.h"

namespace vcb {

// Request codes an application leaves at offset 0 of the CFA segment.
enum CfaRequest : uint32_t { CfaRefresh = 0, CfaRead = 1, CfaWrite = 2 };

// CFA segment layout (32-bit little-endian words, data from offset 20).
struct CfaLayout {
  static constexpr uint32_t request = 0;
  static constexpr uint32_t length = 4;
  static constexpr uint32_t result = 8;
  static constexpr uint32_t bytesRead = 12;
  static constexpr uint32_t timeout = 16;
  static constexpr uint32_t data = 20;
  static constexpr uint32_t readSize = 2048;
  static constexpr uint32_t maxWrite = kSegmentSize - data;  // 19980
};

// The CFA pass-through: carries out one refresh, read or write on the CFA
// channel for each request an application signals.
class CFAEventObserver : public Singleton<CFAEventObserver>, public WorkerThread {
 public:
  CFAEventObserver();
  ~CFAEventObserver() override;

  // Clears the running flag and cancels the CFA channel's reads: the loop
  // ends at once, also from inside a long read or a wait for the segment's
  // mutex, which an application may hold for ever.
  virtual void stop();
  bool hasSegment() const { return view_ != nullptr; }
  // Carries out the request the segment holds now (the caller holds the
  // segment's mutex); what the loop does after each request event.
  void processRequest();

 protected:
  void run() override;

 private:
  void doRead();
  void doWrite();
  void doRefresh();

  KernelHandle requestEvent_;
  KernelHandle responseEvent_;
  KernelHandle stopEvent_;  // set by stop(): ends the loop's waits
  std::mutex stopLock_;
  bool readsHeld_ = false;  // guarded by stopLock_
  boost::shared_ptr<SharedMemory_CFA> segment_;
  uint8_t* view_ = nullptr;
};

}  // namespace vcb
