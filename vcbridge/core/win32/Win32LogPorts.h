#pragma once
#include "vcbridge/core/LogPorts.h"

namespace vcb::log {

// HKEY_CURRENT_USER, read access.
class Win32SettingsStore : public ISettingsStore {
 public:
  ReadResult readString(const std::wstring& key, const std::wstring& name,
                        std::wstring* out) override;
  ReadResult readNumber(const std::wstring& key, const std::wstring& name,
                        uint32_t* out) override;
};

class Win32FileSystem : public IFileSystem {
 public:
  bool folderExists(const std::wstring& path) override;
  bool createFolder(const std::wstring& path) override;
  std::wstring documentsFolder() override;
  Handle openForAppend(const std::wstring& path) override;
  bool append(Handle file, const char* data, size_t size) override;
  void close(Handle file) override;
};

class Win32Clock : public IClock {
 public:
  uint32_t tickCount() override;
  LocalTime localTime() override;
};

// Extended version data, native processor architecture and product type.
class Win32SystemInfo : public ISystemInfo {
 public:
  VersionData versionData() override;
};

// Process-wide instances of the four.
Ports win32Ports();
// Makes them the ports of Initialise(component).
void useWin32LogPorts();

}  // namespace vcb::log
