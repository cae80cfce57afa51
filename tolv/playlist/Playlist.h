#pragma once
// The playlist: every local media file the typist opened, with its length,
// where she left it, its size and when it was last opened. playlist.tolv in
// the data folder is the source of truth; every refresh rebuilds the list from it.
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tolv/app/SettingsStore.h"
#include "tolv/config/DataFiles.h"
#include "tolv/playlist/PlaylistFile.h"
#include "tolv/playlist/PlaylistPorts.h"

namespace tolv {

// Whole seconds as "%H:%M:%S" of a span: hours within the day; negative spans read 00:00:00.
std::wstring HmsText(int64_t seconds);

enum PlaylistColumn : int {
  ColumnFileName = 0,
  ColumnLength = 1,
  ColumnPlaypoint = 2,
  ColumnSize = 3,
  ColumnLastAccessed = 4,
};

struct PlaylistRow {
  size_t entry;                    // index into Playlist::entries()
  std::array<std::wstring, 5> texts;  // one per column
};

class Playlist {
 public:
  static constexpr size_t kMaxEntries = 500;
  static constexpr size_t kMaxDroppedPathLength = 520;
  // Far above any real playlist (500 entries of long paths stay under 2 MB);
  // a longer file reads as cut off there.
  static constexpr size_t kMaxFileBytes = 16u << 20;
  static constexpr const wchar_t* kFileName = L"playlist.tolv";

  Playlist(IDataFiles& files, IClock& clock, IPlaylistMessages& messages, CSettingsStore& settings);

  // The file in the player counts as existing even when it cannot be opened.
  void setPlayerFile(std::wstring path) { playerFile_ = std::move(path); }

  // --- operations of the player ---
  // Remembers a local file that was opened; a known file name only gets the new length.
  void AddToPlaylist(const std::wstring& path, int32_t lengthSeconds, int32_t playpointSeconds);
  void SetPlaypoint(const std::wstring& path, int32_t seconds);
  // Forgets the entry in memory only; the next save writes it out.
  void RemoveFromPlaylist(const std::wstring& path);
  void RefreshPlaylist();
  void LoadPlaylist();
  void SavePlaylist();

  // --- actions of the playlist window ---
  // Double-click: the path to open through the open-media operation, or none
  // when the file has gone (the user is told, and the entry dropped).
  std::optional<std::wstring> OpenRow(size_t row);
  void ClearPlaylist();
  void DeleteRows(const std::vector<size_t>& rows);
  // Dropped files: each goes to addOnly (the open-media operation without
  // playing). Refused with a message when the playlist would pass 500 entries.
  bool DropFiles(const std::vector<std::wstring>& paths, const std::function<void(const std::wstring&)>& addOnly);
  void ClickColumn(int column);

  // --- what the window shows ---
  const std::vector<PlaylistEntry>& entries() const { return entries_; }
  const std::vector<PlaylistRow>& rows() const { return rows_; }
  const std::wstring& totalText() const { return total_; }
  std::optional<size_t> selectedRow() const { return selected_; }
  const PlaylistEntry* currentEntry() const { return current_ ? &entries_[*current_] : nullptr; }
  const std::wstring& currentPath() const { return currentPath_; }
  int sortColumn() const { return sortColumn_; }
  // 1: descending, with an upward arrow in the header; 0: ascending, arrow down.
  bool sortDescending() const { return sortDescending_; }
  // False until playlist.tolv has been read: saving then would empty it.
  bool isLoaded() const { return loaded_; }

 private:
  bool fileExists(const std::wstring& path) const;
  void ensureLoaded();
  void buildRows();
  void sortRows();
  std::optional<size_t> findByFileName(const std::wstring& path) const;
  void eraseEntry(size_t index);

  IDataFiles& files_;
  IClock& clock_;
  IPlaylistMessages& messages_;
  CSettingsStore& settings_;

  std::vector<PlaylistEntry> entries_;  // insertion order
  std::optional<size_t> current_;
  std::wstring currentPath_;
  std::wstring playerFile_;
  int sortColumn_ = ColumnLastAccessed;
  bool sortDescending_ = false;
  bool loaded_ = false;

  std::vector<PlaylistRow> rows_;  // display order
  std::wstring total_ = L"00:00:00";
  std::optional<size_t> selected_;
};

}  // namespace tolv
