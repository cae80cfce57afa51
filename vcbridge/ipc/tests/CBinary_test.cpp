#include "vcbridge/ipc/CBinary.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace vcb {
namespace {

const uint8_t kBytes[] = {1, 2, 3, 4, 5, 6, 7, 8};

TEST(CBinary, EveryBufferEndsInAZeroByteBehindItsSize) {
  CBinary empty;
  EXPECT_EQ(0u, empty.size());
  EXPECT_EQ(0, empty.data()[0]);

  CBinary sized(5);
  for (uint32_t i = 0; i <= 5; ++i) EXPECT_EQ(0, sized.data()[i]);

  CBinary copied(kBytes, 8);
  EXPECT_EQ(0, std::memcmp(kBytes, copied.data(), 8));
  EXPECT_EQ(0, copied.data()[8]);

  CBinary fromNothing(nullptr, 3);
  for (uint32_t i = 0; i <= 3; ++i) EXPECT_EQ(0, fromNothing.data()[i]);
}

TEST(CBinary, ResizeZeroFillsAndLosesTheOldContents) {
  CBinary b(kBytes, 8);
  b.resize(12);
  ASSERT_EQ(12u, b.size());
  for (uint32_t i = 0; i <= 12; ++i) EXPECT_EQ(0, b.data()[i]) << i;
  b.write(0, kBytes, 8);
  b.resize(0);
  EXPECT_EQ(0u, b.size());
  EXPECT_TRUE(b.empty());
  EXPECT_EQ(0, b.data()[0]);
}

TEST(CBinary, CopiesAreDeep) {
  CBinary a(kBytes, 8);
  CBinary b(a);
  b.data()[0] = 99;
  EXPECT_EQ(1, a.data()[0]);
  CBinary c(2);
  c = a;
  c.data()[1] = 98;
  EXPECT_EQ(2, a.data()[1]);
  EXPECT_EQ(8u, c.size());
  c = c;
  EXPECT_EQ(0, std::memcmp(a.data() + 2, c.data() + 2, 6));
}

TEST(CBinary, CopyOutZeroesTheWholeTarget) {
  CBinary b(kBytes, 4);
  std::vector<uint8_t> target(8, 0xCC);
  b.copyTo(target.data(), 6);
  EXPECT_EQ((std::vector<uint8_t>{1, 2, 3, 4, 0, 0, 0xCC, 0xCC}), target);
  std::fill(target.begin(), target.end(), 0xCC);
  b.copyTo(target.data(), 2);
  EXPECT_EQ((std::vector<uint8_t>{1, 2, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC}), target);
}

TEST(CBinary, ReadStaysInsideTheBufferAndTheTarget) {
  const CBinary b(kBytes, 8);
  struct Case {
    uint32_t offset, n, capacity;
    bool ok;
    std::vector<uint8_t> target;  // the 6-byte target afterwards, prefilled with 0xCC
  } cases[] = {
      {0, 4, 6, true, {1, 2, 3, 4, 0xCC, 0xCC}},
      {4, 4, 6, true, {5, 6, 7, 8, 0xCC, 0xCC}},       // up to the last byte
      {2, 6, 3, true, {3, 4, 5, 0xCC, 0xCC, 0xCC}},    // capacity limits the copy
      {8, 0, 6, true, {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC}},
      {5, 4, 6, false, {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC}},  // one past the end
      {9, 0, 6, false, {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC}},
      {0, 2, 0, false, {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC}},  // no capacity
      // offset + n wraps in 32 bits: still out of range
      {4, 0xFFFFFFFEu, 6, false, {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC}},
      {0xFFFFFFFFu, 2, 6, false, {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "offset " << c.offset << " n " << c.n << " capacity " << c.capacity);
    std::vector<uint8_t> target(6, 0xCC);
    EXPECT_EQ(c.ok, b.read(c.offset, c.n, target.data(), c.capacity));
    EXPECT_EQ(c.target, target);
  }
  EXPECT_FALSE(b.read(0, 2, nullptr, 6));
}

TEST(CBinary, WriteStaysInsideTheBuffer) {
  const uint8_t src[] = {0xA1, 0xA2, 0xA3, 0xA4};
  struct Case {
    uint32_t offset, n;
    bool ok;
    std::vector<uint8_t> after;  // the buffer's 6 bytes and its terminator
  } cases[] = {
      {0, 4, true, {0xA1, 0xA2, 0xA3, 0xA4, 0, 0, 0}},
      {4, 4, true, {0, 0, 0, 0, 0xA1, 0xA2, 0}},  // cut at the end, terminator untouched
      {5, 1, true, {0, 0, 0, 0, 0, 0xA1, 0}},
      {6, 1, false, {0, 0, 0, 0, 0, 0, 0}},
      {0xFFFFFFFFu, 4, false, {0, 0, 0, 0, 0, 0, 0}},
      {0, 0, false, {0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "offset " << c.offset << " n " << c.n);
    CBinary b(6);
    EXPECT_EQ(c.ok, b.write(c.offset, src, c.n));
    EXPECT_EQ(c.after, std::vector<uint8_t>(b.data(), b.data() + 7));
  }
  CBinary b(6);
  EXPECT_FALSE(b.write(0, nullptr, 4));
  CBinary empty;
  EXPECT_FALSE(empty.write(0, src, 1));
  EXPECT_EQ(0, empty.data()[0]);
}

TEST(CBinary, WordsAreLittleEndianAndMustFit) {
  CBinary b(8);
  EXPECT_TRUE(b.setWord(4, 0x11223344u));
  EXPECT_EQ(0x44, b.data()[4]);
  EXPECT_EQ(0x11, b.data()[7]);
  EXPECT_EQ(0x11223344u, b.word(4));
  EXPECT_FALSE(b.setWord(5, 1));
  EXPECT_FALSE(b.setWord(0xFFFFFFFEu, 1));
  EXPECT_EQ(0u, b.word(5));
  EXPECT_EQ(0, b.data()[8]);
}

}  // namespace
}  // namespace vcb
