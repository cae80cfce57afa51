#pragma once
// The bookmarks of every medium, kept in bookmarks.tolv in the data folder,
// and the rows of the Bookmarks window for the medium in the player.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "tolv/config/DataFiles.h"
#include "tolv/playlist/BookmarksFile.h"
#include "tolv/playlist/PlaylistPorts.h"

namespace tolv {

struct BookmarkRow {
  size_t item;                        // index into the current collection
  std::array<std::wstring, 4> texts;  // "No.", playpoint, time created, description
};

class CBookmarkList {
 public:
  static constexpr size_t kMaxFileBytes = 16u << 20;
  static constexpr const wchar_t* kFileName = L"bookmarks.tolv";

  CBookmarkList(IDataFiles& files, IClock& clock, IPlaylistMessages& messages);

  bool askForDescription = false;
  bool keepOpenOnDoubleClick = false;

  // Adds a bookmark for the medium key at the position (truncated to whole
  // seconds), shows the key's bookmarks and saves. False, and nothing added,
  // without a medium. Asking for the description (and pausing for it) is the
  // caller's: it passes the text, or does not call on Cancel.
  bool AddBookmarkAtCurrentPosition(const std::wstring& key, double positionSeconds,
                                    std::wstring description = {});
  void ShowBookmarksFor(const std::wstring& key);
  // Without bookmarks.tolv nothing changes; a short file loads as far as it goes.
  void LoadBookmarks(bool display);
  void SaveBookmarks();

  // --- actions of the Bookmarks window ---
  // Double-click: the position to play from.
  std::optional<int32_t> JumpTarget(size_t row) const;
  // Asks "Delete this bookmark?"; on Yes removes the row's bookmark. True when removed.
  bool DeleteBookmark(size_t row);
  void ClearAllBookmarks();
  void SetDescription(size_t row, std::wstring text);
  void Ok() { SaveBookmarks(); }
  void Cancel() { LoadBookmarks(true); }

  const std::vector<BookmarkRow>& rows() const { return rows_; }
  const std::wstring& currentKey() const { return currentKey_; }
  const BookmarkMap& collections() const { return collections_; }

 private:
  BookmarkCollection* currentCollection();

  IDataFiles& files_;
  IClock& clock_;
  IPlaylistMessages& messages_;
  BookmarkMap collections_;
  std::wstring currentKey_;
  std::vector<BookmarkRow> rows_;
};

}  // namespace tolv
