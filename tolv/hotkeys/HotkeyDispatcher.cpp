#include "tolv/hotkeys/HotkeyDispatcher.h"

#include "tolv/hotkeys/HotkeyCommands.h"

namespace tolv {

int HotkeyDispatcher::Dispatch(const KeyEvent& event) {
  if (event.kind != kKeyDown && event.kind != kKeyUp) return 0;
  const bool down = event.kind == kKeyDown;
  if (down) ObserveTyping(event.key);

  // Index order: when two records share a key, the lower one wins for the edge it handles,
  // and the other edge goes on to the next record.
  for (int i = 0; i < kHotkeyCount; ++i) {
    const CTipHotkeys& record = table_[i];
    if (record.virtualKey != event.key || disabled_[i]) continue;
    if (ApplyRule(record, down)) return 1;
  }
  return 0;
}

void HotkeyDispatcher::OnMediaOpened() {
  typing_.atWordBreak = true;
  typing_.pendingDelayedTimestamp = false;
  typing_.pendingIntervalTimestamp = false;
}

void HotkeyDispatcher::ObserveTyping(uint32_t key) {
  const bool enter = key == kVkReturn;
  if (enter || key == kVkSpace) {
    typing_.atWordBreak = true;
    // A timestamp that fell due in the middle of a word is typed at the next break.
    if ((typing_.pendingDelayedTimestamp || typing_.pendingIntervalTimestamp) &&
        target_.IntervalTimestamps()) {
      target_.PostCommand(typing_.pendingDelayedTimestamp ? kCmdDelayedTimestamp
                                                          : kCmdIntervalTimestamp);
      typing_.pendingDelayedTimestamp = false;
      typing_.pendingIntervalTimestamp = false;
    }
  } else {
    typing_.atWordBreak = false;
  }

  if (target_.ParagraphTimestamps()) {
    if (!enter) {
      typing_.enterRun = 0;
      return;
    }
    const int needed = target_.ParagraphEnterCount();
    // A count below one can never be reached; the run then stays at zero instead of growing.
    if (needed < 1) return;
    if (++typing_.enterRun >= needed) {
      typing_.enterRun = 0;
      target_.PostCommand(kCmdParagraphTimestamp);
    }
  }
}

bool HotkeyDispatcher::Transport(HeldButton button, bool down) {
  if (!down) {
    target_.ReleaseRewFf(button);
  } else if (target_.IsPlaying()) {
    // While playing, the transport's timer steps as long as the button stays pushed.
    target_.SetHeld(button, true);
  } else if (button == HeldButton::Rew) {
    target_.RewindStep();
  } else {
    target_.FastForwardStep();
  }
  return true;
}

bool HotkeyDispatcher::ApplyRule(const CTipHotkeys& record, bool down) {
  switch (record.id) {
    case HotkeyPlay:
      target_.SetHeld(HeldButton::Play, down);
      if (target_.IsPlayWhileHeld()) {
        if (target_.MediaDuration() > 0 && down != target_.IsPlaying()) target_.PlayToggle();
      } else if (down) {
        target_.PlayToggle();
      }
      return true;
    case HotkeyStop:
      if (!down) return false;
      target_.Stop();
      return true;
    case HotkeyRew:
      return Transport(HeldButton::Rew, down);
    case HotkeyFf:
      return Transport(HeldButton::Ff, down);
    case HotkeySpeedToggle:
    case HotkeyIncreaseSpeed:
    case HotkeyDecreaseSpeed: {
      if (!down) return false;
      static constexpr uint32_t commands[] = {kCmdSpeedToggle, kCmdIncreaseSpeed,
                                              kCmdDecreaseSpeed};
      target_.PostCommand(commands[record.id - HotkeySpeedToggle]);
      return true;
    }
    case HotkeyBookmark:
      if (!down) return false;
      target_.AddBookmark();
      return true;
    case HotkeyTimeStamp:
      if (down) return false;
      target_.PostCommand(kCmdTimeStamp);
      return true;
    case HotkeyRx:
      if (down) return false;
      target_.PostCommand(kCmdRx);
      return true;
    case HotkeyPx:
      if (down) return false;
      target_.PostCommand(kCmdPx);
      return true;
    default:
      if (record.id < HotkeyShortcut1 || record.id > HotkeyShortcut5 || down) return false;
      target_.PostCommand(kCmdKeyboardShortcut1 + uint32_t(record.id - HotkeyShortcut1));
      return true;
  }
}

}  // namespace tolv
