// setupapi.dll double for the Wine suites (WINEDLLOVERRIDES "setupapi=n,b"):
// lists the USB and HID interfaces of the test's device tree. Wine's own
// SetupAPI lists no USB devices at all.
#define _SETUPAPI_
#include <windows.h>
#include <setupapi.h>

#include <cstddef>
#include <cstring>

#include "tolv/pedals/tests/doubles/win32/DeviceTreeFile.h"

namespace {

const GUID UsbDeviceInterface = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
const GUID HidInterface = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

struct InfoSet {
  pedal_double::Tree tree;
  std::vector<pedal_double::Interface> listed;
};

}  // namespace

extern "C" {

HDEVINFO WINAPI SetupDiGetClassDevsW(const GUID* guid, PCWSTR, HWND, DWORD flags) {
  if (!guid || !(flags & DIGCF_DEVICEINTERFACE)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  auto* set = new InfoSet{pedal_double::LoadTree(), {}};
  const bool usb = IsEqualGUID(*guid, UsbDeviceInterface) != 0;
  const bool hid = IsEqualGUID(*guid, HidInterface) != 0;
  for (const auto& itf : set->tree.interfaces)
    if ((itf.hid && hid) || (!itf.hid && usb)) set->listed.push_back(itf);
  return set;
}

BOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO handle, PSP_DEVINFO_DATA, const GUID* guid, DWORD index,
                                        PSP_DEVICE_INTERFACE_DATA data) {
  auto* set = static_cast<InfoSet*>(handle);
  if (!set || handle == INVALID_HANDLE_VALUE || !data || data->cbSize != sizeof *data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (index >= set->listed.size()) {
    SetLastError(ERROR_NO_MORE_ITEMS);
    return FALSE;
  }
  if (guid) data->InterfaceClassGuid = *guid;
  data->Flags = SPINT_ACTIVE;
  data->Reserved = index;
  return TRUE;
}

BOOL WINAPI SetupDiGetDeviceInterfaceDetailW(HDEVINFO handle, PSP_DEVICE_INTERFACE_DATA data,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size, PDWORD required,
                                             PSP_DEVINFO_DATA device) {
  auto* set = static_cast<InfoSet*>(handle);
  if (!set || !data || data->Reserved >= set->listed.size()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto& itf = set->listed[data->Reserved];
  const DWORD needed =
      static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) + (itf.path.size() + 1) * sizeof(wchar_t));
  if (required) *required = needed;
  if (!detail || size < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
    SetLastError(ERROR_INVALID_USER_BUFFER);
    return FALSE;
  }
  std::memcpy(detail->DevicePath, itf.path.c_str(), (itf.path.size() + 1) * sizeof(wchar_t));
  if (device) {
    if (device->cbSize != sizeof *device) {
      SetLastError(ERROR_INVALID_USER_BUFFER);
      return FALSE;
    }
    device->DevInst = static_cast<DWORD>(itf.node + 1);
  }
  return TRUE;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO handle) {
  if (handle && handle != INVALID_HANDLE_VALUE) delete static_cast<InfoSet*>(handle);
  return TRUE;
}

}  // extern "C"
