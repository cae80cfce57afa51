#pragma once
#include <map>
#include <string>
#include <vector>

#include "vcbridge/core/app/InstallPort.h"

namespace vcb::testing {

// Install keys held in memory; started command lines are recorded.
class FakeInstallPort : public IInstallPort {
 public:
  std::map<std::wstring, PathResult> results;  // a key not listed is missing
  std::map<std::wstring, std::wstring> paths;
  std::vector<std::wstring> started;

  PathResult readInstallPath(const std::wstring& key, std::wstring& path) override;
  bool startProcess(const std::wstring& commandLine) override;
};

}  // namespace vcb::testing
