#pragma once
// Raw input on Windows for the "Press key" dialog and the main view.
#include <windows.h>

#include <optional>
#include <vector>

#include "tolv/pedals/RawInput.h"

namespace tolv {

// Every raw-input device present, with its type and HID usage.
std::vector<RawInputDevice> ListRawInputDevices();

// Registers every HID-class device present for WM_INPUT to `dialog`; the
// result is ignored and the registration stays after the dialog has closed.
void RegisterHidDevicesForCapture(HWND dialog);

// The record of a WM_INPUT message; nothing when it cannot be fetched.
std::optional<RawInputRecord> ReadRawInput(HRAWINPUT input);

// True while a top-level window titled "Settings" exists.
bool SettingsWindowOpen();

}  // namespace tolv
