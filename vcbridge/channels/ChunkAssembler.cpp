#include "vcbridge/channels/ChunkAssembler.h"

#include <algorithm>
#include <bit>
#include <cstdarg>
#include <cstdio>

#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/core/Log.h"

namespace vcb {

namespace {
constexpr const char* kClass = "VCB\tChunkAssembler";

// Whether two packets are routed alike: the same answer for the same application.
bool sameRouting(const PacketHeader& a, const PacketHeader& b) {
  return a.command == b.command && a.replyWindow == b.replyWindow && a.segmentKeyA == b.segmentKeyA &&
         a.segmentKeyB == b.segmentKeyB;
}

// Marks bytes [begin, end) as present; returns how many were not before.
uint32_t markPresent(std::vector<uint64_t>& bits, uint32_t begin, uint32_t end) {
  uint32_t added = 0;
  while (begin < end) {
    const uint32_t bit = begin % 64;
    const uint32_t n = std::min<uint32_t>(64 - bit, end - begin);
    const uint64_t mask = (n == 64 ? ~uint64_t(0) : (uint64_t(1) << n) - 1) << bit;
    uint64_t& word = bits[begin / 64];
    added += uint32_t(std::popcount(mask & ~word));
    word |= mask;
    begin += n;
  }
  return added;
}
}  // namespace

bool ChunkAssembler::TakeMessage(const CBinary& message) {
  if (hasUnsentPackets()) return false;
  PacketHeader h;
  if (!h.readFrom(message)) {
    log::Error("[0x%08X]\t%s\t%s\tmessage refused: %u bytes, shorter than a header",
               log::Addr(this), kClass, "TakeMessage", message.size());
    return false;
  }
  if (message.size() - PacketHeader::kSize < h.dataLength) {
    log::Error("[0x%08X]\t%s\t%s\tmessage refused: dataLength %u but only %u data bytes",
               log::Addr(this), kClass, "TakeMessage", h.dataLength,
               message.size() - PacketHeader::kSize);
    return false;
  }

  h.sequenceNo = sequence_;
  sequence_ = (sequence_ + 1) % kSequenceModulus;
  if (sequence_ == 0) sequence_ = 1;

  const uint32_t size = PacketHeader::kSize + h.dataLength;
  if (size <= kMaxPacketSize) {
    h.fragmentFirst = 0;
    h.fragmentLast = h.dataLength;
    current_ = CBinary(message.data(), size);
    h.writeTo(current_);
    return true;
  }
  // The whole message becomes the remainder [1, dataLength]; cutting it
  // yields the first packet.
  h.fragmentFirst = 1;
  h.fragmentLast = h.dataLength;
  remainder_ = CBinary(message.data(), size);
  h.writeTo(remainder_);
  current_ = CBinary();
  NextPacket();
  return true;
}

void ChunkAssembler::NextPacket() {
  if (remainder_.empty()) {
    current_ = CBinary();
    return;
  }
  PacketHeader h;
  h.readFrom(remainder_);
  const uint32_t count = h.fragmentLast - h.fragmentFirst + 1;
  if (count <= kMaxPacketData) {
    current_ = remainder_;
    remainder_ = CBinary();
    return;
  }
  const uint8_t* data = remainder_.data() + PacketHeader::kSize;

  PacketHeader first = h;
  first.fragmentLast = h.fragmentFirst + kMaxPacketData - 1;
  CBinary packet(kMaxPacketSize);
  first.writeTo(packet);
  packet.write(PacketHeader::kSize, data, kMaxPacketData);

  PacketHeader rest = h;
  rest.fragmentFirst = h.fragmentFirst + kMaxPacketData;
  CBinary remainder(PacketHeader::kSize + count - kMaxPacketData);
  rest.writeTo(remainder);
  remainder.write(PacketHeader::kSize, data + kMaxPacketData, count - kMaxPacketData);

  current_ = packet;
  remainder_ = remainder;
}

boost::shared_ptr<CBinary> ChunkAssembler::AddPacket(const CBinary& buffer, uint32_t bytesRead) {
  lastFault_ = Fault::None;
  const uint32_t got = std::min(bytesRead, buffer.size());
  PacketHeader h;
  if (!h.readFrom(buffer.data(), got))
    return refuse(Fault::ShortPacket, "packet refused: %u bytes, shorter than a header", got);

  if (h.fragmentFirst == 0) return boost::shared_ptr<CBinary>(new CBinary(buffer));

  if (h.fragmentFirst > h.fragmentLast)
    return refuse(Fault::ReversedRange, "fragment refused: sequenceNo %u, range [%u, %u] is reversed",
                  h.sequenceNo, h.fragmentFirst, h.fragmentLast);
  if (h.dataLength > kMaxDataLength)
    return refuse(Fault::TooLong, "fragment refused: sequenceNo %u, dataLength %u exceeds %u",
                  h.sequenceNo, h.dataLength, kMaxDataLength);
  if (h.fragmentLast > h.dataLength)
    return refuse(Fault::RangeOutside,
                  "fragment refused: sequenceNo %u, range [%u, %u] outside dataLength %u",
                  h.sequenceNo, h.fragmentFirst, h.fragmentLast, h.dataLength);
  const uint32_t count = h.fragmentLast - h.fragmentFirst + 1;
  if (got - PacketHeader::kSize < count)
    return refuse(Fault::TruncatedData,
                  "fragment refused: sequenceNo %u, range [%u, %u] but only %u data bytes read",
                  h.sequenceNo, h.fragmentFirst, h.fragmentLast, got - PacketHeader::kSize);

  auto it = std::find_if(partials_.begin(), partials_.end(),
                         [&](const Partial& p) { return p.sequenceNo == h.sequenceNo; });
  if (it != partials_.end() && it->dataLength != h.dataLength) {
    // The number was reused (the peer restarted its count, or the older
    // message lost packets): the newer message wins.
    drop(size_t(it - partials_.begin()), "replaced by a message of another dataLength");
    it = partials_.end();
  }

  if (it != partials_.end() && !sameRouting(it->first, h))
    return refuse(Fault::OtherRouting,
                  "fragment refused: sequenceNo %u, [%u, %u] for command %u, window 0x%08X, segment %u_%u; "
                  "the message is for command %u, window 0x%08X, segment %u_%u",
                  h.sequenceNo, h.fragmentFirst, h.fragmentLast, h.command, h.replyWindow, h.segmentKeyA,
                  h.segmentKeyB, it->first.command, it->first.replyWindow, it->first.segmentKeyA,
                  it->first.segmentKeyB);

  Partial fresh;
  Partial* p = nullptr;
  if (it != partials_.end()) {
    p = &*it;
  } else {
    fresh.sequenceNo = h.sequenceNo;
    fresh.dataLength = h.dataLength;
    fresh.first = h;
    fresh.message.reset(new CBinary(PacketHeader::kSize + h.dataLength));
    fresh.message->write(0, buffer.data(), PacketHeader::kSize);
    fresh.present.assign((h.dataLength + 63) / 64, 0);
    p = &fresh;
  }

  const uint32_t offset = h.fragmentFirst - 1;
  p->message->write(PacketHeader::kSize + offset, buffer.data() + PacketHeader::kSize, count);
  p->received += markPresent(p->present, offset, offset + count);

  if (p->received == p->dataLength) {
    boost::shared_ptr<CBinary> done = p->message;
    if (p != &fresh) {
      partialBytes_ -= done->size();
      partials_.erase(it);
    }
    return done;
  }
  if (p == &fresh) {
    partialBytes_ += fresh.message->size();
    partials_.push_back(std::move(fresh));
    keepWithinBounds();
  }
  return nullptr;
}

void ChunkAssembler::Restart() {
  while (!partials_.empty()) drop(0, "the connection it came on has ended");
}

boost::shared_ptr<CBinary> ChunkAssembler::refuse(Fault fault, const char* format, ...) {
  lastFault_ = fault;
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  log::Warn("[0x%08X]\t%s\t%s\t%s", log::Addr(this), kClass, "AddPacket", text);
  return nullptr;
}

void ChunkAssembler::drop(size_t index, const char* reason) {
  const Partial& p = partials_[index];
  log::Warn("[0x%08X]\t%s\t%s\tpartial message dropped: sequenceNo %u, %u of %u data bytes "
            "received, %s",
            log::Addr(this), kClass, "AddPacket", p.sequenceNo, p.received, p.dataLength, reason);
  partialBytes_ -= p.message->size();
  partials_.erase(partials_.begin() + static_cast<std::ptrdiff_t>(index));
}

void ChunkAssembler::keepWithinBounds() {
  // The newest entry is never dropped: it alone is far below either bound.
  while (partials_.size() > 1 &&
         (partials_.size() > kMaxPartialMessages || partialBytes_ > kMaxPartialBytes)) {
    drop(0, partials_.size() > kMaxPartialMessages ? "too many partial messages"
                                                   : "partial messages hold too many bytes");
  }
}

}  // namespace vcb
