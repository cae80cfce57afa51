#include "tolv/timestamps/TimestampStyle.h"

namespace tolv {

TimestampStyle timestampStyle;

void RebuildPatterns(TimestampStyle& style) {
  std::wstring positive = style.beforeHours;
  std::wstring negative = style.beforeHours;
  if (style.includeHours) {
    positive += L"%H";
    negative += L"-%H";
  }
  std::wstring rest = style.beforeMinutes;
  if (style.includeMinutes) rest += L"%M";
  rest += style.beforeSeconds;
  if (style.includeSeconds) rest += L"%S";
  rest += style.afterSeconds;
  style.positivePattern = positive + rest;
  style.negativePattern = negative + rest;
}

}  // namespace tolv
