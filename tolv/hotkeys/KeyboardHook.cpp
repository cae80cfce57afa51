#include "tolv/hotkeys/KeyboardHook.h"

namespace tolv {

intptr_t HotkeyHookProcedure(HotkeyDispatcher& dispatcher, INextHook& next, int code,
                             const LowLevelKeyEvent* event, uintptr_t wParam, intptr_t lParam) {
  if (code == kHcAction && event &&
      dispatcher.Dispatch(KeyEvent{event->message, event->vkCode}) != 0)
    return 1;
  return next.CallNext(code, wParam, lParam);
}

}  // namespace tolv
