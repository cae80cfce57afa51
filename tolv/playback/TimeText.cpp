#include "tolv/playback/TimeText.h"

#include <climits>
#include <cstdio>
#include <cwchar>

namespace tolv {

namespace {
constexpr long long kDay = 24 * 3600;

void put2(wchar_t*& out, long long value) {
  *out++ = static_cast<wchar_t>(L'0' + value / 10);
  *out++ = static_cast<wchar_t>(L'0' + value % 10);
}
}  // namespace

int SpanHours(long long seconds) {
  if (seconds < 0) return 0;
  return static_cast<int>((seconds % kDay) / 3600);
}

TimeText FormatHMS(long long seconds) {
  if (seconds < 0) seconds = 0;
  const long long inDay = seconds % kDay;
  TimeText t;
  wchar_t* out = t.text_;
  put2(out, inDay / 3600);
  *out++ = L':';
  put2(out, inDay / 60 % 60);
  *out++ = L':';
  put2(out, inDay % 60);
  t.length_ = static_cast<unsigned>(out - t.text_);
  return t;
}

TimeText FormatTitleTime(long long seconds) {
  if (SpanHours(seconds) != 0) return FormatHMS(seconds);
  if (seconds < 0) seconds = 0;
  const long long inDay = seconds % kDay;
  TimeText t;
  wchar_t* out = t.text_;
  put2(out, inDay / 60 % 60);
  *out++ = L':';
  put2(out, inDay % 60);
  t.length_ = static_cast<unsigned>(out - t.text_);
  return t;
}

TimeText FormatPercent(int percent) {
  TimeText t;
  int n = std::swprintf(t.text_, sizeof t.text_ / sizeof t.text_[0], L"%d%%", percent);
  t.length_ = n > 0 ? static_cast<unsigned>(n) : 0;
  return t;
}

int ReadInteger(std::wstring_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  long long value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = value * 10 + (text[i] - L'0');
    if (value > INT_MAX) {
      value = static_cast<long long>(INT_MAX) + 1;
      break;
    }
  }
  if (negative) return value > INT_MAX ? INT_MIN : static_cast<int>(-value);
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

}  // namespace tolv
