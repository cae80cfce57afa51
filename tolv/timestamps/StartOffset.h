#pragma once
#include <string>

#include "tolv/playback/TolvForm.h"

namespace tolv {

// "Timestamps Start From", on OK of the settings dialog: the hours, minutes and
// seconds texts (0..59 each; empty counts as 0) and a sign text ("-" anywhere
// makes it negative). On success sets timestampOffset and keeps the four texts.
// A field out of range shows its message and returns false: the dialog stays
// open and the offset in force is left as it was.
bool ApplyTimestampsStartFrom(const std::wstring& sign, const std::wstring& hours,
                              const std::wstring& minutes, const std::wstring& seconds,
                              IMessageBoxes& messages);

}  // namespace tolv
