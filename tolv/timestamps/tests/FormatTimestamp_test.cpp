#include "tolv/timestamps/FormatTimestamp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "tolv/timestamps/TimestampPattern.h"

namespace tolv {
namespace {

struct StampCase {
  const char* name;
  std::function<void(TimestampStyle&)> change;
  int offset;
  double position;
  const wchar_t* expected;  // nullptr: no timestamp
};

TimestampStyle Styled(const std::function<void(TimestampStyle&)>& change) {
  TimestampStyle style;
  if (change) change(style);
  RebuildPatterns(style);
  return style;
}

auto hideHours = [](TimestampStyle& s) {
  s.hideHours = 1;
  s.includeHours = 0;
};
auto oneDigit = [](TimestampStyle& s) { s.oneDigitHours = 1; };
auto noHours = [](TimestampStyle& s) { s.includeHours = 0; };
auto fractions = [](int digits) {
  return [digits](TimestampStyle& s) {
    s.showFractions = 1;
    s.fractionDigits = digits;
  };
};

const StampCase kStampCases[] = {
    {"default style", nullptr, 0, 83.6, L"_00:01:23_"},
    {"position zero", nullptr, 0, 0.0, L"_00:00:00_"},
    {"hidden hours swallow the text before minutes", hideHours, 0, 3923, L"_65:23_"},
    {"hidden hours replace only the minutes field", hideHours, 0, 3905, L"_65:05_"},
    {"hidden hours below one hour", hideHours, 0, 83.6, L"_01:23_"},
    {"one digit hours", oneDigit, 0, 3923, L"_1:05:23_"},
    {"one digit hours leave two-digit hours alone", oneDigit, 0, 11 * 3600 + 5, L"_11:00:05_"},
    {"hours wrap at a day", nullptr, 0, 90000, L"_01:00:00_"},
    {"negative time carries the sign in the hours field", nullptr, -60, 20.5, L"_-00:00:39_"},
    {"negative time without hours has no sign", noHours, -60, 20.5, L"_:00:39_"},
    {"positive offset", nullptr, 3600, 83.6, L"_01:01:23_"},
    {"tenths", fractions(0), 0, 83.6, L"_00:01:23_6"},
    {"hundredths follow the text after seconds", fractions(1), 0, 12.345, L"_00:00:12_34"},
    {"thousandths with leading zeros", fractions(2), 0, 7.0625, L"_00:00:07_062"},
    {"fractions come from the unshifted position", fractions(1), -60, 20.5, L"_-00:00:39_50"},
    {"text after the fraction",
     [](TimestampStyle& s) {
       fractions(0)(s);
       s.afterSeconds = L".";
       s.afterFraction = L"]";
       s.beforeHours = L"[";
     },
     0, 3923.4, L"[01:05:23.4]"},
    {"no minutes or seconds fields",
     [](TimestampStyle& s) {
       s.includeMinutes = 0;
       s.includeSeconds = 0;
     },
     0, 3923, L"_01::_"},
    {"percent fields typed into the texts",
     [](TimestampStyle& s) {
       s.beforeHours = L"%D days %%";
       s.afterSeconds = L" %#H";
     },
     0, 2 * 86400 + 3 * 3600 + 4 * 60 + 5, L"2 days %03:04:05 3"},
    {"unknown field: no timestamp", [](TimestampStyle& s) { s.beforeHours = L"%Q"; }, 0, 83.6, nullptr},
    {"percent at the end: no timestamp", [](TimestampStyle& s) { s.afterSeconds = L"%"; }, 0, 83.6, nullptr},
    {"not a number: no timestamp", nullptr, 0, std::numeric_limits<double>::quiet_NaN(), nullptr},
    {"infinite: no timestamp", nullptr, 0, std::numeric_limits<double>::infinity(), nullptr},
    {"absurdly large: no timestamp", nullptr, 0, 1e300, nullptr},
};

TEST(FormatTimestamp, Table) {
  for (const auto& c : kStampCases) {
    const auto text = FormatTimestamp(Styled(c.change), c.offset, c.position);
    if (c.expected) {
      ASSERT_TRUE(text.has_value()) << c.name;
      EXPECT_EQ(std::wstring(c.expected), *text) << c.name;
    } else {
      EXPECT_FALSE(text.has_value()) << c.name;
    }
  }
}

TEST(RebuildPatterns, FollowTheStyleFields) {
  TimestampStyle style;
  style.positivePattern = L"stale";
  RebuildPatterns(style);
  EXPECT_EQ(L"_%H:%M:%S_", style.positivePattern);
  EXPECT_EQ(L"_-%H:%M:%S_", style.negativePattern);

  style.includeHours = 0;
  style.includeSeconds = 0;
  style.beforeHours = L"[";
  style.afterSeconds = L"]";
  RebuildPatterns(style);
  EXPECT_EQ(L"[:%M:]", style.positivePattern);
  EXPECT_EQ(L"[:%M:]", style.negativePattern);
}

TEST(ApplyPattern, FieldsAndInvalidForms) {
  struct Case {
    const wchar_t* pattern;
    const wchar_t* expected;  // at 1 d 2 h 3 min 4 s
  } cases[] = {
      {L"%H:%M:%S", L"02:03:04"}, {L"%#H:%#M:%#S", L"2:3:4"}, {L"%D", L"1"},
      {L"100%%", L"100%"},        {L"plain", L"plain"},        {L"", L""},
      {L"%", nullptr},            {L"%#", nullptr},            {L"%#D", nullptr},
      {L"%h", nullptr},           {L"%x%H", nullptr},
  };
  for (const auto& c : cases) {
    const auto text = ApplyPattern(c.pattern, 86400 + 2 * 3600 + 3 * 60 + 4);
    if (c.expected) {
      EXPECT_EQ(std::optional<std::wstring>(c.expected), text) << c.pattern;
    } else {
      EXPECT_EQ(std::nullopt, text) << c.pattern;
    }
  }
}

TEST(AppendFrames, FrameNumberOrZeros) {
  TimestampStyle style;
  style.showFrames = 1;
  style.framesPerSecond = 25;
  style.afterFrames = L"f";
  struct Case {
    int fps;
    bool zero;
    double position;
    const wchar_t* expected;
  } cases[] = {
      {25, false, 10.5, L"x12f"},   // half a second at 25 fps
      {25, false, 10.0, L"x00f"},   // first frame of a second
      {25, false, 10.2, L"x05f"},   // 10.2 is stored as 10.1999...
      {0, false, 10.5, L"x00f"},    // no rate: always frame 00
      {25, true, 10.5, L"x00f"},    // asked for zeros
      {999, false, 3.999, L"x998f"},
      {-5, false, 10.5, L"x00f"},   // damaged rate counts as none
  };
  for (const auto& c : cases) {
    style.framesPerSecond = c.fps;
    std::wstring text = L"x";
    AppendFrames(style, text, c.zero, c.position);
    EXPECT_EQ(std::wstring(c.expected), text) << c.fps << " " << c.position;
  }

  style.showFrames = 0;
  std::wstring text = L"x";
  AppendFrames(style, text, false, 10.5);
  EXPECT_EQ(L"x", text);
}

}  // namespace
}  // namespace tolv
