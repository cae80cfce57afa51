#pragma once
// Time texts of the form: whole seconds shown as a time span of 0 days, so
// the hours wrap at 24. Formatting fills a small buffer in place; the timers
// format on every tick and must not allocate.
#include <string_view>

namespace tolv {

class TimeText {
 public:
  std::wstring_view view() const { return {text_, length_}; }

 private:
  friend TimeText FormatHMS(long long seconds);
  friend TimeText FormatTitleTime(long long seconds);
  friend TimeText FormatPercent(int percent);
  wchar_t text_[24] = {};
  unsigned length_ = 0;
};

// "%H:%M:%S", e.g. 3725 -> "01:02:05". Negative spans show as 00:00:00.
TimeText FormatHMS(long long seconds);
// The window title's form: "%M:%S" while the hour component is 0, else "%H:%M:%S".
TimeText FormatTitleTime(long long seconds);
// The speed label: "%d%%".
TimeText FormatPercent(int percent);

// Hour component of a span of that many seconds (0..23).
int SpanHours(long long seconds);

// Integer value of an edit's text: optional blanks and sign, then digits;
// anything else reads as 0. Saturates at the int range instead of overflowing.
int ReadInteger(std::wstring_view text);

}  // namespace tolv
