// Packets from the client as the read loop hands them to the receiving
// ChunkAssembler: a sequence of packets per input, with reconnections.
//
// Input: records, each starting with an op byte.
//   op % 8 == 0  the connection ends: Restart()
//   op % 8 == 1  a raw packet: 2-byte length (cut to the receive buffer), bytes;
//                its sequenceNo is moved to 1000 and up, away from the records below
//   otherwise    a fragment made here: sequenceNo 1..4, one of four routings,
//                dataLength (2 bytes, up to 25000), fragmentFirst, a byte count and
//                how many bytes short the read was; its data bytes are a function of
//                (connection, sequenceNo, routing, dataLength, offset), never zero.
//
// Checked beyond "no crash": a reassembled message is whole (every data byte
// is the one its own fragments carried on this connection, for this routing
// and length, so no zero filler, no byte of another message or of an older
// connection), and every byte was covered by fragments taken since the
// message began; it fits a segment; a whole packet comes back as the entire
// receive buffer; the partial messages stay within their bounds, and none
// outlives a reconnection.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "vcbridge/channels/ChunkAssembler.h"
#include "vcbridge/channels/PacketHeader.h"

using vcb::CBinary;
using vcb::ChunkAssembler;
using vcb::PacketHeader;

namespace {

struct Route {
  uint32_t command, window, keyA, keyB;
};
constexpr Route kRoutes[4] = {{7, 0x10001, 1, 1}, {7, 0x10001, 1, 2}, {2, 0x20002, 3, 1}, {1000, 0x10001, 1, 1}};

uint8_t expected(uint32_t connection, uint32_t seq, uint32_t route, uint32_t length, uint32_t offset) {
  uint32_t h = 2166136261u;
  for (uint32_t v : {connection, seq, route, length, offset}) h = (h ^ v) * 16777619u;
  return uint8_t(h % 255 + 1);
}

// An invariant that failed names its line before the run stops.
#define check(ok)                                                         \
  do {                                                                    \
    if (!(ok)) {                                                          \
      std::fprintf(stderr, "invariant broken at line %d: %s\n", __LINE__, #ok); \
      std::abort();                                                       \
    }                                                                     \
  } while (0)

// What this harness knows of a message being put together: its first
// fragment's routing and length, and which bytes accepted fragments covered.
struct Shadow {
  uint32_t route, length;
  std::vector<bool> covered;
};

class Input {
 public:
  Input(const uint8_t* d, size_t n) : d_(d), n_(n) {}
  bool more() const { return at_ < n_; }
  uint32_t byte() { return at_ < n_ ? d_[at_++] : 0; }
  uint32_t word16() { return byte() | byte() << 8; }
  const uint8_t* take(size_t n, size_t* got) {
    *got = std::min(n, n_ - at_);
    const uint8_t* p = d_ + at_;
    at_ += *got;
    return p;
  }

 private:
  const uint8_t* d_;
  size_t n_, at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ChunkAssembler a;
  Input in(data, size);
  uint32_t connection = 0;
  std::map<uint32_t, Shadow> shadows;  // by sequenceNo 1..4
  while (in.more()) {
    const uint32_t op = in.byte();
    CBinary buffer(ChunkAssembler::kReceiveBufferSize);
    uint32_t bytesRead = 0;
    bool made = false;
    uint32_t seq = 0, route = 0, length = 0, first = 0, last = 0;
    if (op % 8 == 0) {
      a.Restart();
      ++connection;
      shadows.clear();
      check(a.partialCount() == 0 && a.partialBytes() == 0);
      continue;
    } else if (op % 8 == 1) {
      size_t got = 0;
      const uint8_t* raw = in.take(in.word16() % (ChunkAssembler::kReceiveBufferSize + 1), &got);
      if (got) std::memcpy(buffer.data(), raw, got);
      if (got >= PacketHeader::kSize) {
        const uint32_t s = buffer.word(PacketHeader::sequenceNoOffset);
        if (s < 1000) buffer.setWord(PacketHeader::sequenceNoOffset, s + 1000);
      }
      bytesRead = uint32_t(got);
    } else {
      made = true;
      seq = in.byte() % 4 + 1;
      route = in.byte() % 4;
      length = in.word16() % 25001;
      first = in.word16();
      const uint32_t count = in.word16() % 1600;
      last = first + count - 1;  // may be reversed or run past the end: refused then
      const uint32_t shortBy = in.byte();
      PacketHeader h;
      h.command = kRoutes[route].command;
      h.replyWindow = kRoutes[route].window;
      h.segmentKeyA = kRoutes[route].keyA;
      h.segmentKeyB = kRoutes[route].keyB;
      h.dataLength = length;
      h.fragmentFirst = first;
      h.fragmentLast = last;
      h.sequenceNo = seq;
      h.writeTo(buffer);
      const uint32_t room = ChunkAssembler::kReceiveBufferSize - PacketHeader::kSize;
      const uint32_t carried = std::min(count, room);
      for (uint32_t i = 0; i < carried; ++i)
        buffer.data()[PacketHeader::kSize + i] = expected(connection, seq, route, length, first - 1 + i);
      bytesRead = PacketHeader::kSize + carried;
      bytesRead = bytesRead > shortBy ? bytesRead - shortBy : 0;
    }

    const CBinary before = buffer;
    boost::shared_ptr<CBinary> m = a.AddPacket(buffer, bytesRead);
    PacketHeader h;
    const bool hasHeader = h.readFrom(buffer.data(), std::min(bytesRead, buffer.size()));
    if (m && hasHeader && h.fragmentFirst == 0) {
      // A whole message: the entire receive buffer, unchanged.
      check(m->size() == buffer.size() && std::memcmp(m->data(), before.data(), buffer.size()) == 0);
    } else if (m) {
      check(hasHeader);
      PacketHeader got;
      check(got.readFrom(*m));
      check(m->size() == PacketHeader::kSize + got.dataLength);
      check(got.dataLength <= ChunkAssembler::kMaxDataLength);
      check(got.sequenceNo == h.sequenceNo && got.dataLength == h.dataLength);
      check(got.command == h.command && got.replyWindow == h.replyWindow && got.segmentKeyA == h.segmentKeyA &&
            got.segmentKeyB == h.segmentKeyB);
      if (made) {
        for (uint32_t i = 0; i < length; ++i)
          check(m->data()[PacketHeader::kSize + i] == expected(connection, seq, route, length, i));
        auto s = shadows.find(seq);
        bool whole = false;
        if (s != shadows.end() && s->second.route == route && s->second.length == length) {
          for (uint32_t i = first - 1; i < last && i < length; ++i) s->second.covered[i] = true;
          whole = true;
          for (bool c : s->second.covered) whole = whole && c;
        } else {
          // Delivered by this one fragment alone: it must cover everything.
          whole = first == 1 && last == length;
        }
        check(whole);
        shadows.erase(seq);
      }
    } else if (made && a.lastFault() == ChunkAssembler::Fault::None && first != 0) {
      // Taken into a partial message.
      // A new message for this number, or one begun again after the old one
      // was dropped to keep the bounds (another routing would be refused).
      Shadow& s = shadows[seq];
      if (s.covered.empty() || s.length != length || s.route != route)
        s = Shadow{route, length, std::vector<bool>(length, false)};
      for (uint32_t i = first - 1; i < last && i < length; ++i) s.covered[i] = true;
    }
    check(a.partialCount() <= ChunkAssembler::kMaxPartialMessages);
    check(a.partialBytes() <= ChunkAssembler::kMaxPartialBytes);
  }
  return 0;
}
