// Any bytes as the request an application leaves in its DSS segment, read
// by RequestData and handled by RequestHandler::ProcessMessage as the
// message window does.
//
// Input: one flag byte (bit 0: the channel refuses writes), then the
// segment's contents (cut to 20000 bytes; the rest of the segment is zero).
//
// Checked beyond "no crash": nothing is ever posted to the relay's own
// window; at most one completion, to the request's replyWindow with its
// segmentKeyB; the packets sent are at most 1600 bytes and put back together
// give exactly the request's header and dataLength bytes from the segment,
// which never runs past the segment; commands answered locally send nothing.
#include <boost/make_shared.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "vcbridge/channels/ChunkAssembler.h"
#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/channels/RequestHandler.h"
#include "vcbridge/channels/VirtualChannel.h"
#include "vcbridge/channels/VirtualChannelObserver.h"
#include "vcbridge/channels/tests/fakes/FakeSessionPlatform.h"
#include "vcbridge/core/tests/fakes/FakeKernel.h"
#include "vcbridge/ipc/DSSSessionEventManager.h"
#include "vcbridge/ipc/SharedMemory.h"
#include "vcbridge/ipc/tests/fakes/FakeMessagePort.h"

namespace {

using namespace vcb;

constexpr int32_t kKeyA = 1234, kKeyB = 5;
constexpr WindowId kRelay = 0x00120034;

// An invariant that failed names its line before the run stops.
#define check(ok)                                                         \
  do {                                                                    \
    if (!(ok)) {                                                          \
      std::fprintf(stderr, "invariant broken at line %d: %s\n", __LINE__, #ok); \
      std::abort();                                                       \
    }                                                                     \
  } while (0)

// Keeps what one input sends; writes fail on request.
class Recorder : public IVirtualChannel {
 public:
  bool Open() override { return true; }
  void Close() override {}
  bool Read(CBinary&, uint32_t& n, uint32_t) override {
    n = 0;
    return false;
  }
  bool Write(const CBinary& m) override {
    if (failWrites) return false;
    packets.push_back(m);
    return true;
  }
  bool IsOpen() override { return true; }
  int32_t GetConnectState() override { return 0; }
  void CancelReads(bool) override {}
  std::vector<CBinary> packets;
  bool failWrites = false;
};

struct Relay {
  testing::FakeKernel kernel;
  testing::FakeMessagePort port;
  testing::FakeSessionPlatform platform;
  boost::shared_ptr<Recorder> channel = boost::make_shared<Recorder>();
  Handle mapping = nullptr;
  uint8_t* segment = nullptr;
  RequestHandler handler;

  Relay() {
    setKernel(&kernel);
    setMessagePort(&port);
    registerMessages();
    platform.dssOverride = channel;
    setSessionPlatform(&platform);
    VirtualChannel::create()->Open();
    DSSSessionEventManager::create();
    Singleton<SharedMemoryManager>::create()->initialise();
    VirtualChannelObserver::create();
    setRelayWindow(kRelay);
    mapping = kernel.createFileMapping(segmentName(kKeyA, kKeyB), kSegmentSize, Security::Default);
    segment = kernel.mappingBytes(segmentName(kKeyA, kKeyB));
  }
};

Relay& relay() {
  static Relay* r = new Relay;  // lives for the whole run
  return *r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Relay& r = relay();
  r.port.clear();
  // Packets an earlier input's failed write left queued would go out first:
  // that rule has tests of its own; each input starts on a fresh connection.
  if (r.channel->failWrites) VirtualChannel::get()->Reopen();
  r.channel->packets.clear();
  r.channel->failWrites = size > 0 && (data[0] & 1);
  {
    auto manager = DSSSessionEventManager::get();
    DSSSessionEventManager::LockGuard g(*manager);
    manager->openWindows().clear();
    manager->sessionNoticeMap().clear();
  }
  std::memset(r.segment, 0, kSegmentSize);
  const size_t n = size > 1 ? std::min<size_t>(size - 1, kSegmentSize) : 0;
  if (n) std::memcpy(r.segment, data + 1, n);
  const std::vector<uint8_t> left(r.segment, r.segment + kSegmentSize);

  r.handler.ProcessMessage(kKeyA, kKeyB);

  PacketHeader request;
  request.readFrom(left.data(), kSegmentSize);
  const auto posts = r.port.posts();
  check(posts.size() <= 1);
  for (const auto& p : posts) {
    check(!isRelayWindow(p.window));
    check(p.window == request.replyWindow);
    check(p.lparam == static_cast<intptr_t>(static_cast<int32_t>(request.segmentKeyB)));
  }
  if (isRelayWindow(request.replyWindow)) check(posts.empty() && r.channel->packets.empty());

  if (r.channel->packets.empty()) return 0;
  const bool local = request.command == 130 || request.command == 131 || request.command == 133 ||
                     request.command == 134 || (request.command == 0 && left[44] + (left[45] << 8) +
                                                (left[46] << 16) + (uint32_t(left[47]) << 24) != 2);
  check(!local);
  check(request.dataLength <= kSegmentSize - PacketHeader::kSize);
  ChunkAssembler client;
  boost::shared_ptr<CBinary> message;
  for (size_t i = 0; i < r.channel->packets.size(); ++i) {
    const CBinary& p = r.channel->packets[i];
    check(p.size() <= ChunkAssembler::kMaxPacketSize && p.size() >= PacketHeader::kSize);
    CBinary buffer(ChunkAssembler::kReceiveBufferSize);
    buffer.write(0, p.data(), p.size());
    auto m = client.AddPacket(buffer, p.size());
    if (m) {
      check(!message && i + 1 == r.channel->packets.size());  // delivered once, on the last packet
      message = m;
    }
  }
  check(bool(message));
  PacketHeader got;
  got.readFrom(*message);
  check(got.dataLength == request.dataLength);
  // A one-packet message comes back as the whole receive buffer.
  check(message->size() >= PacketHeader::kSize + request.dataLength);
  check(std::memcmp(message->data() + PacketHeader::kSize, left.data() + PacketHeader::kSize, request.dataLength) == 0);
  got.fragmentFirst = request.fragmentFirst;
  got.fragmentLast = request.fragmentLast;
  got.sequenceNo = request.sequenceNo;
  PacketHeader same = request;
  check(std::memcmp(&got, &same, sizeof got) == 0);
  return 0;
}
