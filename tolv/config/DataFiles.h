#pragma once
// Files of the player: its record files in the data folder and the media files
// they name. Paths are full Windows paths.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tolv {

class IDataFiles {
 public:
  virtual ~IDataFiles() = default;
  // The whole file, or its first maxBytes when it is longer; nullopt when it
  // cannot be opened for reading. Never throws.
  virtual std::optional<std::vector<uint8_t>> readFile(const std::wstring& path, size_t maxBytes) = 0;
  // Writes the bytes to a temporary file beside path, then puts it in place of
  // path in one step. On any failure path keeps its old content and false is
  // returned. Never throws.
  virtual bool replaceFile(const std::wstring& path, std::span<const uint8_t> bytes) = 0;
  // True when the file can be opened for reading.
  virtual bool canOpen(const std::wstring& path) = 0;
  // Size in bytes; nullopt when it cannot be read.
  virtual std::optional<uint64_t> fileSize(const std::wstring& path) = 0;
  // The folder of the record files, ending in a backslash.
  virtual std::wstring dataFolder() = 0;
};

// The data folder is the executable's folder: its module path up to and
// including the last backslash (empty when there is none).
std::wstring DataFolderOfModule(std::wstring_view modulePath);

// Where the record files live: the executable's folder when files can be
// created there (a portable copy, or an installation the user may write to),
// otherwise the user's own folder. Both end in a backslash.
std::wstring ChooseDataFolder(const std::wstring& programFolder, bool programFolderWritable,
                              const std::wstring& perUserFolder);

// The file-name part of a path: what follows its last backslash or slash.
std::wstring FileNamePart(std::wstring_view path);

}  // namespace tolv
