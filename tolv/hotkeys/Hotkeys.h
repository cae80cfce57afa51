#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace tolv {

// Fixed function numbers of the sixteen hotkeys; a record's id is its index plus one.
enum HotkeyId : int32_t {
  HotkeyPlay = 1,
  HotkeyStop = 2,
  HotkeyRew = 3,
  HotkeyFf = 4,
  HotkeyTimeStamp = 5,
  HotkeyShortcut1 = 6,
  HotkeyShortcut5 = 10,
  HotkeyPx = 11,
  HotkeyRx = 12,
  HotkeyBookmark = 13,
  HotkeySpeedToggle = 14,
  HotkeyIncreaseSpeed = 15,
  HotkeyDecreaseSpeed = 16,
};

constexpr int kHotkeyCount = 16;

// One global hotkey: a fixed function bound to a single virtual-key code, no modifiers.
struct CTipHotkeys {
  int32_t id = 0;
  std::wstring name;
  std::wstring keyName;  // label only; matching uses virtualKey
  std::wstring text;     // typed by the keyboard shortcuts (ids 6..10), empty otherwise
  uint8_t virtualKey = 0;

  bool operator==(const CTipHotkeys&) const = default;
};

using CTipHotkeysTable = std::array<CTipHotkeys, kHotkeyCount>;

// The current table, read by the dispatcher, the dialogs and the configuration file.
extern CTipHotkeysTable HotkeyTable;
// Filled with the same defaults at start-up and never changed: the source of "Restore defaults".
extern CTipHotkeysTable DefaultHotkeyTable;
// One flag per hotkey (index id - 1); a disabled hotkey's key reaches the focused application.
// The three speed hotkeys start disabled.
extern std::array<bool, kHotkeyCount> hotkeyDisabled;

// The sixteen factory records in table order.
CTipHotkeysTable MakeDefaultHotkeys();
// The factory disable flags: only the three speed hotkeys are off.
std::array<bool, kHotkeyCount> DefaultHotkeyDisabled();

// Start-up: both tables get the factory records. The disable flags are left alone;
// the configuration file is read afterwards and overwrites keys, labels, texts and flags.
void FillDefaultHotkeys();

// The record with this function name in HotkeyTable, or nullptr.
CTipHotkeys* FindHotkeyByName(const std::wstring& name);

}  // namespace tolv
