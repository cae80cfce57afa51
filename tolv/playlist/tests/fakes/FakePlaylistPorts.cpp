#include "tolv/playlist/tests/fakes/FakePlaylistPorts.h"

#include <ctime>
#include <cwchar>

namespace tolv::testing {

std::wstring FakeClock::localText(int64_t t, const wchar_t* format) {
  const std::time_t value = static_cast<std::time_t>(t);
  std::tm parts{};
  if (!gmtime_r(&value, &parts)) return L"?";
  wchar_t text[128];
  const size_t n = std::wcsftime(text, 128, format, &parts);
  return std::wstring(text, n);
}

}  // namespace tolv::testing
