#pragma once
// playlist.tolv: the entry count, then each entry's fields in order.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tolv {

struct PlaylistEntry {
  std::wstring path;
  std::wstring fileName;
  int32_t playpointSeconds = 0;
  int32_t lengthSeconds = 0;
  double sizeMegabytes = 0;
  int64_t lastAccessed = 0;  // seconds since 1970-01-01 UTC
  std::array<std::wstring, 4> reserved;

  bool operator==(const PlaylistEntry&) const = default;
};

// Announces a 64-bit time; without it the i32 is the time itself (older files).
inline constexpr int32_t kTime64Marker = static_cast<int32_t>(0x8000000A);

// The entries that could be read whole, in file order. A file that ends early,
// or whose count or lengths claim more than it holds, gives what came before.
std::vector<PlaylistEntry> ReadPlaylistFile(std::span<const uint8_t> bytes);
std::vector<uint8_t> WritePlaylistFile(const std::vector<PlaylistEntry>& entries);

}  // namespace tolv
