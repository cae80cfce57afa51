#pragma once
#include <string>

namespace vcb {

// UTF-8 <-> UTF-16 at the edge of the Win32 API.
std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& utf16);

}  // namespace vcb
