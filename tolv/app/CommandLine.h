#pragma once
// The player's command line: one optional media path.
#include <string>

namespace tolv {

// The path with surrounding blanks and one pair of surrounding double quotes
// removed; empty when none was given.
std::wstring CommandLineMediaPath(const std::wstring& commandLine);

}  // namespace tolv
