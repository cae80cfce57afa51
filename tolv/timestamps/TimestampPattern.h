#pragma once
// The pattern language of timestamps, applied to a whole number of seconds:
//   %H  hours within the day, two digits     %#H  the same without leading zero
//   %M  minutes within the hour, two digits  %#M
//   %S  seconds within the minute, two digits %#S
//   %D  whole days                            %%   a percent sign
// Every other character is copied. The before/after texts of the style become
// part of the pattern, so a "%" the typist writes there is read as a field.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolv {

// nullopt when a "%" is followed by anything else, or ends the pattern.
std::optional<std::wstring> ApplyPattern(std::wstring_view pattern, int64_t seconds);
bool IsValidPattern(std::wstring_view pattern);

// Decimal text of `value` with at least `minDigits` digits (leading zeros).
std::wstring Digits(int64_t value, int minDigits);

}  // namespace tolv
