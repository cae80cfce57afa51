// The framing as the MinGW build compiles it: every message size that
// matters crosses the assembler pair intact, and a hostile fragment is
// refused without touching memory it does not own.
#include <gtest/gtest.h>

#include <cstring>

#include "vcbridge/channels/ChunkAssembler.h"
#include "vcbridge/channels/tests/Packets.h"

namespace vcb {
namespace {

using testing::drain;
using testing::makeFragment;
using testing::makeMessage;
using testing::receive;

TEST(Framing, MessagesCrossTheAssemblersIntact) {
  ChunkAssembler sender, receiver;
  for (uint32_t dataLength : {0u, 1556u, 1557u, 4000u, ChunkAssembler::kMaxDataLength}) {
    SCOPED_TRACE(dataLength);
    const CBinary message = makeMessage(dataLength);
    ASSERT_TRUE(sender.TakeMessage(message));
    boost::shared_ptr<CBinary> m;
    size_t packets = 0;
    for (const CBinary& p : drain(sender)) {
      ASSERT_LE(p.size(), ChunkAssembler::kMaxPacketSize);
      ASSERT_FALSE(m) << "delivered before the last packet";
      testing::Received r = receive(p);
      m = receiver.AddPacket(r.buffer, r.bytesRead);
      ++packets;
    }
    ASSERT_TRUE(m);
    EXPECT_EQ(dataLength + 44 <= 1600 ? 1u : (dataLength + 1555) / 1556, packets);
    const uint32_t compared = std::min(m->size(), message.size());
    EXPECT_EQ(0, std::memcmp(message.data() + 44, m->data() + 44, compared - 44));
  }
  EXPECT_EQ(0u, receiver.partialCount());
}

TEST(Framing, AFragmentClaimingMoreThanItCarriesIsRefused) {
  ChunkAssembler receiver;
  testing::Received r = receive(makeFragment(7, 19956, 1, 1556));
  r.bytesRead = 100;
  EXPECT_FALSE(receiver.AddPacket(r.buffer, r.bytesRead));
  EXPECT_EQ(ChunkAssembler::Fault::TruncatedData, receiver.lastFault());
  EXPECT_EQ(0u, receiver.partialCount());
}

}  // namespace
}  // namespace vcb
