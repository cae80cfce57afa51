#include "tolv/timestamps/TimestampPattern.h"

namespace tolv {

std::wstring Digits(int64_t value, int minDigits) {
  const bool negative = value < 0;
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::wstring text;
  do {
    text.insert(text.begin(), static_cast<wchar_t>(L'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  if (static_cast<int>(text.size()) < minDigits) text.insert(0, minDigits - text.size(), L'0');
  if (negative) text.insert(text.begin(), L'-');
  return text;
}

std::optional<std::wstring> ApplyPattern(std::wstring_view pattern, int64_t seconds) {
  const int64_t hours = (seconds / 3600) % 24;
  const int64_t minutes = (seconds / 60) % 60;
  const int64_t secs = seconds % 60;
  std::wstring out;
  out.reserve(pattern.size() + 8);
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != L'%') {
      out += pattern[i];
      continue;
    }
    if (++i == pattern.size()) return std::nullopt;
    int width = 2;
    if (pattern[i] == L'#') {
      if (++i == pattern.size()) return std::nullopt;
      width = 1;
      if (pattern[i] != L'H' && pattern[i] != L'M' && pattern[i] != L'S') return std::nullopt;
    }
    switch (pattern[i]) {
      case L'H': out += Digits(hours, width); break;
      case L'M': out += Digits(minutes, width); break;
      case L'S': out += Digits(secs, width); break;
      case L'D': out += Digits(seconds / 86400, 1); break;
      case L'%': out += L'%'; break;
      default: return std::nullopt;
    }
  }
  return out;
}

bool IsValidPattern(std::wstring_view pattern) { return ApplyPattern(pattern, 0).has_value(); }

}  // namespace tolv
