#pragma once
#include <cstdint>

#include "tolv/hotkeys/HotkeyDispatcher.h"

namespace tolv {

constexpr int kHcAction = 0;

// The fields of the platform's low-level keyboard record that the player reads.
struct LowLevelKeyEvent {
  uint32_t message = 0;  // kKeyDown, kKeyUp, kSysKeyDown, kSysKeyUp
  uint32_t vkCode = 0;
  uint32_t flags = 0;  // extended, injected, alt-down, up
};

// Hands an event to the next hook in the chain, arguments unchanged.
class INextHook {
 public:
  virtual ~INextHook() = default;
  virtual intptr_t CallNext(int code, uintptr_t wParam, intptr_t lParam) = 0;
};

// One call of the low-level keyboard hook. event is null when the platform gave no record.
// Returns 1 to consume the event, otherwise whatever the next hook returns.
intptr_t HotkeyHookProcedure(HotkeyDispatcher& dispatcher, INextHook& next, int code,
                             const LowLevelKeyEvent* event, uintptr_t wParam, intptr_t lParam);

}  // namespace tolv
