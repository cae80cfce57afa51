#pragma once
// Files in memory. A replace writes the temporary file first and renames it
// over the target, so a write that fails part-way leaves the old file and a
// stray temporary, as on a full disk. The data folder always exists; a file
// in a sub-folder can only be written once that folder was created (or listed
// in `folders`).
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tolv/config/DataFiles.h"

namespace tolv::testing {

class FakeDataFiles : public IDataFiles {
 public:
  explicit FakeDataFiles(std::wstring folder = L"C:\\Tolv\\") : folder_(std::move(folder)) {}

  // --- set-up and observation ---
  std::map<std::wstring, std::vector<uint8_t>> files;
  std::set<std::wstring> locked;       // exist but cannot be opened
  std::optional<size_t> diskSpace;     // bytes a write may still add
  std::map<std::wstring, uint64_t> sizes;  // sizes reported instead of the content's
  std::set<std::wstring> folders;      // existing sub-folders, each ending in a backslash
  int replaces = 0;
  int reads = 0;

  void addMedia(const std::wstring& path, size_t size = 0) { files[path] = std::vector<uint8_t>(size); }
  void remove(const std::wstring& path) { files.erase(path); }
  bool has(const std::wstring& path) const { return files.count(path) != 0; }
  std::vector<uint8_t>& at(const std::wstring& path) { return files.at(path); }
  std::wstring inData(const std::wstring& name) const { return folder_ + name; }

  // --- IDataFiles ---
  std::optional<std::vector<uint8_t>> readFile(const std::wstring& path, size_t maxBytes) override;
  bool replaceFile(const std::wstring& path, std::span<const uint8_t> bytes) override;
  bool canOpen(const std::wstring& path) override;
  std::optional<uint64_t> fileSize(const std::wstring& path) override;
  std::wstring dataFolder() override { return folder_; }
  bool createFolder(const std::wstring& path) override;
  std::vector<std::wstring> listFiles(const std::wstring& folder) override;

 private:
  bool folderExists(const std::wstring& path) const;
  std::wstring folder_;
};

}  // namespace tolv::testing
