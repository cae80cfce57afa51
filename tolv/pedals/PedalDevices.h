#pragma once
// The device layer under the USB pedal reader: the configuration manager's
// device tree, the present device interfaces, and a device opened for
// overlapped reads. The Win32 adapter (win32/Win32PedalDevices.h) talks to
// cfgmgr32, SetupAPI and HID; tests feed trees and reports through a fake.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tolv {

using DevNode = std::uint32_t;
using DeviceHandle = std::uintptr_t;
constexpr DeviceHandle NoDeviceHandle = 0;
// What an open that failed leaves behind (the platform's invalid handle).
constexpr DeviceHandle InvalidDeviceHandle = ~DeviceHandle{0};

enum class InterfaceClass {
  Usb,  // {A5DCBF10-6530-11D2-901F-00C04FB951ED}
  Hid,  // HidD_GetHidGuid
};

struct DeviceInterface {
  std::wstring path;        // what open() takes
  std::wstring deviceId;    // instance identity of the interface's device node
  std::size_t detailSize;   // bytes the interface detail record needs
};

struct ReadOutcome {
  bool completed = false;   // false: timed out, cancelled or failed
  std::size_t bytes = 0;
};

class IPedalDevices {
 public:
  virtual ~IPedalDevices() = default;

  // Connects to the configuration manager of the local machine; 0 or the CR code.
  virtual unsigned long connectMachine() = 0;
  virtual void disconnectMachine() = 0;

  // Device tree of the connected machine. False: no such node.
  virtual bool rootNode(DevNode& node) = 0;
  virtual bool firstChild(DevNode node, DevNode& child) = 0;
  virtual bool nextSibling(DevNode node, DevNode& sibling) = 0;
  // True when the node has a setup class identifier.
  virtual bool hasClassGuid(DevNode node) = 0;
  virtual std::wstring deviceId(DevNode node) = 0;

  // The present interfaces of a class, in the system's order.
  virtual std::vector<DeviceInterface> presentInterfaces(InterfaceClass cls) = 0;

  // Opens a path for overlapped reads; lastError is the platform's code afterwards (0 = none).
  virtual DeviceHandle open(const std::wstring& path, unsigned long& lastError) = 0;
  // One overlapped read of up to `size` bytes, waiting at most timeoutMs;
  // cancels the pending read when the wait ends without it.
  virtual ReadOutcome read(DeviceHandle handle, unsigned char* buffer, std::size_t size, unsigned timeoutMs) = 0;
  virtual void close(DeviceHandle handle) = 0;
};

// The named manual-reset event that ends the watcher.
class IStopEvent {
 public:
  virtual ~IStopEvent() = default;
  virtual bool create(const std::wstring& name) = 0;
  // True when the event is set, false when timeoutMs passed.
  virtual bool wait(unsigned timeoutMs) = 0;
  virtual void set() = 0;
  virtual void close() = 0;
};

}  // namespace tolv
