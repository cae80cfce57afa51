#pragma once
// Everything of the main view that types timestamps and snippets, in one piece
// for the view to own: the commands posted by the hotkeys, the position tick,
// and the reset when a medium is opened.
#include <cstdint>

#include "tolv/timestamps/AutoTimestamps.h"
#include "tolv/timestamps/TimestampCommands.h"

namespace tolv {

class CTimestamps : public IPositionTickListener {
 public:
  // `typing` is the dispatcher's (HotkeyDispatcher::typing()).
  CTimestamps(IMediaPlayer& player, IMessageBoxes& messages, ITextSink& sink, TypingState& typing,
              const TimestampStyle& style = timestampStyle, const int& offsetSeconds = timestampOffset,
              const CTipHotkeysTable& table = HotkeyTable);

  // Runs the handler of a timestamp or shortcut command; false for any other id.
  bool OnCommand(uint32_t commandId);
  void AutoTimestampTick() override { automatic.AutoTimestampTick(); }
  void OnMediaOpened() override { automatic.OnMediaOpened(); }

  CTimestampWriter writer;
  CTimestampCommands manual;
  CAutoTimestamps automatic;
};

}  // namespace tolv
