#include "vcbridge/core/app/tests/fakes/FakeInstallPort.h"

namespace vcb::testing {

IInstallPort::PathResult FakeInstallPort::readInstallPath(const std::wstring& key, std::wstring& path) {
  auto it = results.find(key);
  if (it == results.end()) return PathResult::KeyMissing;
  if (it->second == PathResult::Found) path = paths[key];
  return it->second;
}

bool FakeInstallPort::startProcess(const std::wstring& commandLine) {
  started.push_back(commandLine);
  return true;
}

}  // namespace vcb::testing
