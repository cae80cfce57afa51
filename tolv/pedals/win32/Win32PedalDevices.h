#pragma once
// The pedal device layer on Windows: the configuration manager for the
// device tree, SetupAPI for the USB and HID interfaces, overlapped ReadFile
// for reports; the stop event of the watcher; the foot-switch library bound
// by name at run time.
#include <windows.h>

#include <string>

#include "tolv/pedals/FootSwitch.h"
#include "tolv/pedals/PedalDevices.h"

namespace tolv {

class Win32PedalDevices : public IPedalDevices {
 public:
  Win32PedalDevices() = default;
  ~Win32PedalDevices() override;
  Win32PedalDevices(const Win32PedalDevices&) = delete;
  Win32PedalDevices& operator=(const Win32PedalDevices&) = delete;

  unsigned long connectMachine() override;
  void disconnectMachine() override;
  bool rootNode(DevNode& node) override;
  bool firstChild(DevNode node, DevNode& child) override;
  bool nextSibling(DevNode node, DevNode& sibling) override;
  bool hasClassGuid(DevNode node) override;
  std::wstring deviceId(DevNode node) override;
  std::vector<DeviceInterface> presentInterfaces(InterfaceClass cls) override;
  DeviceHandle open(const std::wstring& path, unsigned long& lastError) override;
  ReadOutcome read(DeviceHandle handle, unsigned char* buffer, std::size_t size, unsigned timeoutMs) override;
  void close(DeviceHandle handle) override;

 private:
  // HMACHINE of the connection; null when not connected.
  void* machine_ = nullptr;
};

class Win32StopEvent : public IStopEvent {
 public:
  ~Win32StopEvent() override { close(); }
  bool create(const std::wstring& name) override;
  bool wait(unsigned timeoutMs) override;
  void set() override;
  void close() override;

 private:
  HANDLE event_ = nullptr;
};

// The maker's foot-switch library, looked up beside the program and on the search path.
inline constexpr wchar_t FootSwitchLibraryName[] = L"VarnethFootSwitch.dll";

class Win32FootSwitchLibrary : public IFootSwitchLibrary {
 public:
  explicit Win32FootSwitchLibrary(const wchar_t* dll = FootSwitchLibraryName);
  ~Win32FootSwitchLibrary() override;
  Win32FootSwitchLibrary(const Win32FootSwitchLibrary&) = delete;
  Win32FootSwitchLibrary& operator=(const Win32FootSwitchLibrary&) = delete;

  bool available() override { return open_ && close_; }
  long FsOpen(FootSwitchId id, WindowRef window) override;
  void FsClose(FootSwitchId id) override;

 private:
  using OpenFn = LONG(WINAPI*)(LPARAM footSwitch, HWND window);
  using CloseFn = LONG(WINAPI*)(LPARAM footSwitch);
  HMODULE module_ = nullptr;
  OpenFn open_ = nullptr;
  CloseFn close_ = nullptr;
};

// The registered device-change message of the foot-switch library.
UINT FootSwitchDeviceChangeMessage();

// For the view's window procedure: routes the foot-switch messages; false for others.
bool RouteFootSwitchMessage(CFootSwitch& footSwitch, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tolv
