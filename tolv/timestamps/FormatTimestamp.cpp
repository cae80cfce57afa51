#include "tolv/timestamps/FormatTimestamp.h"

#include <cmath>
#include <cstdint>

#include "tolv/timestamps/TimestampPattern.h"

namespace tolv {
namespace {

// Far beyond any medium, and well inside what a 64-bit count of seconds holds.
constexpr double kLargestPosition = 1e15;

// Part of a second in units of 1/`units`, truncated. A position such as 83.6 is
// stored as 83.5999..., so a plain truncation would read 5 tenths; the small
// allowance keeps the digits the typist sees in the position.
int64_t SecondPart(double position, int64_t units) {
  const double part = (position - std::floor(position)) * static_cast<double>(units);
  const auto whole = static_cast<int64_t>(std::floor(part + 1e-6));
  return whole >= units ? units - 1 : whole;
}

void ReplaceFirst(std::wstring& text, const std::wstring& from, const std::wstring& to) {
  const size_t at = text.find(from);
  if (at != std::wstring::npos) text.replace(at, from.size(), to);
}

}  // namespace

std::optional<std::wstring> FormatTimestamp(const TimestampStyle& style, int offsetSeconds,
                                            double position) {
  double v = offsetSeconds + position;
  if (!std::isfinite(v) || std::fabs(v) >= kLargestPosition) return std::nullopt;
  const bool negative = v < 0;
  if (negative) v = -v;
  const auto n = static_cast<int64_t>(v);

  auto text = ApplyPattern(negative ? style.negativePattern : style.positivePattern, n);
  if (!text) return std::nullopt;

  const int64_t h = (n / 3600) % 24;
  const int64_t m = (n / 60) % 60;
  if (style.hideHours) {
    // The minutes field takes over the hours, and the text before it goes with it.
    ReplaceFirst(*text, style.beforeMinutes + Digits(m, 2), Digits(h * 60 + m, 2));
  } else if (h < 10 && style.oneDigitHours && style.includeHours) {
    ReplaceFirst(*text, Digits(h, 2), Digits(h, 1));
  }

  if (style.showFractions) {
    const int digits = style.fractionDigits == 1 ? 2 : style.fractionDigits == 2 ? 3 : 1;
    const int64_t units = digits == 1 ? 10 : digits == 2 ? 100 : 1000;
    *text += Digits(SecondPart(position, units), digits);
    *text += style.afterFraction;
  }
  return text;
}

void AppendFrames(const TimestampStyle& style, std::wstring& text, bool zeroFrames,
                  double currentPosition) {
  if (!style.showFrames) return;
  if (zeroFrames || !std::isfinite(currentPosition)) {
    text += L"00";
  } else {
    // A rate outside 0..999 can only come from a damaged configuration file.
    const int fps = style.framesPerSecond < 0 ? 0 : style.framesPerSecond > 999 ? 999 : style.framesPerSecond;
    text += Digits(fps == 0 ? 0 : SecondPart(currentPosition, fps), 2);
  }
  text += style.afterFrames;
}

}  // namespace tolv
