#pragma once
#include <boost/shared_ptr.hpp>

#include <mutex>

#include "vcbridge/channels/ChunkAssembler.h"
#include "vcbridge/channels/IVirtualChannel.h"
#include "vcbridge/core/Singleton.h"

namespace vcb {

// Owner of the DSS transport. Whole messages are written under the write
// lock; one read at a time under the read lock, so a blocking read never
// holds up a write. Whoever needs both (a reopen) takes write, then read.
// The locks are not recursive: nothing here needs to take one twice.
class VirtualChannel : public Singleton<VirtualChannel> {
 public:
  // Exception 31 in a local session, 4 when no transport can be made.
  VirtualChannel();
  ~VirtualChannel();  // closes the transport

  bool Open();
  // Sends one message, cut into packets. False when the transport fails
  // (the unsent packets stay queued) or when packets of an earlier message
  // were still queued (they are sent now; this message is not).
  bool Write(const CBinary& message);
  // One transport read under the read lock; false without a transport.
  bool Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs);
  // Close and open the transport while neither a read nor a write runs.
  bool Reopen();

  boost::shared_ptr<IVirtualChannel> transport() const { return transport_; }
  std::mutex& writeLock() { return writeLock_; }
  std::mutex& readLock() { return readLock_; }

 private:
  boost::shared_ptr<IVirtualChannel> transport_;
  std::mutex writeLock_;
  std::mutex readLock_;
  ChunkAssembler sender_;  // guarded by writeLock_
};

}  // namespace vcb
