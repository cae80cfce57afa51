#pragma once
// Raw input from HID devices: a button on a pedal that is not a keyboard can
// be captured as a hotkey by the "Press key" dialog, and the main view shows
// what a device sends, for the user or a supporter to read. Raw input does
// not drive playback.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tolv/playback/TolvForm.h"

namespace tolv {

enum : unsigned { RawTypeMouse = 0, RawTypeKeyboard = 1, RawTypeHid = 2 };

// "RIM_TYPEMOUSE", "RIM_TYPEKEYBOARD", "RIM_TYPEHID", "Unknown".
std::wstring_view RawInputTypeName(unsigned type);

struct RawInputDevice {
  unsigned type = 0;
  std::uint16_t usagePage = 0;
  std::uint16_t usage = 0;
};

struct RawInputRegistration {
  std::uint16_t usagePage;
  std::uint16_t usage;
  unsigned flags;  // always 0
};

// One entry per HID-class device, for the "Press key" dialog.
std::vector<RawInputRegistration> HidRegistrations(const std::vector<RawInputDevice>& devices);

// One input record: its type and, for HID, the report size and count and the report bytes.
struct RawInputRecord {
  unsigned type = 0;
  unsigned reportSize = 0;
  unsigned reportCount = 0;
  std::vector<unsigned char> data;
};

// The "Press key" dialog's value: the first report byte, taken as a virtual-key code.
std::optional<unsigned char> CapturedKey(const RawInputRecord& record);

// "Pedal 2 was pressed total count 1  0 = 0,  1 = 4, ": the header, then every
// byte of size x count (as far as the record holds them).
std::wstring RawInputReportText(const RawInputRecord& record);

// The main view's handler: the report text in a message box, unless the
// settings window is open.
void ShowRawInputReport(const RawInputRecord& record, bool settingsWindowOpen, IMessageBoxes& messages);

}  // namespace tolv
