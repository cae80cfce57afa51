#pragma once
#include "vcbridge/core/app/InstallPort.h"

namespace vcb {

// Install keys under HKEY_LOCAL_MACHINE and CreateProcessW.
class Win32InstallPort : public IInstallPort {
 public:
  PathResult readInstallPath(const std::wstring& key, std::wstring& path) override;
  bool startProcess(const std::wstring& commandLine) override;
};

}  // namespace vcb
