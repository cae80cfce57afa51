#pragma once
#include <string>

namespace vcb {

// Where the device SDK's COM host is installed, and starting it.
class IInstallPort {
 public:
  enum class PathResult { KeyMissing, ValueMissing, TooLong, Found };
  virtual ~IInstallPort() = default;
  // "Path" (a string of at most 255 characters) under a local-machine key.
  virtual PathResult readInstallPath(const std::wstring& key, std::wstring& path) = 0;
  // Starts a process and lets it go: no inherited handles, handles closed at once.
  virtual bool startProcess(const std::wstring& commandLine) = 0;
};

}  // namespace vcb
