#include "tolv/timestamps/TimestampWriter.h"

#include "tolv/timestamps/FormatTimestamp.h"
#include "tolv/timestamps/TimestampPattern.h"

namespace tolv {

const wchar_t* const kInvalidPatternMessage =
    L"No timestamp was typed: a \"%\" in the timestamp appearance texts must be followed by "
    L"H, M, S, D, #H, #M, #S or another \"%\". Please correct the texts under Timestamp appearance.";

CTimestampWriter::CTimestampWriter(IMediaPlayer& player, IMessageBoxes& messages,
                                   const TimestampStyle& style, const int& offsetSeconds)
    : player_(player), messages_(messages), style_(style), offsetSeconds_(offsetSeconds) {}

double CTimestampWriter::Position() { return player_.currentPosition(); }

std::optional<std::wstring> CTimestampWriter::Format(double position) {
  auto text = FormatTimestamp(style_, offsetSeconds_, position);
  if (text) {
    reportedPattern_.clear();
    return text;
  }
  for (const std::wstring* pattern : {&style_.positivePattern, &style_.negativePattern}) {
    if (!IsValidPattern(*pattern)) {
      ReportInvalidPattern(*pattern);
      break;
    }
  }
  return std::nullopt;
}

void CTimestampWriter::ReportInvalidPattern(const std::wstring& pattern) {
  if (pattern == reportedPattern_) return;
  // Remembered before showing: the message box pumps messages, and a timer tick
  // arriving meanwhile must not open a second one.
  reportedPattern_ = pattern;
  messages_.show(kInvalidPatternMessage, MessageIcon::Warning);
}

void CTimestampWriter::AppendFrames(std::wstring& text, bool zeroFrames) {
  if (!style_.showFrames) return;
  tolv::AppendFrames(style_, text, zeroFrames, zeroFrames ? 0.0 : Position());
}

}  // namespace tolv
