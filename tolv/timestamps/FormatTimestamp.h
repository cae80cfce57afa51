#pragma once
#include <optional>
#include <string>

#include "tolv/timestamps/TimestampStyle.h"

namespace tolv {

// Text of the timestamp at `position` seconds from the start of the medium,
// shifted by `offsetSeconds`. Fractions come from the unshifted position.
// nullopt when the style's pattern is invalid or the position is not a finite
// time we can write.
std::optional<std::wstring> FormatTimestamp(const TimestampStyle& style, int offsetSeconds,
                                            double position);

// Appends the frame part when the style shows frames: "00" when `zeroFrames`,
// otherwise the frame of `currentPosition` within its second.
void AppendFrames(const TimestampStyle& style, std::wstring& text, bool zeroFrames,
                  double currentPosition);

}  // namespace tolv
