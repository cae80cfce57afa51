#include "vcbridge/channels/ChunkAssembler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/channels/tests/Packets.h"

namespace vcb {
namespace {

using testing::dataByte;
using testing::drain;
using testing::headerOf;
using testing::makeFragment;
using testing::makeMessage;
using testing::receive;
using testing::Received;
using Fault = ChunkAssembler::Fault;

// ---------------------------------------------------------------- sending

struct Expected {
  uint32_t first, last, size;
};

struct ChunkCase {
  uint32_t dataLength;
  std::vector<Expected> packets;
};

class Chunking : public ::testing::TestWithParam<ChunkCase> {};

TEST_P(Chunking, CutsIntoPacketsOfTheExpectedRangesAndSizes) {
  const ChunkCase& c = GetParam();
  const CBinary message = makeMessage(c.dataLength);
  ChunkAssembler a;
  ASSERT_TRUE(a.TakeMessage(message));
  const std::vector<CBinary> packets = drain(a);
  EXPECT_FALSE(a.hasUnsentPackets());

  ASSERT_EQ(c.packets.size(), packets.size());
  for (size_t i = 0; i < packets.size(); ++i) {
    SCOPED_TRACE(i);
    const PacketHeader h = headerOf(packets[i]);
    EXPECT_EQ(c.packets[i].size, packets[i].size());
    EXPECT_LE(packets[i].size(), ChunkAssembler::kMaxPacketSize);
    EXPECT_EQ(c.packets[i].first, h.fragmentFirst);
    EXPECT_EQ(c.packets[i].last, h.fragmentLast);
    EXPECT_EQ(1u, h.sequenceNo);
    // Routing fields travel unchanged in every packet.
    EXPECT_EQ(5u, h.command);
    EXPECT_EQ(c.dataLength, h.dataLength);
    EXPECT_EQ(0x00010203u, h.replyWindow);
    EXPECT_EQ(42u, h.segmentKeyA);
    EXPECT_EQ(4711u, h.segmentKeyB);
    const uint32_t firstIndex = h.fragmentFirst == 0 ? 0 : h.fragmentFirst - 1;
    EXPECT_EQ(0, std::memcmp(packets[i].data() + PacketHeader::kSize,
                             message.data() + PacketHeader::kSize + firstIndex,
                             packets[i].size() - PacketHeader::kSize));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Chunking,
    ::testing::Values(ChunkCase{0, {{0, 0, 44}}},
                      ChunkCase{1, {{0, 1, 45}}},
                      ChunkCase{1556, {{0, 1556, 1600}}},
                      ChunkCase{1557, {{1, 1556, 1600}, {1557, 1557, 45}}},
                      ChunkCase{3112, {{1, 1556, 1600}, {1557, 3112, 1600}}},
                      ChunkCase{4000, {{1, 1556, 1600}, {1557, 3112, 1600}, {3113, 4000, 932}}}));

TEST(ChunkAssemblerSending, RefusesANewMessageUntilEveryPacketOfTheLastIsSent) {
  ChunkAssembler a;
  ASSERT_TRUE(a.TakeMessage(makeMessage(4000)));
  a.NextPacket();
  EXPECT_FALSE(a.TakeMessage(makeMessage(10)));
  EXPECT_EQ(2u, a.sequenceCounter()) << "a refused message uses no number";
  EXPECT_EQ(1557u, headerOf(a.currentPacket()).fragmentFirst) << "the queue is untouched";
  a.NextPacket();
  EXPECT_FALSE(a.TakeMessage(makeMessage(10))) << "the last packet is still unsent";
  a.NextPacket();
  EXPECT_FALSE(a.hasUnsentPackets());
  ASSERT_TRUE(a.TakeMessage(makeMessage(10)));
  EXPECT_EQ(2u, headerOf(a.currentPacket()).sequenceNo);
}

TEST(ChunkAssemblerSending, RefusesMessagesShorterThanTheirHeaderSays) {
  ChunkAssembler a;
  EXPECT_FALSE(a.TakeMessage(CBinary(43)));
  CBinary lying = makeMessage(100);
  lying.setWord(PacketHeader::dataLengthOffset, 101);
  EXPECT_FALSE(a.TakeMessage(lying));
  lying.setWord(PacketHeader::dataLengthOffset, 0xFFFFFFFFu);
  EXPECT_FALSE(a.TakeMessage(lying));
  EXPECT_FALSE(a.hasUnsentPackets());
  EXPECT_EQ(1u, a.sequenceCounter());
}

TEST(ChunkAssemblerSending, SendsOnlyTheBytesTheHeaderAnnounces) {
  CBinary padded(PacketHeader::kSize + 2000);
  PacketHeader h;
  h.dataLength = 10;
  h.writeTo(padded);
  ChunkAssembler a;
  ASSERT_TRUE(a.TakeMessage(padded));
  const std::vector<CBinary> packets = drain(a);
  ASSERT_EQ(1u, packets.size());
  EXPECT_EQ(54u, packets[0].size());
}

TEST(ChunkAssemblerSending, SequenceNumbersRunFrom1To99999ThenStartAgainAt1) {
  ChunkAssembler a;
  const CBinary message = makeMessage(0);
  for (uint32_t n = 1; n <= 100001; ++n) {
    ASSERT_TRUE(a.TakeMessage(message));
    const uint32_t seq = headerOf(a.currentPacket()).sequenceNo;
    const uint32_t expected = n <= 99999 ? n : n - 99999;
    ASSERT_EQ(expected, seq) << "message " << n;
    a.NextPacket();
  }
}

// -------------------------------------------------------------- receiving

boost::shared_ptr<CBinary> add(ChunkAssembler& a, const CBinary& packet) {
  Received r = receive(packet);
  return a.AddPacket(r.buffer, r.bytesRead);
}

TEST(ChunkAssemblerReceiving, AWholePacketYieldsTheEntireReceiveBuffer) {
  CBinary packet = makeMessage(100, 1000);
  Received r = receive(packet);
  r.buffer.data()[2047] = 0xAB;  // whatever the buffer holds is handed on
  ChunkAssembler a;
  boost::shared_ptr<CBinary> m = a.AddPacket(r.buffer, r.bytesRead);
  ASSERT_TRUE(m);
  ASSERT_EQ(2048u, m->size());
  EXPECT_EQ(0, std::memcmp(r.buffer.data(), m->data(), 2048));
  EXPECT_EQ(0u, a.partialCount());
}

TEST(ChunkAssemblerReceiving, EverySentMessageReassemblesOnItsLastPacket) {
  for (uint32_t dataLength : {1557u, 3112u, 4000u, ChunkAssembler::kMaxDataLength}) {
    SCOPED_TRACE(dataLength);
    const CBinary message = makeMessage(dataLength);
    ChunkAssembler sender, receiver;
    ASSERT_TRUE(sender.TakeMessage(message));
    const std::vector<CBinary> packets = drain(sender);
    for (size_t i = 0; i + 1 < packets.size(); ++i) EXPECT_FALSE(add(receiver, packets[i]));
    boost::shared_ptr<CBinary> m = add(receiver, packets.back());
    ASSERT_TRUE(m);
    ASSERT_EQ(message.size(), m->size());
    EXPECT_EQ(0, std::memcmp(message.data() + 44, m->data() + 44, dataLength));
    EXPECT_EQ(4711u, headerOf(*m).segmentKeyB);
    EXPECT_EQ(0u, receiver.partialCount());
    EXPECT_EQ(0u, receiver.partialBytes());
  }
}

TEST(ChunkAssemblerReceiving, PacketsOutOfOrderMakeOneMessageDeliveredOnce) {
  ChunkAssembler a;
  EXPECT_FALSE(add(a, makeFragment(9, 3000, 1557, 3000)));
  boost::shared_ptr<CBinary> m = add(a, makeFragment(9, 3000, 1, 1556));
  ASSERT_TRUE(m);
  ASSERT_EQ(3044u, m->size());
  for (uint32_t i = 0; i < 3000; ++i) ASSERT_EQ(dataByte(i), m->data()[44 + i]) << i;
  EXPECT_EQ(1557u, headerOf(*m).fragmentFirst) << "the header is the first arrival's";
  EXPECT_FALSE(add(a, makeFragment(9, 3000, 1557, 3000))) << "a late repeat delivers nothing";
}

TEST(ChunkAssemblerReceiving, InterleavedMessagesAreKeptApartBySequenceNo) {
  ChunkAssembler a;
  EXPECT_FALSE(add(a, makeFragment(1, 2000, 1, 1556)));
  EXPECT_FALSE(add(a, makeFragment(2, 3000, 1557, 3000)));
  EXPECT_EQ(2u, a.partialCount());
  boost::shared_ptr<CBinary> two = add(a, makeFragment(2, 3000, 1, 1556));
  ASSERT_TRUE(two);
  EXPECT_EQ(3044u, two->size());
  boost::shared_ptr<CBinary> one = add(a, makeFragment(1, 2000, 1557, 2000));
  ASSERT_TRUE(one);
  EXPECT_EQ(2044u, one->size());
}

// Repeated bytes are counted once: a message completes only when every byte
// of it has arrived.
struct RepeatCase {
  const char* name;
  std::vector<std::pair<uint32_t, uint32_t>> ranges;  // of a 3000-byte message
  size_t completesAt;                                 // index of the completing packet
};

class Repeats : public ::testing::TestWithParam<RepeatCase> {};

TEST_P(Repeats, CompleteOnlyWhenEveryByteHasArrived) {
  const RepeatCase& c = GetParam();
  ChunkAssembler a;
  for (size_t i = 0; i < c.ranges.size(); ++i) {
    boost::shared_ptr<CBinary> m = add(a, makeFragment(3, 3000, c.ranges[i].first, c.ranges[i].second));
    ASSERT_EQ(i == c.completesAt, bool(m)) << "packet " << i;
    if (m) {
      for (uint32_t b = 0; b < 3000; ++b) ASSERT_EQ(dataByte(b), m->data()[44 + b]) << b;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Repeats,
    ::testing::Values(
        RepeatCase{"SameHalfTwice", {{1, 1500}, {1, 1500}, {1501, 3000}}, 2},
        RepeatCase{"Overlapping", {{1, 1500}, {1000, 2500}, {2400, 3000}}, 2},
        RepeatCase{"ByteCountReachedWithAHole", {{1, 1500}, {1001, 2500}, {2001, 2500}, {2501, 3000}}, 3},
        RepeatCase{"SingleBytes", {{3000, 3000}, {1, 1556}, {3000, 3000}, {1557, 2999}}, 3}),
    [](const ::testing::TestParamInfo<RepeatCase>& i) { return i.param.name; });

// Malformed fragments are refused without touching the partial messages.
struct FaultCase {
  const char* name;
  uint32_t dataLength, first, last;
  uint32_t bytesRead;  // 0: the whole packet as built (capped to the buffer)
  Fault fault;
};

class Faults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(Faults, AreRefusedAndLeaveNoTrace) {
  const FaultCase& c = GetParam();
  ChunkAssembler a;
  ASSERT_FALSE(add(a, makeFragment(4, 3000, 1, 1000)));
  // Build the header by hand: the fields may make no sense.
  Received r;
  PacketHeader h;
  h.sequenceNo = 4;
  h.dataLength = c.dataLength;
  h.fragmentFirst = c.first;
  h.fragmentLast = c.last;
  h.writeTo(r.buffer);
  r.bytesRead = c.bytesRead;
  EXPECT_FALSE(a.AddPacket(r.buffer, r.bytesRead));
  EXPECT_EQ(c.fault, a.lastFault());
  EXPECT_EQ(1u, a.partialCount());
  EXPECT_EQ(3044u, a.partialBytes());
  EXPECT_TRUE(add(a, makeFragment(4, 3000, 1001, 3000))) << "the partial message is intact";
}

INSTANTIATE_TEST_SUITE_P(
    Table, Faults,
    ::testing::Values(
        FaultCase{"ShorterThanAHeader", 3000, 1, 1, 43, Fault::ShortPacket},
        FaultCase{"NothingRead", 3000, 1, 1, 0, Fault::ShortPacket},
        FaultCase{"Reversed", 3000, 10, 5, 2048, Fault::ReversedRange},
        FaultCase{"PastTheEnd", 3000, 2990, 3001, 2048, Fault::RangeOutside},
        FaultCase{"LastAtMaximum", 3000, 1, 0xFFFFFFFFu, 2048, Fault::RangeOutside},
        FaultCase{"BothAtMaximum", 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 2048, Fault::TooLong},
        FaultCase{"LargerThanASegment", 19957, 1, 100, 2048, Fault::TooLong},
        FaultCase{"DataNotRead", 3000, 1001, 2556, 44 + 1555, Fault::TruncatedData},
        FaultCase{"MoreThanTheBuffer", 3000, 501, 2600, 9999, Fault::TruncatedData}),
    [](const ::testing::TestParamInfo<FaultCase>& i) { return i.param.name; });

TEST(ChunkAssemblerReceiving, TheLargestMessageASegmentTakesIsAccepted) {
  ChunkAssembler a;
  const uint32_t n = ChunkAssembler::kMaxDataLength;
  EXPECT_FALSE(add(a, makeFragment(1, n, 1, 2004)));
  EXPECT_EQ(Fault::None, a.lastFault());
  EXPECT_EQ(20000u, a.partialBytes());
}

TEST(ChunkAssemblerReceiving, ASequenceNoReusedWithAnotherLengthStartsANewMessage) {
  ChunkAssembler a;
  EXPECT_FALSE(add(a, makeFragment(5, 3000, 1, 1556)));
  EXPECT_FALSE(add(a, makeFragment(5, 2000, 1557, 2000)));
  EXPECT_EQ(1u, a.partialCount()) << "the older message was replaced";
  EXPECT_EQ(2044u, a.partialBytes());
  boost::shared_ptr<CBinary> m = add(a, makeFragment(5, 2000, 1, 1556));
  ASSERT_TRUE(m);
  EXPECT_EQ(2044u, m->size());
  EXPECT_FALSE(add(a, makeFragment(5, 3000, 1557, 3000))) << "the replaced message is gone";
}

TEST(ChunkAssemblerReceiving, TooManyPartialMessagesDropTheOldest) {
  ChunkAssembler a;
  const uint32_t count = ChunkAssembler::kMaxPartialMessages + 1;
  for (uint32_t seq = 1; seq <= count; ++seq) EXPECT_FALSE(add(a, makeFragment(seq, 2000, 1, 1000)));
  EXPECT_EQ(ChunkAssembler::kMaxPartialMessages, a.partialCount());
  EXPECT_TRUE(add(a, makeFragment(2, 2000, 1001, 2000)));
  EXPECT_TRUE(add(a, makeFragment(count, 2000, 1001, 2000)));
  EXPECT_FALSE(add(a, makeFragment(1, 2000, 1001, 2000))) << "the oldest was dropped";
}

TEST(ChunkAssemblerReceiving, PartialMessagesStayWithinTheirByteBound) {
  ChunkAssembler a;
  const uint32_t n = ChunkAssembler::kMaxDataLength;  // 20000 bytes each
  for (uint32_t seq = 1; seq <= 60; ++seq) ASSERT_FALSE(add(a, makeFragment(seq, n, 1, 2004)));
  const size_t fit = ChunkAssembler::kMaxPartialBytes / 20000;  // 52
  EXPECT_EQ(fit, a.partialCount());
  EXPECT_LE(a.partialBytes(), ChunkAssembler::kMaxPartialBytes);

  auto complete = [&](uint32_t seq) {
    boost::shared_ptr<CBinary> m;
    for (uint32_t first = 2005; first <= n; first += 2004)
      m = add(a, makeFragment(seq, n, first, std::min(first + 2003, n)));
    return bool(m);
  };
  EXPECT_TRUE(complete(60 - fit + 1)) << "the oldest kept";
  EXPECT_TRUE(complete(60));
  EXPECT_EQ((fit - 2) * 20000, a.partialBytes());
  EXPECT_FALSE(complete(60 - fit)) << "dropped";
}

// Later fragments must belong to the same answer for the same application
// as the first; otherwise their bytes would end up in another's segment.
TEST(ChunkAssemblerReceiving, AFragmentRoutedOtherwiseThanTheFirstIsRefused) {
  struct Case {
    const char* name;
    void (*change)(PacketHeader&);
    bool refused;
  } cases[] = {
      {"command", [](PacketHeader& h) { h.command = 7; }, true},
      {"replyWindow", [](PacketHeader& h) { h.replyWindow = 0x00020002; }, true},
      {"segmentKeyA", [](PacketHeader& h) { h.segmentKeyA = 43; }, true},
      {"segmentKeyB", [](PacketHeader& h) { h.segmentKeyB = 2; }, true},
      {"resultCode", [](PacketHeader& h) { h.resultCode = 9; }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ChunkAssembler a;
    ASSERT_FALSE(add(a, makeFragment(77, 3000, 1, 1556)));
    CBinary other = makeFragment(77, 3000, 1557, 3000);
    PacketHeader h = headerOf(other);
    c.change(h);
    h.writeTo(other);
    boost::shared_ptr<CBinary> m = add(a, other);
    EXPECT_EQ(c.refused ? Fault::OtherRouting : Fault::None, a.lastFault());
    EXPECT_EQ(!c.refused, bool(m));
    if (c.refused) {
      EXPECT_EQ(1u, a.partialCount()) << "the first message waits on";
      EXPECT_TRUE(add(a, makeFragment(77, 3000, 1557, 3000)));
    }
  }
}

TEST(ChunkAssemblerReceiving, ARestartForgetsWhatTheOldConnectionLeftUnfinished) {
  ChunkAssembler a;
  ASSERT_FALSE(add(a, makeFragment(77, 3000, 1, 1556)));
  ASSERT_FALSE(add(a, makeFragment(78, 2000, 1, 1000)));
  a.Restart();
  EXPECT_EQ(0u, a.partialCount());
  EXPECT_EQ(0u, a.partialBytes());
  EXPECT_FALSE(add(a, makeFragment(77, 3000, 1557, 3000))) << "no half from before completes it";
  EXPECT_EQ(1u, a.partialCount());
  EXPECT_TRUE(add(a, makeFragment(77, 3000, 1, 1556)));
}

}  // namespace
}  // namespace vcb
