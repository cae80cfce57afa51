#include "tolv/config/win32/SystemCodePage.h"

#include <windows.h>

#include "tolv/config/Archive.h"

namespace tolv {

namespace {

std::wstring decodeAnsi(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (n <= 0) return decodeWindows1252(bytes);
  std::wstring text(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), n);
  return text;
}

}  // namespace

void useSystemCodePage() { setNarrowDecoder(&decodeAnsi); }

}  // namespace tolv
