#pragma once
#include <boost/shared_ptr.hpp>

#include <mutex>

#include "vcbridge/channels/IVirtualChannel.h"
#include "vcbridge/channels/ReadGate.h"
#include "vcbridge/core/Singleton.h"

namespace vcb {

// Owner of the CFA transport. Has no transport outside a remote session
// (no failure at construction).
class VirtualChannel_CFA : public Singleton<VirtualChannel_CFA> {
 public:
  VirtualChannel_CFA();
  ~VirtualChannel_CFA();

  bool Open();
  // Close and open the transport between two requests; a read that an
  // application made long is cancelled first, so this never waits for it.
  void Reopen();
  boost::shared_ptr<IVirtualChannel_CFA> transport() const { return transport_; }
  // Held by the CFA thread for one request, and by whoever reopens the
  // transport, so a reopen never lands inside a request.
  std::mutex& requestLock() { return requestLock_; }
  // Reads are cancelled while held (see ReadGate); the CFA loop's stop holds them.
  void holdReads() { gate_.hold(); }
  void releaseReads() { gate_.release(); }

 private:
  boost::shared_ptr<IVirtualChannel_CFA> transport_;
  std::mutex requestLock_;
  ReadGate gate_;
};

}  // namespace vcb
