#include "tolv/config/Archive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolv {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

Bytes utf16(const std::wstring& s) {
  Bytes b;
  for (wchar_t c : s) {
    b.push_back(static_cast<uint8_t>(c));
    b.push_back(static_cast<uint8_t>(static_cast<uint16_t>(c) >> 8));
  }
  return b;
}

Bytes written(const std::wstring& s) {
  ArchiveWriter w;
  w.writeString(s);
  return w.take();
}

TEST(ArchiveString, ThreeHundredCharactersUseTheSixteenBitLength) {
  const std::wstring text(300, L'x');
  const Bytes expected = cat({
      {0xFF, 0xFE, 0xFF},  // UTF-16 marker
      {0xFF},              // the length does not fit one byte
      {0x2C, 0x01},        // 300
      utf16(text),         // 600 bytes, no terminator
  });
  EXPECT_EQ(expected.size(), 606u);
  EXPECT_EQ(written(text), expected);

  std::wstring back;
  ArchiveReader r(expected);
  ASSERT_TRUE(r.readString(back));
  EXPECT_EQ(back, text);
  EXPECT_EQ(r.remaining(), 0u);
}

TEST(ArchiveString, LengthFormsAtTheirLimits) {
  struct Case {
    size_t length;
    Bytes prefix;  // marker and length form
  };
  const Case cases[] = {
      {0, {0xFF, 0xFE, 0xFF, 0x00}},
      {254, {0xFF, 0xFE, 0xFF, 0xFE}},
      {255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
      {0xFFFD, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
      {0xFFFE, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
      {0x10000, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    const std::wstring text(c.length, L'\x4E2D');
    const Bytes bytes = written(text);
    ASSERT_EQ(bytes.size(), c.prefix.size() + 2 * c.length);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + c.prefix.size()), c.prefix);
    std::wstring back;
    ArchiveReader r(bytes);
    ASSERT_TRUE(r.readString(back));
    EXPECT_EQ(back, text);
  }
}

TEST(ArchiveString, CodeUnitsSurviveARoundTrip) {
  // A surrogate pair and a lone surrogate are kept as the code units they are.
  const std::wstring text = {L'a', static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00),
                             static_cast<wchar_t>(0xDC00), L'\0', L'z'};
  std::wstring back;
  const Bytes bytes = written(text);
  ArchiveReader r(bytes);
  ASSERT_TRUE(r.readString(back));
  EXPECT_EQ(back, text);
}

TEST(ArchiveString, WithoutTheMarkerTheBytesAreEightBitCharacters) {
  struct Case {
    const char* name;
    Bytes bytes;
    std::wstring text;
  };
  const Case cases[] = {
      {"one-byte length", {0x03, 'a', 'b', 0x80}, L"ab\x20AC"},  // 0x80 is the euro sign
      {"latin-1 range", {0x02, 0xE9, 0xFF}, L"\xE9\xFF"},
      {"empty", {0x00}, L""},
      {"16-bit length", cat({{0xFF, 0x2C, 0x01}, Bytes(300, 'q')}), std::wstring(300, L'q')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::wstring back;
    ArchiveReader r(c.bytes);
    ASSERT_TRUE(r.readString(back));
    EXPECT_EQ(back, c.text);
    EXPECT_EQ(r.remaining(), 0u);
  }
}

TEST(ArchiveString, LengthsBeyondTheBufferFailWithoutAllocating) {
  struct Case {
    const char* name;
    Bytes bytes;
  };
  const Case cases[] = {
      {"one-byte length, one character short", {0xFF, 0xFE, 0xFF, 0x02, 'a', 0, 'b'}},
      {"gigabytes claimed", {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0}},
      {"largest 32-bit length", {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"8-bit, gigabytes claimed", {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x40}},
      {"length cut off", {0xFF, 0xFE, 0xFF, 0xFF, 0x2C}},
      {"marker cut off", {0xFF, 0xFE}},
      {"marker twice", {0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0x00}},
      {"nothing", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::wstring back = L"kept";
    ArchiveReader r(c.bytes);
    EXPECT_FALSE(r.readString(back));
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(back, L"kept");
  }
}

TEST(ArchiveNumbers, LittleEndianAndStickyFailure) {
  ArchiveWriter w;
  w.writeI32(-2);
  w.writeU8(7);
  w.writeI64(0x0102030405060708);
  w.writeDouble(1.5);
  const Bytes expected = {
      0xFE, 0xFF, 0xFF, 0xFF,                          // -2
      0x07,                                            // u8
      0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,  // i64
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x3F,  // 1.5
  };
  EXPECT_EQ(w.bytes(), expected);

  ArchiveReader r(expected);
  int32_t i = 0;
  uint8_t u = 0;
  int64_t l = 0;
  double d = 0;
  EXPECT_TRUE(r.readI32(i) && r.readU8(u) && r.readI64(l) && r.readDouble(d));
  EXPECT_EQ(i, -2);
  EXPECT_EQ(u, 7);
  EXPECT_EQ(l, 0x0102030405060708);
  EXPECT_EQ(d, 1.5);
  EXPECT_FALSE(r.readU8(u));
  EXPECT_FALSE(r.ok());

  // After one failed read nothing more is read, even where bytes would remain.
  const Bytes shortThenMore = {0x01, 0x02, 0x03};
  ArchiveReader s(shortThenMore);
  EXPECT_FALSE(s.readI32(i));
  EXPECT_FALSE(s.readU8(u));
}

}  // namespace
}  // namespace tolv
