#include "tolv/timestamps/Timestamps.h"

#include "tolv/hotkeys/HotkeyCommands.h"

namespace tolv {

CTimestamps::CTimestamps(IMediaPlayer& player, IMessageBoxes& messages, ITextSink& sink,
                         TypingState& typing, const TimestampStyle& style, const int& offsetSeconds,
                         const CTipHotkeysTable& table)
    : writer(player, messages, style, offsetSeconds),
      manual(writer, sink, table),
      automatic(player, writer, sink, typing) {}

bool CTimestamps::OnCommand(uint32_t commandId) {
  constexpr uint32_t shortcuts = HotkeyShortcut5 - HotkeyShortcut1 + 1;
  if (commandId >= kCmdKeyboardShortcut1 && commandId < kCmdKeyboardShortcut1 + shortcuts) {
    manual.TypeShortcut(static_cast<int>(commandId - kCmdKeyboardShortcut1));
    return true;
  }
  switch (commandId) {
    case kCmdTimeStamp: manual.TimestampCommand(); return true;
    case kCmdIntervalTimestamp: automatic.IntervalTimestampCommand(); return true;
    case kCmdDelayedTimestamp: automatic.DelayedTimestampCommand(); return true;
    case kCmdParagraphTimestamp: automatic.ParagraphTimestampCommand(); return true;
    default: return false;
  }
}

}  // namespace tolv
