#pragma once
#include <boost/shared_ptr.hpp>

#include <mutex>

#include "vcbridge/channels/IVirtualChannel.h"
#include "vcbridge/core/Singleton.h"

namespace vcb {

// Owner of the CFA transport. Has no transport outside a remote session
// (no failure at construction).
class VirtualChannel_CFA : public Singleton<VirtualChannel_CFA> {
 public:
  VirtualChannel_CFA();
  ~VirtualChannel_CFA();

  bool Open();
  boost::shared_ptr<IVirtualChannel_CFA> transport() const { return transport_; }
  // Held by the CFA thread for one request, and by whoever reopens the
  // transport, so a reopen never lands inside a request.
  std::mutex& requestLock() { return requestLock_; }

 private:
  boost::shared_ptr<IVirtualChannel_CFA> transport_;
  std::mutex requestLock_;
};

}  // namespace vcb
