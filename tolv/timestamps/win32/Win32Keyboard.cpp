#include "tolv/timestamps/win32/Win32Keyboard.h"

#include <windows.h>

namespace tolv {

unsigned Win32Keyboard::SendInput(const std::vector<SyntheticKeyEvent>& events) {
  if (events.empty()) return 0;
  std::vector<INPUT> inputs(events.size());
  for (size_t i = 0; i < events.size(); ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = events[i].virtualKey;
    inputs[i].ki.wScan = 0;
    inputs[i].ki.dwFlags = events[i].keyUp ? KEYEVENTF_KEYUP : 0;
    inputs[i].ki.time = 0;
    inputs[i].ki.dwExtraInfo = 0;
  }
  return ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace tolv
