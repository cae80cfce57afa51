#pragma once
#include <boost/shared_ptr.hpp>

#include <cstdint>

#include "vcbridge/channels/ChunkAssembler.h"
#include "vcbridge/channels/ResponceHandler.h"
#include "vcbridge/core/Singleton.h"
#include "vcbridge/core/WorkerThread.h"

namespace vcb {

// The DSS read loop: receives everything the client sends, puts fragmented
// messages back together and hands each complete one to ResponceHandler.
// The relay lives as long as this loop: the request handler clears its
// running flag (command 134, last window gone) and sets it again (1, 130).
class VirtualChannelObserver : public Singleton<VirtualChannelObserver>, public WorkerThread {
 public:
  static constexpr uint32_t kReadTimeoutMs = 3000;
  static constexpr uint32_t kPauseMs = 3000;  // after a read that failed for another reason than a time-out

  VirtualChannelObserver();  // makes the response handler, which opens the notification ring
  ~VirtualChannelObserver() override;

  virtual void stop() { setRunning(false); }
  boost::shared_ptr<ResponceHandler> responceHandler() const { return handler_; }

 protected:
  void run() override;

 private:
  // One read and what follows from it; false when the loop should pause.
  bool receiveOnce();

  boost::shared_ptr<ResponceHandler> handler_;
  ChunkAssembler receiver_;
};

}  // namespace vcb
