// What an application reads back from its segment or from a notification
// slot stays inside the bytes it was given, whatever dataLength claims.
#include <gtest/gtest.h>

#include <vector>

#include "vcbridge/channels/SegmentMessage.h"
#include "vcbridge/ipc/SharedMemory.h"

namespace vcb {
namespace {

std::vector<uint8_t> bufferWith(uint32_t size, uint32_t command, uint32_t dataLength) {
  std::vector<uint8_t> b(size);
  for (uint32_t i = 0; i < size; ++i) b[i] = uint8_t(i * 11 + 1);
  PacketHeader h;
  h.command = command;
  h.dataLength = dataLength;
  h.writeTo(b.data(), size);
  return b;
}

TEST(SegmentMessage, ReadIsBoundedByTheBuffer) {
  struct Case {
    const char* what;
    uint32_t size;
    uint32_t dataLength;
    SegmentRead expected;
    size_t dataBytes;
  } cases[] = {
      {"empty message", 44, 0, SegmentRead::ok, 0},
      {"data fills the segment", kSegmentSize, kSegmentSize - 44, SegmentRead::ok, kSegmentSize - 44},
      {"one byte past the segment", kSegmentSize, kSegmentSize - 43, SegmentRead::pastEnd, kSegmentSize - 44},
      {"length near 4 GiB", kSegmentSize, 0xFFFFFFFFu, SegmentRead::pastEnd, kSegmentSize - 44},
      {"short message in a big segment", kSegmentSize, 4000, SegmentRead::ok, 4000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> b = bufferWith(c.size, 7, c.dataLength);
    PacketHeader h;
    std::vector<uint8_t> data;
    EXPECT_EQ(c.expected, readSegmentMessage(b.data(), c.size, &h, &data));
    EXPECT_EQ(7u, h.command);
    EXPECT_EQ(c.dataLength, h.dataLength);
    ASSERT_EQ(c.dataBytes, data.size());
    if (!data.empty()) {
      EXPECT_EQ(b[44], data.front());
      EXPECT_EQ(b[44 + data.size() - 1], data.back());
    }
  }
}

TEST(SegmentMessage, FewerBytesThanAHeaderGiveNoMessage) {
  std::vector<uint8_t> b = bufferWith(44, 3, 0);
  PacketHeader h;
  std::vector<uint8_t> data{1, 2, 3};
  EXPECT_EQ(SegmentRead::tooShort, readSegmentMessage(b.data(), 43, &h, &data));
  EXPECT_EQ(0u, h.command);
  EXPECT_TRUE(data.empty());
  EXPECT_EQ(SegmentRead::tooShort, readSegmentMessage(nullptr, kSegmentSize, &h, &data));
}

TEST(SegmentMessage, WriteRefusesWhatDoesNotFitAndLeavesTheBytesAlone) {
  std::vector<uint8_t> seg(kSegmentSize, 0xEE);
  std::vector<uint8_t> data(kSegmentSize - 43, 0x5A);
  PacketHeader h;
  h.command = 5;
  h.dataLength = uint32_t(data.size());
  EXPECT_FALSE(writeSegmentMessage(seg.data(), kSegmentSize, h, data.data(), uint32_t(data.size())));
  EXPECT_EQ(std::vector<uint8_t>(kSegmentSize, 0xEE), seg);

  h.dataLength = kSegmentSize - 44;
  ASSERT_TRUE(writeSegmentMessage(seg.data(), kSegmentSize, h, data.data(), h.dataLength));
  PacketHeader back;
  std::vector<uint8_t> got;
  EXPECT_EQ(SegmentRead::ok, readSegmentMessage(seg.data(), kSegmentSize, &back, &got));
  EXPECT_EQ(5u, back.command);
  EXPECT_EQ(std::vector<uint8_t>(kSegmentSize - 44, 0x5A), got);
}

TEST(SegmentMessage, NotifySlotsStayInsideTheirNinetySixBytes) {
  std::vector<uint8_t> ring(kNotifyRingSize, 0);
  auto put = [&](uint32_t slot, uint32_t dataLength) {
    PacketHeader h;
    h.command = 1000 + slot % 3;
    h.dataLength = dataLength;
    h.writeTo(ring.data() + slot * kNotifySlotSize, kNotifySlotSize);
    for (uint32_t i = 0; i < 52; ++i) ring[slot * kNotifySlotSize + 44 + i] = uint8_t(slot + i);
  };
  put(0, 8);
  put(49, 52);
  put(1, 53);  // claims one byte of the next slot

  struct Case {
    uint32_t slot;
    SegmentRead expected;
    size_t dataBytes;
  } cases[] = {{0, SegmentRead::ok, 8}, {49, SegmentRead::ok, 52}, {1, SegmentRead::pastEnd, 52},
               {50, SegmentRead::tooShort, 0}, {0xFFFFFFFFu, SegmentRead::tooShort, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.slot);
    PacketHeader h;
    std::vector<uint8_t> data;
    EXPECT_EQ(c.expected, readNotifySlot(ring.data(), kNotifyRingSize, c.slot, &h, &data));
    ASSERT_EQ(c.dataBytes, data.size());
    if (!data.empty()) {
      EXPECT_EQ(uint8_t(c.slot), data[0]);
    }
  }
  PacketHeader h;
  std::vector<uint8_t> data;
  EXPECT_EQ(SegmentRead::tooShort, readNotifySlot(ring.data(), 96 * 10, 10, &h, &data))
      << "a ring mapped smaller than 50 slots";
}

}  // namespace
}  // namespace vcb
