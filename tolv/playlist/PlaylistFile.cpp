#include "tolv/playlist/PlaylistFile.h"

#include "tolv/config/Archive.h"

namespace tolv {

namespace {

bool readTime(ArchiveReader& in, int64_t& time) {
  int32_t first;
  if (!in.readI32(first)) return false;
  if (first != kTime64Marker) {
    time = first;
    return true;
  }
  return in.readI64(time);
}

bool readEntry(ArchiveReader& in, PlaylistEntry& e) {
  in.readString(e.path);
  in.readString(e.fileName);
  in.readI32(e.playpointSeconds);
  in.readI32(e.lengthSeconds);
  in.readDouble(e.sizeMegabytes);
  if (!in.ok() || !readTime(in, e.lastAccessed)) return false;
  for (auto& r : e.reserved) in.readString(r);
  return in.ok();
}

}  // namespace

std::vector<PlaylistEntry> ReadPlaylistFile(std::span<const uint8_t> bytes) {
  ArchiveReader in(bytes);
  int32_t count = 0;
  std::vector<PlaylistEntry> entries;
  if (!in.readI32(count)) return entries;
  // No reservation from the count: it may claim far more than the file holds.
  for (int32_t i = 0; i < count; ++i) {
    PlaylistEntry e;
    if (!readEntry(in, e)) break;
    entries.push_back(std::move(e));
  }
  return entries;
}

std::vector<uint8_t> WritePlaylistFile(const std::vector<PlaylistEntry>& entries) {
  ArchiveWriter out;
  out.writeI32(static_cast<int32_t>(entries.size()));
  for (const auto& e : entries) {
    out.writeString(e.path);
    out.writeString(e.fileName);
    out.writeI32(e.playpointSeconds);
    out.writeI32(e.lengthSeconds);
    out.writeDouble(e.sizeMegabytes);
    out.writeI32(kTime64Marker);
    out.writeI64(e.lastAccessed);
    for (const auto& r : e.reserved) out.writeString(r);
  }
  return out.take();
}

}  // namespace tolv
