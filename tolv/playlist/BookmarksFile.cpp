#include "tolv/playlist/BookmarksFile.h"

#include "tolv/config/Archive.h"

namespace tolv {

namespace {

bool readItem(ArchiveReader& in, BookmarkItem& item) {
  in.readI32(item.playpointSeconds);
  in.readString(item.playpointText);
  in.readString(item.createdText);
  in.readString(item.description);
  return in.ok();
}

// False when the file ended inside the collection.
bool readCollection(ArchiveReader& in, BookmarkMap& map) {
  std::wstring key;
  int32_t count = 0;
  if (!in.readString(key) || !in.readI32(count)) return false;
  auto& collection = map[key];
  collection.clear();  // a key met twice: the later collection stands
  for (int32_t i = 0; i < count; ++i) {
    BookmarkItem item;
    if (!readItem(in, item)) return false;
    collection.push_back(std::move(item));
  }
  return true;
}

}  // namespace

BookmarksFileContent ReadBookmarksFile(std::span<const uint8_t> bytes) {
  BookmarksFileContent content;
  ArchiveReader in(bytes);
  uint8_t flag;
  int32_t count;
  if (!in.readU8(flag)) return content;
  content.askForDescription = flag != 0;
  if (!in.readI32(count)) return content;
  for (int32_t i = 0; i < count; ++i)
    if (!readCollection(in, content.collections)) return content;
  if (in.readU8(flag)) content.keepOpenOnDoubleClick = flag != 0;
  return content;
}

std::vector<uint8_t> WriteBookmarksFile(bool askForDescription, const BookmarkMap& collections,
                                        bool keepOpenOnDoubleClick) {
  ArchiveWriter out;
  out.writeU8(askForDescription ? 1 : 0);
  out.writeI32(static_cast<int32_t>(collections.size()));
  for (const auto& [key, collection] : collections) {
    out.writeString(key);
    out.writeI32(static_cast<int32_t>(collection.size()));
    for (const auto& item : collection) {
      out.writeI32(item.playpointSeconds);
      out.writeString(item.playpointText);
      out.writeString(item.createdText);
      out.writeString(item.description);
    }
  }
  out.writeU8(keepOpenOnDoubleClick ? 1 : 0);
  return out.take();
}

}  // namespace tolv
