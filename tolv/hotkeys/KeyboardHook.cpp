#include "tolv/hotkeys/KeyboardHook.h"

namespace tolv {

intptr_t HotkeyHookProcedure(HotkeyDispatcher& dispatcher, INextHook& next, int code,
                             const LowLevelKeyEvent* event, uintptr_t wParam, intptr_t lParam) {
  if (code == kHcAction && event) {
    bool consume = false;
    try {
      consume = dispatcher.Dispatch(KeyEvent{event->message, event->vkCode}) != 0;
    } catch (...) {
      // Nothing may unwind through the system's hook chain; the key goes on as typed.
    }
    if (consume) return 1;
  }
  return next.CallNext(code, wParam, lParam);
}

}  // namespace tolv
