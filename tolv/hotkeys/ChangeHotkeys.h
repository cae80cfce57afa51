#pragma once
// "Change Hotkeys" and "Press key" without their windows: one hotkey at a time
// gets a new key, never one that another hotkey already has.
#include <cstdint>
#include <string>
#include <vector>

namespace tolv {

extern const wchar_t* const kChangeHotkeysHelpText;
extern const wchar_t* const kChangeHotkeysSwapText;
extern const wchar_t* const kKeyInUseMessage;  // "ERROR: that key is already in use. "

// The names of the hotkey list, in table order.
std::vector<std::wstring> HotkeyListNames();
// The key label shown in "current hotkey" for a name picked from the list
// (the last record of that name; empty when none has it).
std::wstring CurrentHotkeyLabel(const std::wstring& name);
// A pressed key that equals the key of any hotkey, the one being changed included.
bool KeyInUse(uint8_t virtualKey);
// Every record of that name takes the key and its label; the dispatcher uses it
// from the next key event on. Returns the label.
std::wstring AssignHotkey(const std::wstring& name, uint8_t virtualKey);

}  // namespace tolv
