#pragma once
#include <boost/shared_ptr.hpp>

#include <mutex>

#include "vcbridge/channels/ChunkAssembler.h"
#include "vcbridge/channels/IVirtualChannel.h"
#include "vcbridge/core/Singleton.h"

namespace vcb {

// Owner of the DSS transport. Whole messages are written under the write
// lock; one read at a time under the read lock. The session observer takes
// both (write, then read) around a reopen.
class VirtualChannel : public Singleton<VirtualChannel> {
 public:
  VirtualChannel();  // Exception 31 in a local session, 4 when no transport can be made
  ~VirtualChannel();

  bool Open();
  bool Write(const CBinary& message);
  // One transport read under the read lock; false without a transport.
  bool Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs);

  boost::shared_ptr<IVirtualChannel> transport() const { return transport_; }
  std::recursive_mutex& writeLock() { return writeLock_; }
  std::recursive_mutex& readLock() { return readLock_; }

 private:
  boost::shared_ptr<IVirtualChannel> transport_;
  std::recursive_mutex writeLock_;
  std::recursive_mutex readLock_;
  ChunkAssembler sender_;
};

}  // namespace vcb
