#include "tolv/app/CommandLine.h"

namespace tolv {

std::wstring CommandLineMediaPath(const std::wstring& commandLine) {
  const auto first = commandLine.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return {};
  const auto last = commandLine.find_last_not_of(L" \t");
  std::wstring path = commandLine.substr(first, last - first + 1);
  if (!path.empty() && path.front() == L'"') {
    path.erase(0, 1);
    if (!path.empty() && path.back() == L'"') path.pop_back();
  }
  return path;
}

}  // namespace tolv
