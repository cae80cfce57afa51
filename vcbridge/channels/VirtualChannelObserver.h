#pragma once
#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <mutex>

#include "vcbridge/channels/ChunkAssembler.h"
#include "vcbridge/channels/ResponceHandler.h"
#include "vcbridge/core/Handle.h"
#include "vcbridge/core/Singleton.h"
#include "vcbridge/core/WorkerThread.h"

namespace vcb {

// The DSS read loop: receives everything the client sends, puts fragmented
// messages back together and hands each complete one to ResponceHandler.
// The relay lives as long as this loop: the request handler stops it
// (command 134, last window gone) and lets it run on (1, 130).
class VirtualChannelObserver : public Singleton<VirtualChannelObserver>, public WorkerThread {
 public:
  static constexpr uint32_t kReadTimeoutMs = 3000;
  static constexpr uint32_t kPauseMs = 3000;  // after a read that failed for another reason than a time-out

  VirtualChannelObserver();  // makes the response handler, which opens the notification ring
  ~VirtualChannelObserver() override;

  // Clears the running flag and cancels the channel's reads, so the loop
  // ends at once, not after its read or its pause.
  virtual void stop();
  // Sets the running flag again and lets reads wait again: a loop told to
  // stop that has not finished its last turn goes on.
  void resume();
  // Ends a pause early (the channel was reopened).
  void wake();

  boost::shared_ptr<ResponceHandler> responceHandler() const { return handler_; }

 protected:
  void run() override;

 private:
  // One read and what follows from it; false when the loop should pause.
  bool receiveOnce();
  void pause();

  boost::shared_ptr<ResponceHandler> handler_;
  ChunkAssembler receiver_;
  uint32_t connection_ = 0;  // the connection receiver_ collects for (read-loop thread only)
  KernelHandle wake_;
  std::mutex stopLock_;
  bool readsHeld_ = false;  // guarded by stopLock_: this stop holds the channel's reads
};

}  // namespace vcb
