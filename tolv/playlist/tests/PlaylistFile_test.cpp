#include "tolv/playlist/PlaylistFile.h"

#include <gtest/gtest.h>

#include "tolv/playlist/tests/ByteFixtures.h"

namespace tolv {
namespace {

using namespace tolv::testing;

const Bytes kEmptyReserved = cat({str(L""), str(L""), str(L""), str(L"")});

// One entry as an older version wrote it: the time is a bare 4-byte value.
Bytes entryWithOldTime(const std::wstring& path, const std::wstring& name, uint32_t time) {
  return cat({
      str(path),                                       // path
      str(name),                                       // fileName
      i32(95),                                         // playpointSeconds
      i32(600),                                        // lengthSeconds
      {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x3F},  // sizeMegabytes 1.5
      i32(time),                                       // lastAccessed, no marker
      kEmptyReserved,                                  // four reserved strings
  });
}

TEST(PlaylistFile, OlderFourByteTimeLoadsAndIsWrittenBackWithTheMarker) {
  const Bytes file = cat({i32(1), entryWithOldTime(L"C:\\a\\r.mp3", L"r.mp3", 0x5F5E1000)});
  const auto entries = ReadPlaylistFile(file);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].path, L"C:\\a\\r.mp3");
  EXPECT_EQ(entries[0].fileName, L"r.mp3");
  EXPECT_EQ(entries[0].playpointSeconds, 95);
  EXPECT_EQ(entries[0].lengthSeconds, 600);
  EXPECT_EQ(entries[0].sizeMegabytes, 1.5);
  EXPECT_EQ(entries[0].lastAccessed, 0x5F5E1000);

  const Bytes expected = cat({
      i32(1),                                          // entry count
      str(L"C:\\a\\r.mp3"), str(L"r.mp3"),             // path, fileName
      i32(95), i32(600),                               // playpoint, length
      {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x3F},  // 1.5 MB
      {0x0A, 0x00, 0x00, 0x80},                        // time marker 0x8000000A
      i64(0x5F5E1000),                                 // 64-bit time
      kEmptyReserved,
  });
  EXPECT_EQ(WritePlaylistFile(entries), expected);
}

TEST(PlaylistFile, OldTimeIsSignExtended) {
  const auto entries = ReadPlaylistFile(cat({i32(1), entryWithOldTime(L"p", L"n", 0xFFFFFFFF)}));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].lastAccessed, -1);
}

TEST(PlaylistFile, ReservedStringsAndLongPathsSurviveARoundTrip) {
  PlaylistEntry e;
  e.path = L"D:\\" + std::wstring(400, L'\x00E9') + L"\\x.wav";
  e.fileName = L"x.wav";
  e.lastAccessed = -5000000000;
  e.reserved = {L"a", L"", L"c", std::wstring(300, L'r')};
  const std::vector<PlaylistEntry> entries = {e, PlaylistEntry{}};
  EXPECT_EQ(ReadPlaylistFile(WritePlaylistFile(entries)), entries);
}

TEST(PlaylistFile, ShortFileKeepsTheEntriesReadWhole) {
  const Bytes one = entryWithOldTime(L"C:\\a.mp3", L"a.mp3", 1);
  const Bytes two = entryWithOldTime(L"C:\\b.mp3", L"b.mp3", 2);
  const Bytes file = cat({i32(2), one, two});
  for (size_t cut = 0; cut < file.size(); ++cut) {
    SCOPED_TRACE(cut);
    const auto entries = ReadPlaylistFile(std::span(file.data(), cut));
    EXPECT_EQ(entries.size(), cut >= 4 + one.size() ? 1u : 0u);
  }
  EXPECT_EQ(ReadPlaylistFile(file).size(), 2u);
}

TEST(PlaylistFile, ClaimsBeyondTheFileEndTheRead) {
  struct Case {
    const char* name;
    Bytes file;
    size_t entries;
  };
  const Case cases[] = {
      {"count of two billion, one entry", cat({i32(0x7FFFFFFF), entryWithOldTime(L"p", L"n", 1)}), 1},
      {"negative count", cat({i32(0x80000000), entryWithOldTime(L"p", L"n", 1)}), 0},
      {"path of gigabytes",
       cat({i32(1), {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x40}, Bytes(64, 0)}), 0},
      {"second entry's reserved string too long",
       cat({i32(2), entryWithOldTime(L"p", L"n", 1), str(L"q"), str(L"q"), i32(0), i32(0), i64(0), i32(0),
            {0xFF, 0xFE, 0xFF, 0xFF, 0x00, 0x10}}),
       1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadPlaylistFile(c.file).size(), c.entries);
  }
}

}  // namespace
}  // namespace tolv
