#include "tolv/config/tests/fakes/FakeDataFiles.h"

#include <algorithm>

namespace tolv::testing {

std::optional<std::vector<uint8_t>> FakeDataFiles::readFile(const std::wstring& path, size_t maxBytes) {
  ++reads;
  if (!canOpen(path)) return std::nullopt;
  const auto& all = files.at(path);
  return std::vector<uint8_t>(all.begin(), all.begin() + std::min(all.size(), maxBytes));
}

namespace {

std::wstring parentOf(const std::wstring& path) {
  const size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace

bool FakeDataFiles::folderExists(const std::wstring& path) const {
  // Media live anywhere; only sub-folders of the data folder are tracked.
  if (path.size() <= folder_.size() || path.compare(0, folder_.size(), folder_) != 0) return true;
  return folders.count(path) != 0;
}

bool FakeDataFiles::createFolder(const std::wstring& path) {
  if (folderExists(path)) return true;
  if (files.count(path.substr(0, path.size() - 1)) || !folderExists(parentOf(path.substr(0, path.size() - 1))))
    return false;
  folders.insert(path);
  return true;
}

std::vector<std::wstring> FakeDataFiles::listFiles(const std::wstring& folder) {
  std::vector<std::wstring> names;
  if (!folderExists(folder)) return names;
  for (const auto& [path, content] : files)
    if (parentOf(path) == folder) names.push_back(path.substr(folder.size()));
  return names;
}

bool FakeDataFiles::replaceFile(const std::wstring& path, std::span<const uint8_t> bytes) {
  ++replaces;
  if (!folderExists(parentOf(path))) return false;
  const std::wstring temp = path + L".new";
  if (locked.count(temp)) return false;
  auto& t = files[temp];
  const size_t fits = diskSpace ? std::min(*diskSpace, bytes.size()) : bytes.size();
  t.assign(bytes.begin(), bytes.begin() + fits);
  if (diskSpace) *diskSpace -= fits;
  if (fits < bytes.size()) return false;  // the partial temporary stays, the target is untouched
  if (locked.count(path)) return false;
  files[path] = std::move(t);
  files.erase(temp);
  return true;
}

bool FakeDataFiles::canOpen(const std::wstring& path) { return files.count(path) != 0 && locked.count(path) == 0; }

std::optional<uint64_t> FakeDataFiles::fileSize(const std::wstring& path) {
  if (!canOpen(path)) return std::nullopt;
  if (auto it = sizes.find(path); it != sizes.end()) return it->second;
  return files.at(path).size();
}

}  // namespace tolv::testing
