#pragma once
// Fakes of the pedal ports: a device tree with USB and HID interfaces and
// queued reports, a stop event stepped by the test, and thread-safe
// recorders for the timers, message boxes and transport calls. Everything
// here may be touched by the watcher thread and the test at once.
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "tolv/pedals/FootSwitch.h"
#include "tolv/pedals/PedalDevices.h"
#include "tolv/pedals/PedalMapping.h"
#include "tolv/playback/TolvForm.h"

namespace tolv::testing {

struct FakeNode {
  std::wstring id;
  bool hasClassGuid = true;
  std::vector<FakeNode> children;
};

class FakePedalDevices : public IPedalDevices {
 public:
  FakePedalDevices();

  // --- set-up ---
  void setTree(const FakeNode& root);
  // Adds a node under the root with a USB interface, and, when hidId is not
  // empty, a HID interface at `path` whose reports the test queues.
  void attach(const std::wstring& usbId, const std::wstring& hidId, const std::wstring& path);
  void addInterface(InterfaceClass cls, DeviceInterface itf);
  void queueReport(const std::wstring& path, std::vector<unsigned char> report);
  void failOpen(const std::wstring& path, unsigned long error);
  void setConnectResult(unsigned long cr);
  // Turns the sibling chain into a loop, as a broken tree might.
  void loopSiblings();

  // --- observation ---
  int connects() const;
  int disconnects() const;
  int liveConnections() const;
  std::vector<std::wstring> opened() const;
  std::vector<DeviceHandle> closed() const;
  std::vector<unsigned> readWaits() const;

  // --- IPedalDevices ---
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
  struct Flat {
    std::wstring id;
    bool hasClassGuid;
    long child = -1, sibling = -1;
  };
  long flatten(const FakeNode& node);

  mutable std::mutex m_;
  std::vector<Flat> nodes_;
  std::vector<DeviceInterface> usb_, hid_;
  std::map<std::wstring, std::deque<std::vector<unsigned char>>> reports_;
  std::map<std::wstring, unsigned long> openErrors_;
  std::map<DeviceHandle, std::wstring> handles_;
  unsigned long connectResult_ = 0;
  int connects_ = 0, disconnects_ = 0;
  std::vector<std::wstring> opened_;
  std::vector<DeviceHandle> closed_;
  std::vector<unsigned> readWaits_;
  DeviceHandle nextHandle_ = 0x100;
};

// Each wait blocks until the test lets it time out (tick) or the event is set.
class FakeStopEvent : public IStopEvent {
 public:
  bool create(const std::wstring& name) override;
  bool wait(unsigned timeoutMs) override;
  void set() override;
  void close() override;

  void failCreate() { failCreate_ = true; }
  // Lets one wait time out.
  void tick();
  // Blocks until `count` waits have begun (false after 5 s).
  bool awaitWaits(std::size_t count);
  std::vector<unsigned> waits() const;
  std::wstring name() const;
  bool closed() const;

 private:
  mutable std::mutex m_;
  std::condition_variable cv_;
  std::wstring name_;
  bool set_ = false, closed_ = false, failCreate_ = false;
  int ticks_ = 0;
  std::vector<unsigned> waits_;
};

class LockedTimers : public ITimerPort {
 public:
  void setTimer(unsigned id, unsigned periodMs) override;
  void killTimer(unsigned id) override;
  bool isSet(unsigned id) const;
  unsigned period(unsigned id) const;
  int sets(unsigned id) const;

 private:
  mutable std::mutex m_;
  std::map<unsigned, unsigned> timers_;
  std::map<unsigned, int> sets_;
};

class LockedMessageBoxes : public IMessageBoxes {
 public:
  void show(std::wstring_view text, MessageIcon icon) override;
  std::vector<std::wstring> texts() const;

 private:
  mutable std::mutex m_;
  std::vector<std::wstring> texts_;
};

// Transport calls as text: "hold REW", "release FF", "toggle", "speed and volume".
class RecordingTransport : public IPedalTransport {
 public:
  void SetHeld(TransportButton button, bool pressed) override;
  void PlayToggle() override;
  void ApplySpeedAndVolume() override;
  std::vector<std::string> calls() const;
  void clear();

 private:
  mutable std::mutex m_;
  std::vector<std::string> calls_;
};

class FakeFootSwitchLibrary : public IFootSwitchLibrary {
 public:
  bool present = true;
  long openResult = 0;
  std::vector<std::pair<FootSwitchId, WindowRef>> opens;
  std::vector<FootSwitchId> closes;

  bool available() override { return present; }
  long FsOpen(FootSwitchId id, WindowRef window) override;
  void FsClose(FootSwitchId id) override { closes.push_back(id); }
};

}  // namespace tolv::testing
