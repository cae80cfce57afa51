#include "tolv/pedals/win32/Win32PedalDevices.h"

#include <cfgmgr32.h>
// hidsdi.h declares its functions without C linkage.
extern "C" {
#include <hidsdi.h>
}
#include <setupapi.h>

#include <memory>

#include "tolv/playback/TolvView.h"

namespace tolv {

namespace {

// The USB device interface class.
const GUID UsbDeviceInterface = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
constexpr ULONG DeviceIdChars = 260;
// Interface details are never fetched beyond this, whatever the driver claims.
constexpr DWORD MaxDetailFetch = 64 * 1024;

HMACHINE Machine(void* m) { return static_cast<HMACHINE>(m); }

}  // namespace

Win32PedalDevices::~Win32PedalDevices() { disconnectMachine(); }

unsigned long Win32PedalDevices::connectMachine() {
  disconnectMachine();
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &length)) name[0] = 0;
  const std::wstring unc = std::wstring(L"\\\\") + name;
  HMACHINE machine = nullptr;
  const CONFIGRET cr = CM_Connect_MachineW(unc.c_str(), &machine);
  if (cr != CR_SUCCESS) return cr;
  machine_ = machine;
  return 0;
}

void Win32PedalDevices::disconnectMachine() {
  if (!machine_) return;
  CM_Disconnect_Machine(Machine(machine_));
  machine_ = nullptr;
}

bool Win32PedalDevices::rootNode(DevNode& node) {
  DEVINST root = 0;
  if (CM_Locate_DevNode_ExW(&root, nullptr, CM_LOCATE_DEVNODE_NORMAL, Machine(machine_)) != CR_SUCCESS) return false;
  node = root;
  return true;
}

bool Win32PedalDevices::firstChild(DevNode node, DevNode& child) {
  DEVINST c = 0;
  if (CM_Get_Child_Ex(&c, node, 0, Machine(machine_)) != CR_SUCCESS) return false;
  child = c;
  return true;
}

bool Win32PedalDevices::nextSibling(DevNode node, DevNode& sibling) {
  DEVINST s = 0;
  if (CM_Get_Sibling_Ex(&s, node, 0, Machine(machine_)) != CR_SUCCESS) return false;
  sibling = s;
  return true;
}

bool Win32PedalDevices::hasClassGuid(DevNode node) {
  wchar_t guid[64];
  ULONG size = sizeof guid;
  ULONG type = 0;
  return CM_Get_DevNode_Registry_Property_ExW(node, CM_DRP_CLASSGUID, &type, guid, &size, 0, Machine(machine_)) ==
         CR_SUCCESS;
}

std::wstring Win32PedalDevices::deviceId(DevNode node) {
  wchar_t id[DeviceIdChars + 1] = {};
  if (CM_Get_Device_ID_ExW(node, id, DeviceIdChars, 0, Machine(machine_)) != CR_SUCCESS) return {};
  id[DeviceIdChars] = 0;
  return id;
}

std::vector<DeviceInterface> Win32PedalDevices::presentInterfaces(InterfaceClass cls) {
  GUID guid = UsbDeviceInterface;
  if (cls == InterfaceClass::Hid) HidD_GetHidGuid(&guid);
  std::vector<DeviceInterface> found;
  HDEVINFO set = SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE) return found;
  SP_DEVICE_INTERFACE_DATA itf{};
  itf.cbSize = sizeof itf;
  for (DWORD i = 0; SetupDiEnumDeviceInterfaces(set, nullptr, &guid, i, &itf); ++i) {
    DeviceInterface entry{{}, {}, 0};
    DWORD required = 0;
    SetupDiGetDeviceInterfaceDetailW(set, &itf, nullptr, 0, &required, nullptr);
    entry.detailSize = required;
    if (required >= sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) && required <= MaxDetailFetch) {
      auto storage = std::make_unique<unsigned char[]>(required + sizeof(wchar_t));
      auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.get());
      detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
      SP_DEVINFO_DATA device{};
      device.cbSize = sizeof device;
      if (SetupDiGetDeviceInterfaceDetailW(set, &itf, detail, required, nullptr, &device)) {
        // The path ends within the record; a terminator is added past it in any case.
        const std::size_t chars = (required - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath)) / sizeof(wchar_t);
        entry.path.assign(detail->DevicePath, wcsnlen(detail->DevicePath, chars));
        wchar_t id[DeviceIdChars + 1] = {};
        if (CM_Get_Device_IDW(device.DevInst, id, DeviceIdChars, 0) == CR_SUCCESS) entry.deviceId = id;
      }
    }
    found.push_back(std::move(entry));
  }
  SetupDiDestroyDeviceInfoList(set);
  return found;
}

DeviceHandle Win32PedalDevices::open(const std::wstring& path, unsigned long& lastError) {
  SetLastError(0);
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  lastError = GetLastError();
  if (h == INVALID_HANDLE_VALUE) return InvalidDeviceHandle;
  return reinterpret_cast<DeviceHandle>(h);
}

ReadOutcome Win32PedalDevices::read(DeviceHandle handle, unsigned char* buffer, std::size_t size, unsigned timeoutMs) {
  HANDLE device = reinterpret_cast<HANDLE>(handle);
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!event) return {};
  OVERLAPPED ov{};
  ov.hEvent = event;
  ReadOutcome outcome;
  DWORD bytes = 0;
  if (ReadFile(device, buffer, static_cast<DWORD>(size), nullptr, &ov) || GetLastError() == ERROR_IO_PENDING) {
    if (WaitForSingleObject(event, timeoutMs) == WAIT_OBJECT_0) {
      outcome.completed = GetOverlappedResult(device, &ov, &bytes, TRUE) != FALSE;
    } else {
      CancelIo(device);
      // The record and the buffer stay in use until the cancelled read has
      // ended; a report that arrived meanwhile is kept.
      outcome.completed = GetOverlappedResult(device, &ov, &bytes, TRUE) != FALSE;
    }
    outcome.bytes = outcome.completed ? bytes : 0;
  }
  CloseHandle(event);
  return outcome;
}

void Win32PedalDevices::close(DeviceHandle handle) {
  if (handle != NoDeviceHandle && handle != InvalidDeviceHandle) CloseHandle(reinterpret_cast<HANDLE>(handle));
}

// --------------------------------------------------------------- stop event

bool Win32StopEvent::create(const std::wstring& name) {
  close();
  event_ = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
  return event_ != nullptr;
}

bool Win32StopEvent::wait(unsigned timeoutMs) {
  // A failed wait ends the watcher instead of spinning.
  return WaitForSingleObject(event_, timeoutMs) != WAIT_TIMEOUT;
}

void Win32StopEvent::set() {
  if (event_) SetEvent(event_);
}

void Win32StopEvent::close() {
  if (event_) CloseHandle(event_);
  event_ = nullptr;
}

// -------------------------------------------------------- foot-switch library

Win32FootSwitchLibrary::Win32FootSwitchLibrary(const wchar_t* dll) {
  module_ = LoadLibraryW(dll);
  if (!module_) return;
  open_ = reinterpret_cast<OpenFn>(reinterpret_cast<void*>(GetProcAddress(module_, "FsOpen")));
  close_ = reinterpret_cast<CloseFn>(reinterpret_cast<void*>(GetProcAddress(module_, "FsClose")));
}

Win32FootSwitchLibrary::~Win32FootSwitchLibrary() {
  if (module_) FreeLibrary(module_);
}

long Win32FootSwitchLibrary::FsOpen(FootSwitchId id, WindowRef window) {
  if (!open_) return -1;
  return open_(static_cast<LPARAM>(id), reinterpret_cast<HWND>(window));
}

void Win32FootSwitchLibrary::FsClose(FootSwitchId id) {
  if (close_) close_(static_cast<LPARAM>(id));
}

UINT FootSwitchDeviceChangeMessage() {
  static const UINT message = RegisterWindowMessageW(FootSwitchDeviceChangeMessageName);
  return message;
}

bool RouteFootSwitchMessage(CFootSwitch& footSwitch, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != 0 && message == FootSwitchDeviceChangeMessage()) {
    footSwitch.OnDeviceChange(wParam, static_cast<std::uintptr_t>(lParam));
    return true;
  }
  return footSwitch.OnButtonMessage(message, wParam, static_cast<std::uintptr_t>(lParam));
}

}  // namespace tolv
