#pragma once
#include <string>

#include "tolv/hotkeys/Hotkeys.h"
#include "tolv/timestamps/TextSink.h"
#include "tolv/timestamps/TimestampWriter.h"

namespace tolv {

// The manual TIME STAMP command and the keyboard shortcuts.
class CTimestampCommands {
 public:
  CTimestampCommands(CTimestampWriter& writer, ITextSink& sink,
                     const CTipHotkeysTable& table = HotkeyTable);

  // TIME STAMP (32777): the timestamp of the current position, unless it is the
  // one this command typed last, so a second press at the same second types nothing.
  void TimestampCommand();
  // Every "***" in `text` becomes the timestamp of the current position with
  // frames "00". Without a marker the text comes back as it is and the player
  // is not asked; if no timestamp can be written the markers stay.
  std::wstring ExpandTimestampMarker(const std::wstring& text);
  // Keyboard shortcut k = 0..4 (32779 + k): the text of that shortcut, expanded.
  void TypeShortcut(int k);

  std::wstring lastManualTimestamp;

 private:
  CTimestampWriter& writer_;
  ITextSink& sink_;
  const CTipHotkeysTable& table_;
};

}  // namespace tolv
