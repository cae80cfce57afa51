#pragma once
#include "tolv/config/DataFiles.h"

namespace tolv {

// Files through the Win32 file API; the data folder is the executable's.
class Win32DataFiles : public IDataFiles {
 public:
  std::optional<std::vector<uint8_t>> readFile(const std::wstring& path, size_t maxBytes) override;
  bool replaceFile(const std::wstring& path, std::span<const uint8_t> bytes) override;
  bool canOpen(const std::wstring& path) override;
  std::optional<uint64_t> fileSize(const std::wstring& path) override;
  std::wstring dataFolder() override;
  bool createFolder(const std::wstring& path) override;
  std::vector<std::wstring> listFiles(const std::wstring& folder) override;
};

// Full path of the running executable.
std::wstring ModulePath();

}  // namespace tolv
