#pragma once
#include <string_view>

namespace tolv {

// The leading whole number of an edit box's text: spaces, an optional sign and
// digits; anything else ends it, and a text without digits counts as 0. Values
// beyond the range of int stop at its ends, so they stay out of range.
int TextToInt(std::wstring_view text);

}  // namespace tolv
