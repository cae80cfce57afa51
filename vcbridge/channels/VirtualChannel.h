#pragma once
#include <boost/shared_ptr.hpp>

#include <atomic>
#include <mutex>

#include "vcbridge/channels/ChunkAssembler.h"
#include "vcbridge/channels/IVirtualChannel.h"
#include "vcbridge/channels/ReadGate.h"
#include "vcbridge/core/Singleton.h"

namespace vcb {

// Owner of the DSS transport. Whole messages are written under the write
// lock; one read at a time under the read lock, so a blocking read never
// holds up a write. Whoever needs both (a reopen) takes write, then read.
// The locks are not recursive: nothing here needs to take one twice.
class VirtualChannel : public Singleton<VirtualChannel> {
 public:
  // A read that waits for a hold to go gives up after this and fails as cancelled.
  static constexpr uint32_t kHeldReadWaitMs = 50;

  // Exception 31 in a local session, 4 when no transport can be made.
  VirtualChannel();
  ~VirtualChannel();  // closes the transport

  bool Open();
  // Sends one message, cut into packets. False when the transport fails
  // (the unsent packets stay queued) or when packets of an earlier message
  // were still queued (they are sent now; this message is not).
  bool Write(const CBinary& message);
  // One transport read under the read lock; false without a transport.
  // While reads are held it fails with 995 (after waiting up to
  // kHeldReadWaitMs for the hold to go). connection: the number of the
  // connection the read was made on; it changes with every reopen.
  bool Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs, uint32_t* connection = nullptr);
  // Close and open the transport while neither a read nor a write runs; a
  // pending read is cancelled first, so the reopen never waits behind it.
  bool Reopen();
  // The transport's IsOpen, never while a reopen closes or opens it.
  bool IsOpen();

  // Reads are cancelled while held (see ReadGate); the read loop's stop holds them.
  void holdReads() { gate_.hold(); }
  void releaseReads() { gate_.release(); }

  // A read failed for another reason than a time-out or a cancellation
  // since the last reopen: the connection is most likely gone.
  bool readFailed() const { return readFailed_.load(); }

  boost::shared_ptr<IVirtualChannel> transport() const { return transport_; }
  std::mutex& writeLock() { return writeLock_; }
  std::mutex& readLock() { return readLock_; }

 private:
  boost::shared_ptr<IVirtualChannel> transport_;
  std::mutex writeLock_;
  std::mutex readLock_;
  ChunkAssembler sender_;  // guarded by writeLock_
  ReadGate gate_;
  uint32_t connection_ = 1;  // guarded by readLock_
  std::atomic<bool> readFailed_{false};
};

}  // namespace vcb
