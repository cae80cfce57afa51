#pragma once
#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <vector>

#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/ipc/CBinary.h"

namespace vcb {

// Cuts outgoing DSS messages into channel packets and puts incoming packets
// back together. One object holds both directions' state, but a channel uses
// one instance per direction. Not thread-safe: the owner serialises calls.
//
// Wire rules: a packet is the 44-byte header plus at most 1556 data bytes.
// A message that fits goes whole with fragmentFirst 0 and fragmentLast =
// dataLength; a longer one goes as packets carrying 1-based inclusive data
// ranges [fragmentFirst, fragmentLast], 1556 bytes each but the last. All
// packets of a message carry its sequenceNo (1..99999, then 1 again).
class ChunkAssembler {
 public:
  static constexpr uint32_t kMaxPacketSize = 1600;
  static constexpr uint32_t kMaxPacketData = 1556;
  static constexpr uint32_t kReceiveBufferSize = 2048;
  // Responses land in 20000-byte segments: no message can be larger.
  static constexpr uint32_t kMaxDataLength = 20000 - 44;
  static constexpr uint32_t kSequenceModulus = 100000;
  // Bounds of the messages still waiting for packets; past them the oldest
  // is dropped. 64 unanswered requests is far more than applications keep
  // in flight; 1 MiB holds over fifty maximal messages. The bytes counted
  // are the messages'; their received-byte bitmaps add an eighth to that.
  static constexpr size_t kMaxPartialMessages = 64;
  static constexpr size_t kMaxPartialBytes = size_t(1) << 20;

  // Why the last AddPacket delivered nothing (None when it was accepted).
  enum class Fault {
    None,
    ShortPacket,       // fewer bytes than a header
    ReversedRange,     // fragmentFirst > fragmentLast
    RangeOutside,      // fragmentLast > dataLength
    TooLong,           // dataLength larger than any segment takes
    TruncatedData,     // fewer bytes read than header plus the range claims
    OtherRouting,      // a later fragment names another command, window or segment than the first
  };

  ChunkAssembler() = default;

  // --- sending ---

  // Takes a copy of message (header plus dataLength bytes) and stamps the
  // next sequenceNo into it. False, with nothing changed, while packets of
  // an earlier message are unsent, or when the message is shorter than its
  // header says. Bytes past header plus dataLength are not sent.
  bool TakeMessage(const CBinary& message);
  // The packet to send next; empty when everything has been sent.
  const CBinary& currentPacket() const { return current_; }
  bool hasUnsentPackets() const { return !current_.empty() || !remainder_.empty(); }
  // Advances after currentPacket() was sent: the next 1556 bytes of the
  // remainder become the current packet.
  void NextPacket();
  // Forgets the packets not yet sent (a new connection has begun).
  void DiscardUnsent() {
    current_.resize(0);
    remainder_.resize(0);
  }
  // The sequenceNo the next taken message gets.
  uint32_t sequenceCounter() const { return sequence_; }

  // --- receiving ---

  // One packet from the channel: the receive buffer and the bytes the read
  // delivered into it. A whole-message packet yields a copy of the entire
  // buffer (the packet followed by the buffer's zeros); a fragment yields
  // the reassembled message (44 + dataLength bytes) once its last missing
  // byte arrives, exactly once. Null otherwise; lastFault() says whether the
  // packet was refused. Repeated bytes are stored again but counted once.
  boost::shared_ptr<CBinary> AddPacket(const CBinary& buffer, uint32_t bytesRead);
  Fault lastFault() const { return lastFault_; }
  // A new connection begins: what the old one left unfinished is dropped
  // (logged), so none of it can complete a message of the new connection.
  void Restart();
  size_t partialCount() const { return partials_.size(); }
  size_t partialBytes() const { return partialBytes_; }

 private:
  struct Partial {
    uint32_t sequenceNo = 0;
    uint32_t dataLength = 0;
    PacketHeader first;  // header of the packet that began it: its routing fields
    boost::shared_ptr<CBinary> message;  // header of its first packet, data at 44
    uint32_t received = 0;               // distinct data bytes present
    std::vector<uint64_t> present;       // one bit per data byte
  };

  boost::shared_ptr<CBinary> refuse(Fault fault, const char* format, ...)
      __attribute__((format(printf, 3, 4)));
  void drop(size_t index, const char* reason);
  void keepWithinBounds();

  CBinary current_;
  CBinary remainder_;
  uint32_t sequence_ = 1;
  std::vector<Partial> partials_;  // oldest first
  size_t partialBytes_ = 0;
  Fault lastFault_ = Fault::None;
};

}  // namespace vcb
