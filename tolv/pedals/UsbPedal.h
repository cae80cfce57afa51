#pragma once
// The USB pedal reader: a background thread looks for a VEC ("05F3",
// "VEC USB") or "07B4" pedal once per second until one is open; the view's
// pedal timer then reads it every 100 ms on the user-interface thread and
// hands each new state to the pedal mapping.
#include <array>
#include <atomic>
#include <cstdint>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "tolv/pedals/PedalDevices.h"
#include "tolv/pedals/PedalMapping.h"
#include "tolv/playback/TolvForm.h"

namespace tolv {

class CFootSwitch;

constexpr unsigned PedalTimerId = 113;
constexpr unsigned PedalTimerPeriodMs = 100;
constexpr unsigned PedalSearchPeriodMs = 1000;
constexpr unsigned PedalReadWaitMs = 50;
constexpr unsigned PedalWatcherStopWaitMs = 5000;
constexpr std::size_t PedalReportSize = 10;
// Interface details larger than this are skipped.
constexpr std::size_t MaxInterfaceDetailSize = 1024;
inline constexpr wchar_t PedalShutdownEventName[] = L"VurodizeShutdownEvent";

class CUsbPedal {
 public:
  // `messages` shows the connection errors (titled "Error"); it is called on the watcher thread.
  CUsbPedal(IPedalDevices& devices, IStopEvent& stopEvent, ITimerPort& timers, IMessageBoxes& messages,
            IPedalTransport& transport, std::wstring stopEventName = PedalShutdownEventName);
  ~CUsbPedal();
  CUsbPedal(const CUsbPedal&) = delete;
  CUsbPedal& operator=(const CUsbPedal&) = delete;

  // Closed at shutdown, after the watcher.
  void setFootSwitch(CFootSwitch* footSwitch) { footSwitch_ = footSwitch; }

  // The view's start-up check of the configuration manager: false (after the
  // error message) when it cannot be reached, and the view skips the rest of
  // its initialisation.
  bool ConnectConfigurationManager();
  void StartPedalWatcher();
  void StopPedalWatcher();
  // One search-and-open attempt (the watcher's body).
  void ConnectUsbPedal();
  // Looks for pedalSearchKey; returns the HID key built from the matched
  // identity, empty when no USB device matched.
  std::wstring FindAndOpenPedal();
  // One read step of the pedal timer.
  void ReadPedalReport();
  // Routes the view's WM_TIMER; true when the id was the pedal timer's.
  bool OnTimer(unsigned id);

  DeviceHandle pedalHandle() const { return pedalHandle_.load(); }
  bool pedalOpen() const;

  // --- state of the search, written by the watcher ---
  std::wstring pedalSearchKey;
  std::vector<std::wstring> deviceIdList;
  std::array<unsigned char, PedalReportSize> pedalReport{};
  int lastPedalState = -1;

 private:
  void WatcherLoop();
  void RebuildDeviceIdList();
  bool Attempt(const wchar_t* key);
  void OnPedalState(int state);
  bool ConnectMachine();

  IPedalDevices& devices_;
  IStopEvent& stopEvent_;
  ITimerPort& timers_;
  IMessageBoxes& messages_;
  IPedalTransport& transport_;
  std::wstring stopEventName_;
  CFootSwitch* footSwitch_ = nullptr;

  std::atomic<DeviceHandle> pedalHandle_{NoDeviceHandle};
  bool machineConnected_ = false;
  bool stopEventValid_ = false;
  std::thread watcher_;
  std::future<void> watcherDone_;
};

// "USB\VID_05F3&PID_00FF\5&1" -> "HID\VID_05F3&PID_00FF\5&1": leading U, S and B stripped, "HID" put in front.
std::wstring HidKeyFromUsbId(const std::wstring& usbId);
// The identity up to its last backslash; the whole identity when it has none.
std::wstring WithoutInstancePart(const std::wstring& deviceId);

}  // namespace tolv
