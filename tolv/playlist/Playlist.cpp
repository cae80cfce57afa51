#include "tolv/playlist/Playlist.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tolv {

namespace {

std::wstring sizeText(double megabytes) {
  char buffer[512];
  const int n = std::snprintf(buffer, sizeof buffer, "%.2f", megabytes);
  return std::wstring(buffer, buffer + std::clamp(n, 0, static_cast<int>(sizeof buffer) - 1));
}

// A total order on sizes; a NaN from a damaged file sorts first instead of
// breaking the sort.
bool sizeLess(double a, double b) { return std::isnan(a) ? !std::isnan(b) : a < b; }

bool keyLess(int column, const PlaylistEntry& a, const PlaylistEntry& b) {
  switch (column) {
    case ColumnFileName: return a.fileName < b.fileName;
    case ColumnLength: return a.lengthSeconds < b.lengthSeconds;
    case ColumnPlaypoint: return a.playpointSeconds < b.playpointSeconds;
    case ColumnSize: return sizeLess(a.sizeMegabytes, b.sizeMegabytes);
    default: return a.lastAccessed < b.lastAccessed;
  }
}

bool isRemote(const std::wstring& path) {
  return path.find(L"http:") != std::wstring::npos || path.find(L"www.") != std::wstring::npos;
}

}  // namespace

std::wstring HmsText(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  wchar_t text[9];
  const int h = static_cast<int>(seconds / 3600 % 24), m = static_cast<int>(seconds / 60 % 60),
            s = static_cast<int>(seconds % 60);
  const int parts[3] = {h, m, s};
  for (int i = 0; i < 3; ++i) {
    text[3 * i] = static_cast<wchar_t>(L'0' + parts[i] / 10);
    text[3 * i + 1] = static_cast<wchar_t>(L'0' + parts[i] % 10);
    if (i < 2) text[3 * i + 2] = L':';
  }
  return std::wstring(text, 8);
}

Playlist::Playlist(IDataFiles& files, IClock& clock, IPlaylistMessages& messages, CSettingsStore& settings)
    : files_(files), clock_(clock), messages_(messages), settings_(settings) {
  const int order = settings_.SortingOrder();
  sortColumn_ = order >= ColumnFileName && order <= ColumnLastAccessed ? order : ColumnLastAccessed;
  sortDescending_ = settings_.SortAscending() != 0;
}

bool Playlist::fileExists(const std::wstring& path) const {
  return files_.canOpen(path) || path == playerFile_;
}

// The list in memory is the file's: an operation before the first refresh
// reads it first, so a save never overwrites entries it has not seen.
void Playlist::ensureLoaded() {
  if (!loaded_) LoadPlaylist();
}

void Playlist::LoadPlaylist() {
  entries_.clear();
  current_.reset();
  loaded_ = true;
  const auto bytes = files_.readFile(files_.dataFolder() + kFileName, kMaxFileBytes);
  if (!bytes) return;
  for (auto& e : ReadPlaylistFile(*bytes)) {
    if (!fileExists(e.path)) continue;
    if (e.path == currentPath_) current_ = entries_.size();
    entries_.push_back(std::move(e));
  }
}

void Playlist::SavePlaylist() {
  const auto bytes = WritePlaylistFile(entries_);
  files_.replaceFile(files_.dataFolder() + kFileName, bytes);  // a failed save keeps the old file
}

void Playlist::RefreshPlaylist() {
  LoadPlaylist();
  buildRows();
}

// Loading has just dropped the entries whose files are gone, so every entry gets a row.
void Playlist::buildRows() {
  rows_.clear();
  rows_.reserve(entries_.size());
  int64_t total = 0;
  for (size_t i = 0; i < entries_.size(); ++i) {
    const auto& e = entries_[i];
    rows_.push_back({i,
                     {e.fileName, HmsText(e.lengthSeconds), HmsText(e.playpointSeconds), sizeText(e.sizeMegabytes),
                      clock_.localText(e.lastAccessed, L"%c")}});
    total += e.lengthSeconds;
  }
  total_ = HmsText(total);
  sortRows();
}

void Playlist::sortRows() {
  const int column = sortColumn_;
  const bool descending = sortDescending_;
  std::stable_sort(rows_.begin(), rows_.end(), [&](const PlaylistRow& a, const PlaylistRow& b) {
    const auto& ea = entries_[a.entry];
    const auto& eb = entries_[b.entry];
    return descending ? keyLess(column, eb, ea) : keyLess(column, ea, eb);
  });
  selected_.reset();
  if (!current_ || rows_.empty()) return;
  selected_ = 0;
  for (size_t r = 0; r < rows_.size(); ++r) {
    if (entries_[rows_[r].entry].path == currentPath_) {
      selected_ = r;
      break;
    }
  }
}

std::optional<size_t> Playlist::findByFileName(const std::wstring& path) const {
  const std::wstring name = FileNamePart(path);
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].fileName == name) return i;
  return std::nullopt;
}

void Playlist::eraseEntry(size_t index) {
  entries_.erase(entries_.begin() + static_cast<ptrdiff_t>(index));
  if (current_ && *current_ == index) current_.reset();
  else if (current_ && *current_ > index) --*current_;
  rows_.clear();  // rows name entries by index
  selected_.reset();
}

void Playlist::AddToPlaylist(const std::wstring& path, int32_t lengthSeconds, int32_t playpointSeconds) {
  if (isRemote(path)) return;
  ensureLoaded();
  if (const auto found = findByFileName(path)) {
    entries_[*found].lengthSeconds = lengthSeconds;
    SavePlaylist();
    RefreshPlaylist();
    return;
  }
  PlaylistEntry e;
  e.path = path;
  e.fileName = FileNamePart(path);
  e.playpointSeconds = playpointSeconds;
  e.lengthSeconds = lengthSeconds;
  if (const auto size = files_.fileSize(path)) e.sizeMegabytes = static_cast<double>(*size / 1024) / 1024;
  e.lastAccessed = clock_.now();
  currentPath_ = path;
  current_ = entries_.size();
  entries_.push_back(std::move(e));
  SavePlaylist();
  RefreshPlaylist();
}

void Playlist::SetPlaypoint(const std::wstring& path, int32_t seconds) {
  ensureLoaded();
  const auto found = findByFileName(path);
  if (!found) return;
  entries_[*found].playpointSeconds = seconds;
  SavePlaylist();
  RefreshPlaylist();
}

void Playlist::RemoveFromPlaylist(const std::wstring& path) {
  ensureLoaded();
  if (const auto found = findByFileName(path)) eraseEntry(*found);
}

// The last-accessed time is saved at once: the open that follows refreshes
// the list from the file, which would otherwise lose it.
std::optional<std::wstring> Playlist::OpenRow(size_t row) {
  if (row >= rows_.size()) return std::nullopt;
  const size_t index = rows_[row].entry;
  auto& e = entries_[index];
  if (!fileExists(e.path)) {
    messages_.show(L"Error playing file",
                   e.fileName + L"  is not found, and will be removed automatically from the Playlist.");
    RefreshPlaylist();
    SavePlaylist();
    return std::nullopt;
  }
  current_ = index;
  currentPath_ = e.path;
  e.lastAccessed = clock_.now();
  SavePlaylist();
  return e.path;
}

void Playlist::ClearPlaylist() {
  entries_.clear();
  current_.reset();
  loaded_ = true;
  SavePlaylist();
  RefreshPlaylist();
  currentPath_.clear();
}

void Playlist::DeleteRows(const std::vector<size_t>& rows) {
  std::vector<std::wstring> paths;
  for (size_t r : rows)
    if (r < rows_.size()) paths.push_back(entries_[rows_[r].entry].path);
  for (const auto& path : paths) {
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const PlaylistEntry& e) { return e.path == path; });
    if (it != entries_.end()) eraseEntry(static_cast<size_t>(it - entries_.begin()));
  }
  SavePlaylist();
  RefreshPlaylist();
}

bool Playlist::DropFiles(const std::vector<std::wstring>& paths,
                         const std::function<void(const std::wstring&)>& addOnly) {
  ensureLoaded();
  if (entries_.size() + paths.size() > kMaxEntries) {
    messages_.show(L"", L"Maximum 500 files can be added at one time.");
    return false;
  }
  for (const auto& path : paths) {
    addOnly(path.substr(0, kMaxDroppedPathLength));
    sortColumn_ = ColumnFileName;
    sortDescending_ = false;
    sortRows();
  }
  return true;
}

void Playlist::ClickColumn(int column) {
  if (column < ColumnFileName || column > ColumnLastAccessed) return;
  sortDescending_ = column != sortColumn_ ? true : !sortDescending_;
  sortColumn_ = column;
  sortRows();
  // The stored flag is named for ascending but holds 1 for descending.
  settings_.SetSorting(sortColumn_, sortDescending_ ? 1 : 0);
}

}  // namespace tolv
