#pragma once
// The typist's way of writing a timestamp. Kept with the named configuration;
// the two patterns are derived from the other fields and rebuilt after every load.
#include <cstdint>
#include <string>

namespace tolv {

struct TimestampStyle {
  int32_t includeHours = 1;
  int32_t includeMinutes = 1;
  int32_t includeSeconds = 1;
  int32_t showFractions = 0;
  int32_t showFrames = 0;
  int32_t boldTimestamps = 0;
  int32_t italicTimestamps = 0;
  int32_t oneDigitHours = 0;  // "1:22:45" instead of "01:22:45"
  int32_t hideHours = 0;      // minutes count on past 59: "65:23"
  std::wstring beforeHours = L"_";
  std::wstring beforeMinutes = L":";
  std::wstring beforeSeconds = L":";
  std::wstring afterSeconds = L"_";
  std::wstring afterFraction;
  int32_t framesPerSecond = 0;  // 0..999
  std::wstring afterFrames;
  int32_t fractionDigits = 0;  // 0 tenths, 1 hundredths, 2 thousandths
  std::wstring positivePattern = L"_%H:%M:%S_";
  std::wstring negativePattern = L"_-%H:%M:%S_";

  bool operator==(const TimestampStyle&) const = default;
};

// The style of the current named configuration.
extern TimestampStyle timestampStyle;

// Recomputes both patterns from the other fields. The minus sign sits in the
// hours field, so without hours a negative timestamp carries no sign.
void RebuildPatterns(TimestampStyle& style);
inline void RebuildPatterns() { RebuildPatterns(timestampStyle); }

}  // namespace tolv
