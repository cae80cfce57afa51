#include "tolv/hotkeys/Hotkeys.h"

namespace tolv {

CTipHotkeysTable MakeDefaultHotkeys() {
  return {{
      {1, L"PLAY", L"F1", L"", 0x70},
      {2, L"STOP", L"F4", L"", 0x73},
      {3, L"REW", L"F7", L"", 0x76},
      {4, L"FF", L"F8", L"", 0x77},
      {5, L"TIME STAMP", L"F9", L"", 0x78},
      {6, L"Keyboard Shortcut 1", L"F2", L"[unclear]", 0x71},
      {7, L"Keyboard Shortcut 2", L"F3", L"[overtalking]", 0x72},
      {8, L"Keyboard Shortcut 3", L"F6", L"[type your text here]", 0x75},
      {9, L"Keyboard Shortcut 4", L"F10", L"[type your text here]", 0x79},
      {10, L"Keyboard Shortcut 5", L"F11", L"[type your text here]", 0x7A},
      {11, L"PX", L"F12", L"", 0x7B},
      {12, L"RX", L"F5", L"", 0x74},
      {13, L"BOOKMARK", L"SCROLL", L"", 0x91},
      {14, L"SPEED TOGGLE", L"NUMPAD5", L"", 0x65},
      {15, L"INCREASE SPEED", L"NUMPAD8", L"", 0x68},
      {16, L"DECREASE SPEED", L"NUMPAD2", L"", 0x62},
  }};
}

std::array<bool, kHotkeyCount> DefaultHotkeyDisabled() {
  std::array<bool, kHotkeyCount> flags{};
  flags[HotkeySpeedToggle - 1] = flags[HotkeyIncreaseSpeed - 1] = flags[HotkeyDecreaseSpeed - 1] = true;
  return flags;
}

// Filled here as well as at start-up so that a key event arriving early never meets empty records.
CTipHotkeysTable HotkeyTable = MakeDefaultHotkeys();
CTipHotkeysTable DefaultHotkeyTable = MakeDefaultHotkeys();
std::array<bool, kHotkeyCount> hotkeyDisabled = DefaultHotkeyDisabled();

void FillDefaultHotkeys() {
  HotkeyTable = MakeDefaultHotkeys();
  DefaultHotkeyTable = MakeDefaultHotkeys();
}

CTipHotkeys* FindHotkeyByName(const std::wstring& name) {
  for (auto& record : HotkeyTable)
    if (record.name == name) return &record;
  return nullptr;
}

}  // namespace tolv
