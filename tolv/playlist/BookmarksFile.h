#pragma once
// bookmarks.tolv: the ask-for-description option, the collections in key
// order, and the keep-open option when the file has a byte left for it.
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tolv {

class BookmarkItem {
 public:
  BookmarkItem() = default;
  BookmarkItem(const BookmarkItem&) = default;
  BookmarkItem(BookmarkItem&&) = default;
  BookmarkItem& operator=(const BookmarkItem&) = default;
  BookmarkItem& operator=(BookmarkItem&&) = default;
  virtual ~BookmarkItem() = default;
  bool operator==(const BookmarkItem&) const = default;

  std::wstring playpointText;   // "%H:%M:%S"
  int32_t playpointSeconds = 0;
  std::wstring createdText;     // local "%H:%M:%S %d.%m.%Y"
  std::wstring description;
};

// The bookmarks of one media file, in list order.
using BookmarkCollection = std::vector<BookmarkItem>;
// Keyed by the medium's full path as opened; code-unit order.
using BookmarkMap = std::map<std::wstring, BookmarkCollection>;

struct BookmarksFileContent {
  std::optional<bool> askForDescription;      // none when the file is empty
  BookmarkMap collections;
  std::optional<bool> keepOpenOnDoubleClick;  // none when the file ends without it
};

// Reads as far as the file goes: whole bookmarks of the collections met, the
// collection in progress included. Counts and lengths that claim more than
// the file holds end the read there.
BookmarksFileContent ReadBookmarksFile(std::span<const uint8_t> bytes);
std::vector<uint8_t> WriteBookmarksFile(bool askForDescription, const BookmarkMap& collections,
                                        bool keepOpenOnDoubleClick);

}  // namespace tolv
