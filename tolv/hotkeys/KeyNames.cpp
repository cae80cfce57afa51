#include "tolv/hotkeys/KeyNames.h"

namespace tolv {

namespace {
constexpr KeyName::Kind K = KeyName::Key;
constexpr KeyName::Kind C = KeyName::Character;
}  // namespace

const std::array<KeyName, kKeyNameCount> KeyNameTable = {{
    {L"ADD", 0x6B, K},        {L"APPS", 0x5D, K},       {L"AT", 0x40, C},
    {L"BACKSPACE", 0x08, K},  {L"BKSP", 0x08, K},       {L"BREAK", 0x03, K},
    {L"BS", 0x08, K},         {L"CAPSLOCK", 0x14, K},   {L"CARET", 0x5E, C},
    {L"CLEAR", 0x0C, K},      {L"DECIMAL", 0x6E, K},    {L"DEL", 0x2E, K},
    {L"DELETE", 0x2E, K},     {L"DIVIDE", 0x6F, K},     {L"DOWN", 0x28, K},
    {L"END", 0x23, K},        {L"ENTER", 0x0D, K},      {L"ESC", 0x1B, K},
    {L"ESCAPE", 0x1B, K},     {L"F1", 0x70, K},         {L"F10", 0x79, K},
    {L"F11", 0x7A, K},        {L"F12", 0x7B, K},        {L"F13", 0x7C, K},
    {L"F14", 0x7D, K},        {L"F15", 0x7E, K},        {L"F16", 0x7F, K},
    {L"F2", 0x71, K},         {L"F3", 0x72, K},         {L"F4", 0x73, K},
    {L"F5", 0x74, K},         {L"F6", 0x75, K},         {L"F7", 0x76, K},
    {L"F8", 0x77, K},         {L"F9", 0x78, K},         {L"HELP", 0x2F, K},
    {L"HOME", 0x24, K},       {L"INS", 0x2D, K},        {L"LEFT", 0x25, K},
    {L"LEFTBRACE", 0x7B, C},  {L"LEFTPAREN", 0x28, C},  {L"LWIN", 0x5B, K},
    {L"MULTIPLY", 0x6A, K},   {L"NUMLOCK", 0x90, K},    {L"NUMPAD0", 0x60, K},
    {L"NUMPAD1", 0x61, K},    {L"NUMPAD2", 0x62, K},    {L"NUMPAD3", 0x63, K},
    {L"NUMPAD4", 0x64, K},    {L"NUMPAD5", 0x65, K},    {L"NUMPAD6", 0x66, K},
    {L"NUMPAD7", 0x67, K},    {L"NUMPAD8", 0x68, K},    {L"NUMPAD9", 0x69, K},
    {L"PERCENT", 0x25, C},    {L"PGDN", 0x22, K},       {L"PGUP", 0x21, K},
    {L"PLUS", 0x2B, C},       {L"PRTSC", 0x2A, K},      {L"RIGHT", 0x27, K},
    {L"RIGHTBRACE", 0x7D, C}, {L"RIGHTPAREN", 0x29, C}, {L"RWIN", 0x5C, K},
    {L"SCROLL", 0x91, K},     {L"SEPARATOR", 0x6C, K},  {L"SNAPSHOT", 0x2C, K},
    {L"SUBTRACT", 0x6D, K},   {L"TAB", 0x09, K},        {L"TILDE", 0x7E, C},
    {L"UP", 0x26, K},         {L"WIN", 0x5B, K},
}};

std::wstring KeyLabelFor(uint8_t virtualKey) {
  // Digits and capital letters carry their own character as code.
  if (virtualKey >= 0x30 && virtualKey <= 0x5A) return std::wstring(1, wchar_t(virtualKey));
  // Later aliases win ("BS" over "BACKSPACE", "WIN" over "LWIN").
  const wchar_t* label = nullptr;
  for (const KeyName& entry : KeyNameTable)
    if (entry.kind == KeyName::Key && entry.code == virtualKey) label = entry.name;
  if (label) return label;
  return std::wstring(1, wchar_t(virtualKey));
}

}  // namespace tolv
