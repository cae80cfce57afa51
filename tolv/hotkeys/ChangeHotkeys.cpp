#include "tolv/hotkeys/ChangeHotkeys.h"

#include "tolv/hotkeys/Hotkeys.h"
#include "tolv/hotkeys/KeyNames.h"

namespace tolv {

const wchar_t* const kChangeHotkeysHelpText =
    L"From the drop-down menu, select the hotkey you want to change, then click \"Change\", select the new key, "
    L"and click DONE.";
const wchar_t* const kChangeHotkeysSwapText =
    L"There is a way to change a key to another key that is already in use. If you want to change F2 to F1, for "
    L"example, and F1 is already in use, you must first change F2 to a temporary key such as \"a\", then change F1 "
    L"to a different key, then change \"a\" to F1.";
const wchar_t* const kKeyInUseMessage = L"ERROR: that key is already in use. ";

std::vector<std::wstring> HotkeyListNames() {
  std::vector<std::wstring> names;
  for (const auto& record : HotkeyTable) names.push_back(record.name);
  return names;
}

std::wstring CurrentHotkeyLabel(const std::wstring& name) {
  std::wstring label;
  for (const auto& record : HotkeyTable)
    if (record.name == name) label = record.keyName;
  return label;
}

bool KeyInUse(uint8_t virtualKey) {
  for (const auto& record : HotkeyTable)
    if (record.virtualKey == virtualKey) return true;
  return false;
}

std::wstring AssignHotkey(const std::wstring& name, uint8_t virtualKey) {
  const std::wstring label = KeyLabelFor(virtualKey);
  for (auto& record : HotkeyTable)
    if (record.name == name) {
      record.keyName = label;
      record.virtualKey = virtualKey;
    }
  return label;
}

}  // namespace tolv
