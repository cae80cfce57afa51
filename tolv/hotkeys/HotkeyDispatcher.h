#pragma once
#include <array>
#include <cstdint>

#include "tolv/hotkeys/HotkeyTarget.h"
#include "tolv/hotkeys/Hotkeys.h"

namespace tolv {

// Message kinds of the low-level keyboard hook.
constexpr uint32_t kKeyDown = 0x100;
constexpr uint32_t kKeyUp = 0x101;
constexpr uint32_t kSysKeyDown = 0x104;  // any key while Alt is held, and F10
constexpr uint32_t kSysKeyUp = 0x105;

constexpr uint32_t kVkReturn = 0x0D;
constexpr uint32_t kVkSpace = 0x20;

struct KeyEvent {
  uint32_t kind = 0;  // kKeyDown, kKeyUp; anything else is ignored
  uint32_t key = 0;   // virtual-key code
};

// Typing position watched for the automatic timestamps.
struct TypingState {
  bool atWordBreak = true;  // the last key-down was Space or Enter
  bool pendingDelayedTimestamp = false;
  bool pendingIntervalTimestamp = false;
  int enterRun = 0;  // consecutive Enter key-downs
};

// Turns key events of the desktop into hotkey actions. Runs inside the keyboard hook
// on the user-interface thread.
class HotkeyDispatcher {
 public:
  using DisabledFlags = std::array<bool, kHotkeyCount>;

  explicit HotkeyDispatcher(IHotkeyTarget& target, const CTipHotkeysTable& table = HotkeyTable,
                            const DisabledFlags& disabled = hotkeyDisabled)
      : target_(target), table_(table), disabled_(disabled) {}

  // Non-zero when the event was used and must not reach the focused application.
  int Dispatch(const KeyEvent& event);

  TypingState& typing() { return typing_; }
  const TypingState& typing() const { return typing_; }

  // A new medium starts at a word break with nothing pending.
  void OnMediaOpened();

 private:
  void ObserveTyping(uint32_t key);
  bool ApplyRule(const CTipHotkeys& record, bool down);
  bool Transport(HeldButton button, bool down);

  IHotkeyTarget& target_;
  const CTipHotkeysTable& table_;
  const DisabledFlags& disabled_;
  TypingState typing_;
};

}  // namespace tolv
