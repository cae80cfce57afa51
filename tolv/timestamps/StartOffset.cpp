#include "tolv/timestamps/StartOffset.h"

#include "tolv/config/Settings.h"
#include "tolv/timestamps/NumberText.h"

namespace tolv {

bool ApplyTimestampsStartFrom(const std::wstring& sign, const std::wstring& hours,
                              const std::wstring& minutes, const std::wstring& seconds,
                              IMessageBoxes& messages) {
  struct Field {
    const std::wstring& text;
    int scale;
    const wchar_t* message;
  };
  const Field fields[] = {
      {hours, 3600, L"Timestamps Start From: HOURS figure must be 0-59"},
      {minutes, 60, L"Timestamps Start From: MINUTES figure must be 0-59"},
      {seconds, 1, L"Timestamps Start From: SECONDS figure must be 0-59"},
  };
  int offset = 0;
  for (const Field& field : fields) {
    if (field.text.empty()) continue;
    const int value = TextToInt(field.text);
    if (value < 0 || value > 59) {
      messages.show(field.message, MessageIcon::Warning);
      return false;
    }
    offset += value * field.scale;
  }
  if (sign.find(L'-') != std::wstring::npos) offset = -offset;

  timestampOffset = offset;
  timestampOffsetSign = sign;
  timestampOffsetHours = hours;
  timestampOffsetMinutes = minutes;
  timestampOffsetSeconds = seconds;
  return true;
}

}  // namespace tolv
