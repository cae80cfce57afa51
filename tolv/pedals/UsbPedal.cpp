#include "tolv/pedals/UsbPedal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>

#include "tolv/config/Settings.h"
#include "tolv/pedals/FootSwitch.h"

namespace tolv {

namespace {

// A device tree with more nodes than this is taken to be looping.
constexpr std::size_t MaxDeviceNodes = 20000;

void PrintDeviceId(const std::wstring& id) {
  std::string narrow;
  narrow.reserve(id.size());
  for (wchar_t c : id) narrow.push_back(c > 0 && c < 0x80 ? static_cast<char>(c) : '?');
  std::printf("DeviceId=%s\n", narrow.c_str());
  std::fflush(stdout);
}

}  // namespace

std::wstring HidKeyFromUsbId(const std::wstring& usbId) {
  const std::size_t start = usbId.find_first_not_of(L"USB");
  return L"HID" + (start == std::wstring::npos ? std::wstring() : usbId.substr(start));
}

std::wstring WithoutInstancePart(const std::wstring& deviceId) {
  const std::size_t cut = deviceId.rfind(L'\\');
  return cut == std::wstring::npos ? deviceId : deviceId.substr(0, cut);
}

CUsbPedal::CUsbPedal(IPedalDevices& devices, IStopEvent& stopEvent, ITimerPort& timers, IMessageBoxes& messages,
                     IPedalTransport& transport, std::wstring stopEventName)
    : devices_(devices),
      stopEvent_(stopEvent),
      timers_(timers),
      messages_(messages),
      transport_(transport),
      stopEventName_(std::move(stopEventName)) {}

CUsbPedal::~CUsbPedal() {
  if (watcher_.joinable()) StopPedalWatcher();
}

bool CUsbPedal::pedalOpen() const {
  const DeviceHandle h = pedalHandle_.load();
  return h != NoDeviceHandle && h != InvalidDeviceHandle;
}

// ------------------------------------------------------------------ watcher

void CUsbPedal::StartPedalWatcher() {
  if (watcher_.joinable()) return;
  // Without its stop event the watcher could never be ended.
  if (!stopEvent_.create(stopEventName_)) return;
  stopEventValid_ = true;
  std::promise<void> done;
  watcherDone_ = done.get_future();
  watcher_ = std::thread([this, done = std::move(done)]() mutable {
    WatcherLoop();
    done.set_value();
  });
}

void CUsbPedal::WatcherLoop() {
  do {
    ConnectUsbPedal();
  } while (!stopEvent_.wait(PedalSearchPeriodMs));
}

void CUsbPedal::StopPedalWatcher() {
  if (watcher_.joinable() && stopEventValid_) {
    stopEvent_.set();
    if (watcherDone_.wait_for(std::chrono::milliseconds(PedalWatcherStopWaitMs)) == std::future_status::ready)
      watcher_.join();
    else
      watcher_.detach();  // held up in a message box; the process is ending
    stopEvent_.close();
    stopEventValid_ = false;
  }
  if (footSwitch_) footSwitch_->Close();
  if (pedalOpen()) {
    timers_.killTimer(PedalTimerId);
    devices_.close(pedalHandle_.load());
  }
  if (machineConnected_) {
    devices_.disconnectMachine();
    machineConnected_ = false;
  }
}

// ------------------------------------------------------------------- search

void CUsbPedal::ConnectUsbPedal() {
  // Once a pedal is open, or an open has failed, this run of the program searches no more.
  if (pedalHandle_.load() != NoDeviceHandle) return;

  if (!ConnectMachine()) return;
  RebuildDeviceIdList();

  bool opened = false;
  if (Attempt(L"05F3")) {
    vecPedalLayout = true;
    opened = true;
  } else if (Attempt(L"07B4")) {
    vecPedalLayout = false;
    opened = true;
  } else if (pedalHandle_.load() == InvalidDeviceHandle && Attempt(L"VEC USB")) {
    vecPedalLayout = true;
    opened = true;
  }
  if (opened) {
    // Last: the user-interface thread reads the pedal only once its timer runs.
    timers_.setTimer(PedalTimerId, PedalTimerPeriodMs);
    return;
  }
  // One connection per attempt, not one more every second.
  devices_.disconnectMachine();
  machineConnected_ = false;
}

bool CUsbPedal::ConnectConfigurationManager() {
  if (!ConnectMachine()) return false;
  // The watcher connects for each attempt of its own.
  devices_.disconnectMachine();
  machineConnected_ = false;
  return true;
}

bool CUsbPedal::ConnectMachine() {
  const unsigned long cr = devices_.connectMachine();
  if (cr != 0) {
    wchar_t text[80];
    std::swprintf(text, sizeof text / sizeof text[0], L"Machine Connection failed, cr= %lx(hex)\n", cr);
    messages_.show(text, MessageIcon::Error);
    return false;
  }
  machineConnected_ = true;
  return true;
}

bool CUsbPedal::Attempt(const wchar_t* key) {
  pedalSearchKey = key;
  FindAndOpenPedal();
  return pedalOpen();
}

void CUsbPedal::RebuildDeviceIdList() {
  deviceIdList.clear();
  DevNode root = 0;
  if (!devices_.rootNode(root)) return;
  // Depth first: a node, then its children, then its later siblings.
  std::vector<DevNode> pending{root};
  std::size_t visited = 0;
  while (!pending.empty() && visited < MaxDeviceNodes) {
    const DevNode node = pending.back();
    pending.pop_back();
    ++visited;
    if (devices_.hasClassGuid(node)) deviceIdList.push_back(devices_.deviceId(node));
    std::vector<DevNode> children;
    DevNode child = 0;
    if (devices_.firstChild(node, child)) {
      do {
        children.push_back(child);
      } while (children.size() < MaxDeviceNodes && devices_.nextSibling(child, child));
    }
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
}

std::wstring CUsbPedal::FindAndOpenPedal() {
  std::wstring key;
  for (const DeviceInterface& usb : devices_.presentInterfaces(InterfaceClass::Usb)) {
    if (usb.detailSize == 0 || usb.detailSize > MaxInterfaceDetailSize) continue;
    PrintDeviceId(usb.deviceId);
    if (usb.deviceId.find(pedalSearchKey) == std::wstring::npos) continue;
    if (std::find(deviceIdList.begin(), deviceIdList.end(), usb.deviceId) == deviceIdList.end()) continue;
    key = HidKeyFromUsbId(usb.deviceId);
    break;
  }
  if (key.empty()) return key;

  for (const DeviceInterface& hid : devices_.presentInterfaces(InterfaceClass::Hid)) {
    const std::wstring device = WithoutInstancePart(hid.deviceId);
    // An empty identity would match every key.
    if (hid.path.empty() || device.empty() || key.find(device) == std::wstring::npos) continue;
    unsigned long lastError = 0;
    pedalHandle_.store(devices_.open(hid.path, lastError));
    if (lastError != 0)
      messages_.show(L"Failed to connect error: " + std::to_wstring(lastError) + hid.path, MessageIcon::Error);
    break;
  }
  return key;
}

// --------------------------------------------------------------------- read

bool CUsbPedal::OnTimer(unsigned id) {
  if (id != PedalTimerId) return false;
  ReadPedalReport();
  return true;
}

void CUsbPedal::ReadPedalReport() {
  if (!pedalOpen()) return;
  const ReadOutcome read = devices_.read(pedalHandle_.load(), pedalReport.data(), pedalReport.size(), PedalReadWaitMs);
  if (!read.completed) return;
  const std::size_t at = vecPedalLayout ? 1 : 3;
  // A report too short to hold the state byte is dropped like a failed read.
  if (read.bytes <= at) return;
  OnPedalState(pedalReport[at]);
}

void CUsbPedal::OnPedalState(int state) {
  // Every all-up report releases, repeated or not; other states act once.
  if (state != 0 && state == lastPedalState) return;
  lastPedalState = state;
  ApplyPedalAction(transport_, UsbPedalAction(state));
}

}  // namespace tolv
