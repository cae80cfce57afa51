#pragma once
#include "tolv/config/DataFiles.h"

namespace tolv {

// Files through the Win32 file API. The data folder is the executable's when
// it can be written to, otherwise "<application data>\\Quenmark\\Tolv\\"; a
// per-user folder used for the first time takes over the configuration files
// that were installed beside the executable.
class Win32DataFiles : public IDataFiles {
 public:
  Win32DataFiles() = default;
  // Other folders than the running executable's and the user's, and a
  // writability answer instead of probing (tests).
  Win32DataFiles(std::wstring programFolder, std::wstring perUserFolder,
                 std::optional<bool> programFolderWritable = std::nullopt)
      : programFolder_(std::move(programFolder)),
        perUserFolder_(std::move(perUserFolder)),
        programFolderWritable_(programFolderWritable) {}

  std::optional<std::vector<uint8_t>> readFile(const std::wstring& path, size_t maxBytes) override;
  bool replaceFile(const std::wstring& path, std::span<const uint8_t> bytes) override;
  bool canOpen(const std::wstring& path) override;
  std::optional<uint64_t> fileSize(const std::wstring& path) override;
  // Decided at the first call, then kept for the life of the object.
  std::wstring dataFolder() override;

 private:
  std::wstring programFolder_, perUserFolder_, resolved_;
  std::optional<bool> programFolderWritable_;
};

// "<application data>\\Quenmark\\Tolv\\" of the current user; empty when unknown.
std::wstring PerUserDataFolder();
// True when a new file can be created in the folder.
bool FolderIsWritable(const std::wstring& folder);

// Full path of the running executable.
std::wstring ModulePath();

}  // namespace tolv
