#include "tolv/playlist/win32/Win32PlaylistPorts.h"

#include <ctime>
#include <cwchar>

namespace tolv {

int64_t Win32Clock::now() { return static_cast<int64_t>(_time64(nullptr)); }

std::wstring Win32Clock::localText(int64_t time, const wchar_t* format) {
  const __time64_t value = time;
  std::tm parts{};
  if (_localtime64_s(&parts, &value) != 0) return {};  // before 1970 or past year 3000
  wchar_t text[256];
  const size_t n = std::wcsftime(text, 256, format, &parts);
  return std::wstring(text, n);
}

void Win32PlaylistMessages::show(std::wstring_view caption, std::wstring_view text) {
  const std::wstring t(text);
  const std::wstring c = caption.empty() ? appCaption_ : std::wstring(caption);
  MessageBoxW(owner_, t.c_str(), c.c_str(), MB_OK | MB_ICONERROR);
}

bool Win32PlaylistMessages::ask(std::wstring_view text) {
  const std::wstring t(text);
  return MessageBoxW(owner_, t.c_str(), appCaption_.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace tolv
