#pragma once
#include <optional>
#include <string>

#include "tolv/config/Settings.h"
#include "tolv/playback/MediaPlayer.h"
#include "tolv/playback/TolvForm.h"
#include "tolv/timestamps/TimestampStyle.h"

namespace tolv {

extern const wchar_t* const kInvalidPatternMessage;

// Writes timestamps in the current style and offset. A style whose pattern
// cannot be applied writes nothing; the typist is told once, at the first
// timestamp that fails, and again only after the style has worked or changed
// in between, never on every key press or timer tick.
class CTimestampWriter {
 public:
  CTimestampWriter(IMediaPlayer& player, IMessageBoxes& messages,
                   const TimestampStyle& style = timestampStyle, const int& offsetSeconds = timestampOffset);

  // The player's current position in seconds.
  double Position();
  std::optional<std::wstring> Format(double position);
  // Frames of the player's current position (read only when the style shows them), or "00".
  void AppendFrames(std::wstring& text, bool zeroFrames);

  const TimestampStyle& style() const { return style_; }

 private:
  void ReportInvalidPattern(const std::wstring& pattern);

  IMediaPlayer& player_;
  IMessageBoxes& messages_;
  const TimestampStyle& style_;
  const int& offsetSeconds_;
  std::wstring reportedPattern_;
};

}  // namespace tolv
