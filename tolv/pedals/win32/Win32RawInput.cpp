#include "tolv/pedals/win32/Win32RawInput.h"

#include <cstddef>
#include <memory>

namespace tolv {

namespace {
constexpr UINT DeviceNameChars = 2000;
// Above this a record is not fetched: no report of a pedal comes near it.
constexpr UINT MaxRecordBytes = 64 * 1024;
}  // namespace

std::vector<RawInputDevice> ListRawInputDevices() {
  std::vector<RawInputDevice> devices;
  UINT count = 0;
  if (GetRawInputDeviceList(nullptr, &count, sizeof(RAWINPUTDEVICELIST)) != 0 || count == 0) return devices;
  std::vector<RAWINPUTDEVICELIST> list(count);
  const UINT got = GetRawInputDeviceList(list.data(), &count, sizeof(RAWINPUTDEVICELIST));
  if (got == static_cast<UINT>(-1)) return devices;
  list.resize(got);
  auto name = std::make_unique<wchar_t[]>(DeviceNameChars);
  for (const RAWINPUTDEVICELIST& entry : list) {
    UINT chars = DeviceNameChars;
    GetRawInputDeviceInfoW(entry.hDevice, RIDI_DEVICENAME, name.get(), &chars);
    RID_DEVICE_INFO info{};
    info.cbSize = sizeof info;
    UINT size = sizeof info;
    RawInputDevice device;
    device.type = entry.dwType;
    if (GetRawInputDeviceInfoW(entry.hDevice, RIDI_DEVICEINFO, &info, &size) != static_cast<UINT>(-1) &&
        info.dwType == RIM_TYPEHID) {
      device.usagePage = info.hid.usUsagePage;
      device.usage = info.hid.usUsage;
    }
    devices.push_back(device);
  }
  return devices;
}

void RegisterHidDevicesForCapture(HWND dialog) {
  const std::vector<RawInputRegistration> entries = HidRegistrations(ListRawInputDevices());
  if (entries.empty()) return;
  std::vector<RAWINPUTDEVICE> raw;
  for (const RawInputRegistration& e : entries) raw.push_back({e.usagePage, e.usage, e.flags, dialog});
  RegisterRawInputDevices(raw.data(), static_cast<UINT>(raw.size()), sizeof(RAWINPUTDEVICE));
}

std::optional<RawInputRecord> ReadRawInput(HRAWINPUT input) {
  UINT size = 0;
  if (GetRawInputData(input, RID_INPUT, nullptr, &size, sizeof(RAWINPUTHEADER)) != 0 || size < sizeof(RAWINPUTHEADER) ||
      size > MaxRecordBytes)
    return std::nullopt;
  // RAWINPUT holds pointers: keep the buffer aligned for it.
  auto storage = std::make_unique<std::max_align_t[]>(size / sizeof(std::max_align_t) + 1);
  auto* raw = reinterpret_cast<RAWINPUT*>(storage.get());
  const UINT got = GetRawInputData(input, RID_INPUT, raw, &size, sizeof(RAWINPUTHEADER));
  if (got == static_cast<UINT>(-1) || got < sizeof(RAWINPUTHEADER)) return std::nullopt;
  RawInputRecord record;
  record.type = raw->header.dwType;
  if (record.type == RIM_TYPEHID) {
    const std::size_t offset = offsetof(RAWINPUT, data.hid.bRawData);
    if (got < offset) return record;
    record.reportSize = raw->data.hid.dwSizeHid;
    record.reportCount = raw->data.hid.dwCount;
    const unsigned long long declared =
        static_cast<unsigned long long>(record.reportSize) * record.reportCount;
    const std::size_t available = got - offset;
    const std::size_t n = declared < available ? static_cast<std::size_t>(declared) : available;
    record.data.assign(raw->data.hid.bRawData, raw->data.hid.bRawData + n);
  }
  return record;
}

bool SettingsWindowOpen() { return FindWindowW(nullptr, L"Settings") != nullptr; }

}  // namespace tolv
