// Notifications from the client (commands 1000 to 1002) written into the
// ring "VARNETH_DSS_SMEM_NOTIFY", and the ring read back as an application
// reads a slot.
//
// Input: records of a 2-byte length and that many bytes, each the start of
// a 2048-byte receive buffer (its command forced into 1000..1002), handed to
// ResponceHandler::PerformProcess as the read loop does. What is left of the
// input after the last whole record is also read as a ring of its own, with
// its first byte choosing the slot.
//
// Checked beyond "no crash": a notification is announced to its replyWindow
// (never the relay's own) with the next slot (1, 2, ..., 49, 0) exactly when
// it fits a slot; only that slot changes, holding the message's header and
// dataLength bytes, zero behind them up to what it used; a refused one
// changes nothing; reading a slot back gives the same header and data; a
// slot read from any bytes never claims more data than a slot holds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "vcbridge/channels/ChunkAssembler.h"
#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/channels/ResponceHandler.h"
#include "vcbridge/channels/SegmentMessage.h"
#include "vcbridge/core/tests/fakes/FakeKernel.h"
#include "vcbridge/ipc/SharedMemory.h"
#include "vcbridge/ipc/tests/fakes/FakeMessagePort.h"

namespace {

using namespace vcb;

constexpr WindowId kRelay = 0x00120034;

// An invariant that failed names its line before the run stops.
#define check(ok)                                                         \
  do {                                                                    \
    if (!(ok)) {                                                          \
      std::fprintf(stderr, "invariant broken at line %d: %s\n", __LINE__, #ok); \
      std::abort();                                                       \
    }                                                                     \
  } while (0)

struct Relay {
  testing::FakeKernel kernel;
  testing::FakeMessagePort port;
  ResponceHandler* handler = nullptr;
  uint8_t* ring = nullptr;

  Relay() {
    setKernel(&kernel);
    setMessagePort(&port);
    registerMessages();
    setRelayWindow(kRelay);
    handler = new ResponceHandler();
    ring = kernel.mappingBytes(L"VARNETH_DSS_SMEM_NOTIFY");
  }
};

Relay& relay() {
  static Relay* r = new Relay;
  return *r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Relay& r = relay();
  check(r.ring != nullptr);
  size_t at = 0;
  while (size - at >= 2) {
    const size_t length = data[at] | data[at + 1] << 8;
    if (length > ChunkAssembler::kReceiveBufferSize || size - at - 2 < length) break;
    CBinary message(ChunkAssembler::kReceiveBufferSize);
    if (length) message.write(0, data + at + 2, uint32_t(length));
    at += 2 + length;
    PacketHeader h;
    h.readFrom(message);
    h.command = 1000 + h.command % 3;
    h.writeTo(message);

    r.port.clear();
    const uint32_t last = r.handler->notifyData().index();
    const std::vector<uint8_t> before(r.ring, r.ring + kNotifyRingSize);
    r.handler->PerformProcess(message);
    const auto posts = r.port.posts();
    const uint64_t used = uint64_t(PacketHeader::kSize) + h.dataLength;
    const bool fits = used <= kNotifySlotSize && !isRelayWindow(h.replyWindow);
    if (!fits) {
      check(posts.empty());
      check(std::memcmp(before.data(), r.ring, kNotifyRingSize) == 0);
      check(r.handler->notifyData().index() == last);  // no slot taken
      continue;
    }
    const uint32_t slot = r.handler->notifyData().index();
    check(slot == (last < kNotifySlots - 1 ? last + 1 : 0));
    check(posts.size() == 1 && posts[0].window == h.replyWindow && posts[0].message == registeredMessages().notify &&
          posts[0].wparam == 0 && posts[0].lparam == intptr_t(slot));
    const uint32_t start = slot * kNotifySlotSize;
    check(std::memcmp(before.data(), r.ring, start) == 0);
    check(std::memcmp(before.data() + start + used, r.ring + start + used, kNotifyRingSize - start - used) == 0);
    check(std::memcmp(r.ring + start, message.data(), size_t(used)) == 0);

    PacketHeader back;
    std::vector<uint8_t> bytes;
    check(readNotifySlot(r.ring, kNotifyRingSize, slot, &back, &bytes) == SegmentRead::ok);
    check(std::memcmp(&back, &h, sizeof h) == 0);
    check(bytes.size() == h.dataLength &&
          (bytes.empty() || std::memcmp(bytes.data(), message.data() + PacketHeader::kSize, bytes.size()) == 0));
  }

  // The rest as somebody's ring.
  if (at < size) {
    const uint32_t slot = data[at];
    std::vector<uint8_t> ring(data + at + 1, data + size);
    PacketHeader h;
    std::vector<uint8_t> bytes;
    const SegmentRead read = readNotifySlot(ring.data(), uint32_t(ring.size()), slot, &h, &bytes);
    if (read == SegmentRead::ok) check(bytes.size() == h.dataLength && h.dataLength <= kNotifySlotSize - 44);
    if (read == SegmentRead::pastEnd) check(bytes.size() == kNotifySlotSize - 44);
  }
  return 0;
}
