#include "tolv/playlist/BookmarkList.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "tolv/playlist/Playlist.h"

namespace tolv {

namespace {

int32_t wholeSeconds(double position) {
  if (!(position > 0)) return 0;  // NaN too
  if (position >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(position);
}

}  // namespace

CBookmarkList::CBookmarkList(IDataFiles& files, IClock& clock, IPlaylistMessages& messages)
    : files_(files), clock_(clock), messages_(messages) {}

BookmarkCollection* CBookmarkList::currentCollection() {
  const auto it = collections_.find(currentKey_);
  return it == collections_.end() ? nullptr : &it->second;
}

bool CBookmarkList::AddBookmarkAtCurrentPosition(const std::wstring& key, double positionSeconds,
                                                 std::wstring description) {
  if (key.empty()) return false;
  BookmarkItem item;
  item.playpointSeconds = wholeSeconds(positionSeconds);
  item.playpointText = HmsText(item.playpointSeconds);
  item.createdText = clock_.localText(clock_.now(), L"%H:%M:%S %d.%m.%Y");
  item.description = std::move(description);
  collections_[key].push_back(std::move(item));
  ShowBookmarksFor(key);
  SaveBookmarks();
  return true;
}

void CBookmarkList::ShowBookmarksFor(const std::wstring& key) {
  currentKey_ = key;
  rows_.clear();
  auto* collection = currentCollection();
  if (!collection) return;
  std::stable_sort(collection->begin(), collection->end(),
                   [](const BookmarkItem& a, const BookmarkItem& b) { return a.playpointSeconds < b.playpointSeconds; });
  rows_.reserve(collection->size());
  for (size_t i = 0; i < collection->size(); ++i) {
    const auto& item = (*collection)[i];
    rows_.push_back({i, {std::to_wstring(i + 1), item.playpointText, item.createdText, item.description}});
  }
}

void CBookmarkList::LoadBookmarks(bool display) {
  const auto bytes = files_.readFile(files_.dataFolder() + kFileName, kMaxFileBytes);
  if (!bytes) return;
  collections_.clear();
  rows_.clear();
  auto content = ReadBookmarksFile(*bytes);
  if (content.askForDescription) askForDescription = *content.askForDescription;
  if (content.keepOpenOnDoubleClick) keepOpenOnDoubleClick = *content.keepOpenOnDoubleClick;
  collections_ = std::move(content.collections);
  if (display) ShowBookmarksFor(currentKey_);
}

void CBookmarkList::SaveBookmarks() {
  const auto bytes = WriteBookmarksFile(askForDescription, collections_, keepOpenOnDoubleClick);
  files_.replaceFile(files_.dataFolder() + kFileName, bytes);  // a failed save keeps the old file
}

std::optional<int32_t> CBookmarkList::JumpTarget(size_t row) const {
  if (row >= rows_.size()) return std::nullopt;
  const auto it = collections_.find(currentKey_);
  return it->second[rows_[row].item].playpointSeconds;
}

bool CBookmarkList::DeleteBookmark(size_t row) {
  auto* collection = currentCollection();
  if (!collection || row >= rows_.size()) return false;
  if (!messages_.ask(L"Delete this bookmark?")) return false;
  const BookmarkItem selected = (*collection)[rows_[row].item];
  const auto it = std::find_if(collection->begin(), collection->end(), [&](const BookmarkItem& b) {
    return b.playpointSeconds == selected.playpointSeconds && b.createdText == selected.createdText;
  });
  collection->erase(it);
  ShowBookmarksFor(currentKey_);
  return true;
}

void CBookmarkList::ClearAllBookmarks() {
  collections_.erase(currentKey_);
  rows_.clear();
}

void CBookmarkList::SetDescription(size_t row, std::wstring text) {
  auto* collection = currentCollection();
  if (!collection || row >= collection->size()) return;
  (*collection)[row].description = std::move(text);
  ShowBookmarksFor(currentKey_);
}

}  // namespace tolv
