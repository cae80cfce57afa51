#include "tolv/playback/win32/MessagePump.h"

namespace tolv {

void PumpPendingThreadMessages(DWORD waitMs) {
  MSG msg;
  bool handled = false;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The main loop must still see it once the open is over.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    handled = true;
  }
  // Nothing to do yet: sleep until input arrives instead of spinning on playState.
  if (!handled) MsgWaitForMultipleObjectsEx(0, nullptr, waitMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

}  // namespace tolv
