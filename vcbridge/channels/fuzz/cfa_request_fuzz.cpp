// Any bytes as the request an application leaves in the CFA segment, carried
// out by CFAEventObserver as its loop does after each request event.
//
// Input: two bytes for the channel (bit 0 of the first: its reads and writes
// fail; the next byte, times 16, is how many bytes a read delivers, cut to
// what the relay asks for), then the segment's contents (cut to 20000 bytes).
//
// Checked beyond "no crash": a write sends exactly the length asked for from
// offset 20, or nothing when it would run past the segment; a read fills
// offsets 4, 8, 12 and exactly the 2048-byte data area, zero behind what
// arrived; the result is 0 or 1; a refresh or an unknown request leaves the
// segment as it was; nothing beyond the data area a request uses is touched.
#include <boost/make_shared.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "vcbridge/channels/CFAEventObserver.h"
#include "vcbridge/channels/VirtualChannel_CFA.h"
#include "vcbridge/channels/tests/fakes/FakeSessionPlatform.h"
#include "vcbridge/core/tests/fakes/FakeKernel.h"

namespace {

using namespace vcb;

// An invariant that failed names its line before the run stops.
#define check(ok)                                                         \
  do {                                                                    \
    if (!(ok)) {                                                          \
      std::fprintf(stderr, "invariant broken at line %d: %s\n", __LINE__, #ok); \
      std::abort();                                                       \
    }                                                                     \
  } while (0)

uint32_t word(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

class Channel : public IVirtualChannel_CFA {
 public:
  bool Open() override { return true; }
  void Close() override {}
  bool Read(CBinary& buffer, uint32_t& n, uint32_t) override {
    ++reads;
    n = 0;
    if (fail) return false;
    n = std::min(deliver, buffer.size());
    for (uint32_t i = 0; i < n; ++i) buffer.data()[i] = uint8_t(i * 31 + 7);
    return true;
  }
  bool Write(const CBinary& m) override {
    written.assign(m.data(), m.data() + m.size());
    ++writes;
    return !fail;
  }
  bool IsOpen() override { return true; }
  void Refresh() override { ++refreshes; }
  void CancelReads(bool) override {}

  bool fail = false;
  uint32_t deliver = 0;
  int reads = 0, writes = 0, refreshes = 0;
  std::vector<uint8_t> written;
};

struct Relay {
  testing::FakeKernel kernel;
  testing::FakeSessionPlatform platform;
  boost::shared_ptr<Channel> channel = boost::make_shared<Channel>();
  boost::shared_ptr<CFAEventObserver> observer;
  uint8_t* segment = nullptr;

  Relay() {
    setKernel(&kernel);
    platform.cfa = channel;
    setSessionPlatform(&platform);
    VirtualChannel_CFA::create();
    observer = CFAEventObserver::create();
    segment = kernel.mappingBytes(L"VARNETH_DSS_SMEM_CFA");
  }
};

Relay& relay() {
  static Relay* r = new Relay;
  return *r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Relay& r = relay();
  Channel& c = *r.channel;
  c.fail = size > 0 && (data[0] & 1);
  c.deliver = size > 1 ? data[1] * 16u : 0;
  c.reads = c.writes = c.refreshes = 0;
  c.written.clear();
  uint8_t* s = r.segment;
  std::memset(s, 0xA5, kSegmentSize);
  const size_t n = size > 2 ? std::min<size_t>(size - 2, kSegmentSize) : 0;
  if (n) std::memcpy(s, data + 2, n);
  const std::vector<uint8_t> before(s, s + kSegmentSize);

  r.observer->processRequest();

  const uint32_t code = word(before.data() + CfaLayout::request);
  auto unchangedFrom = [&](uint32_t offset) {
    return std::memcmp(s + offset, before.data() + offset, kSegmentSize - offset) == 0;
  };
  switch (code) {
    case CfaRead: {
      check(c.reads == 1 && c.writes == 0);
      check(word(s + CfaLayout::request) == CfaRead);
      check(word(s + CfaLayout::length) == CfaLayout::readSize);
      const uint32_t result = word(s + CfaLayout::result);
      const uint32_t got = word(s + CfaLayout::bytesRead);
      check(result == (c.fail ? 0u : 1u));
      check(got <= CfaLayout::readSize && got == (c.fail ? 0 : std::min(c.deliver, CfaLayout::readSize)));
      check(word(s + CfaLayout::timeout) == word(before.data() + CfaLayout::timeout));
      for (uint32_t i = 0; i < CfaLayout::readSize; ++i)
        check(s[CfaLayout::data + i] == (i < got ? uint8_t(i * 31 + 7) : 0));
      check(unchangedFrom(CfaLayout::data + CfaLayout::readSize));
      break;
    }
    case CfaWrite: {
      const uint32_t length = word(before.data() + CfaLayout::length);
      check(c.reads == 0);
      if (length > CfaLayout::maxWrite) {
        check(c.writes == 0 && word(s + CfaLayout::result) == 0);
      } else {
        check(c.writes == 1 && c.written.size() == length);
        check(std::equal(c.written.begin(), c.written.end(), before.begin() + CfaLayout::data));
        check(word(s + CfaLayout::result) == (c.fail ? 0u : 1u));
      }
      // Only the result word changes.
      check(std::memcmp(s, before.data(), CfaLayout::result) == 0);
      check(unchangedFrom(CfaLayout::result + 4));
      break;
    }
    case CfaRefresh:
      check(c.refreshes == 1 && c.reads == 0 && c.writes == 0);
      check(unchangedFrom(0));
      break;
    default:
      check(c.refreshes == 0 && c.reads == 0 && c.writes == 0);
      check(unchangedFrom(0));
  }
  return 0;
}
