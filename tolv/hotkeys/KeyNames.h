#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace tolv {

struct KeyName {
  enum Kind : uint8_t { Key, Character };
  const wchar_t* name;
  uint8_t code;
  Kind kind;  // character entries hold a printable character, never a virtual-key code
};

constexpr int kKeyNameCount = 71;

// Ordered by name as text, so "F1", "F10".."F16" come before "F2".
extern const std::array<KeyName, kKeyNameCount> KeyNameTable;

// The label stored in a hotkey's keyName when a key is assigned in the dialogs.
std::wstring KeyLabelFor(uint8_t virtualKey);

}  // namespace tolv
