#include "tolv/pedals/tests/fakes/FakePedalDevices.h"

#include <chrono>
#include <cstdio>

namespace tolv::testing {

using Lock = std::lock_guard<std::mutex>;

FakePedalDevices::FakePedalDevices() { setTree(FakeNode{L"HTREE\\ROOT\\0", true, {}}); }

long FakePedalDevices::flatten(const FakeNode& node) {
  const long at = static_cast<long>(nodes_.size());
  nodes_.push_back({node.id, node.hasClassGuid});
  long previous = -1;
  for (const FakeNode& c : node.children) {
    const long child = flatten(c);
    if (previous < 0)
      nodes_[at].child = child;
    else
      nodes_[previous].sibling = child;
    previous = child;
  }
  return at;
}

void FakePedalDevices::setTree(const FakeNode& root) {
  Lock l(m_);
  nodes_.clear();
  flatten(root);
}

void FakePedalDevices::attach(const std::wstring& usbId, const std::wstring& hidId, const std::wstring& path) {
  Lock l(m_);
  const long at = static_cast<long>(nodes_.size());
  nodes_.push_back({usbId, true});
  // Last child of the root.
  long* link = &nodes_[0].child;
  while (*link >= 0) link = &nodes_[*link].sibling;
  *link = at;
  usb_.push_back({L"\\\\?\\usb#" + usbId, usbId, 160});
  if (!hidId.empty()) hid_.push_back({path, hidId, 160});
}

void FakePedalDevices::addInterface(InterfaceClass cls, DeviceInterface itf) {
  Lock l(m_);
  (cls == InterfaceClass::Usb ? usb_ : hid_).push_back(std::move(itf));
}

void FakePedalDevices::queueReport(const std::wstring& path, std::vector<unsigned char> report) {
  Lock l(m_);
  reports_[path].push_back(std::move(report));
}

void FakePedalDevices::failOpen(const std::wstring& path, unsigned long error) {
  Lock l(m_);
  openErrors_[path] = error;
}

void FakePedalDevices::setConnectResult(unsigned long cr) {
  Lock l(m_);
  connectResult_ = cr;
}

void FakePedalDevices::loopSiblings() {
  Lock l(m_);
  long last = nodes_[0].child;
  if (last < 0) return;
  while (nodes_[last].sibling >= 0) last = nodes_[last].sibling;
  nodes_[last].sibling = nodes_[0].child;
}

int FakePedalDevices::connects() const { Lock l(m_); return connects_; }
int FakePedalDevices::disconnects() const { Lock l(m_); return disconnects_; }
int FakePedalDevices::liveConnections() const { Lock l(m_); return connects_ - disconnects_; }
std::vector<std::wstring> FakePedalDevices::opened() const { Lock l(m_); return opened_; }
std::vector<DeviceHandle> FakePedalDevices::closed() const { Lock l(m_); return closed_; }
std::vector<unsigned> FakePedalDevices::readWaits() const { Lock l(m_); return readWaits_; }

unsigned long FakePedalDevices::connectMachine() {
  Lock l(m_);
  if (connectResult_ != 0) return connectResult_;
  ++connects_;
  return 0;
}

void FakePedalDevices::disconnectMachine() {
  Lock l(m_);
  ++disconnects_;
}

bool FakePedalDevices::rootNode(DevNode& node) {
  Lock l(m_);
  if (nodes_.empty()) return false;
  node = 0;
  return true;
}

bool FakePedalDevices::firstChild(DevNode node, DevNode& child) {
  Lock l(m_);
  if (node >= nodes_.size() || nodes_[node].child < 0) return false;
  child = static_cast<DevNode>(nodes_[node].child);
  return true;
}

bool FakePedalDevices::nextSibling(DevNode node, DevNode& sibling) {
  Lock l(m_);
  if (node >= nodes_.size() || nodes_[node].sibling < 0) return false;
  sibling = static_cast<DevNode>(nodes_[node].sibling);
  return true;
}

bool FakePedalDevices::hasClassGuid(DevNode node) {
  Lock l(m_);
  return node < nodes_.size() && nodes_[node].hasClassGuid;
}

std::wstring FakePedalDevices::deviceId(DevNode node) {
  Lock l(m_);
  return node < nodes_.size() ? nodes_[node].id : std::wstring();
}

std::vector<DeviceInterface> FakePedalDevices::presentInterfaces(InterfaceClass cls) {
  Lock l(m_);
  return cls == InterfaceClass::Usb ? usb_ : hid_;
}

DeviceHandle FakePedalDevices::open(const std::wstring& path, unsigned long& lastError) {
  Lock l(m_);
  opened_.push_back(path);
  const auto failure = openErrors_.find(path);
  if (failure != openErrors_.end()) {
    lastError = failure->second;
    return InvalidDeviceHandle;
  }
  lastError = 0;
  const DeviceHandle h = nextHandle_++;
  handles_[h] = path;
  return h;
}

ReadOutcome FakePedalDevices::read(DeviceHandle handle, unsigned char* buffer, std::size_t size, unsigned timeoutMs) {
  Lock l(m_);
  readWaits_.push_back(timeoutMs);
  const auto h = handles_.find(handle);
  if (h == handles_.end()) return {};
  auto& queue = reports_[h->second];
  if (queue.empty()) return {};
  const std::vector<unsigned char> report = std::move(queue.front());
  queue.pop_front();
  const std::size_t n = std::min(size, report.size());
  std::copy(report.begin(), report.begin() + static_cast<long>(n), buffer);
  return {true, n};
}

void FakePedalDevices::close(DeviceHandle handle) {
  Lock l(m_);
  closed_.push_back(handle);
  handles_.erase(handle);
}

// ---------------------------------------------------------------- stop event

bool FakeStopEvent::create(const std::wstring& name) {
  Lock l(m_);
  if (failCreate_) return false;
  name_ = name;
  return true;
}

bool FakeStopEvent::wait(unsigned timeoutMs) {
  std::unique_lock<std::mutex> l(m_);
  waits_.push_back(timeoutMs);
  cv_.notify_all();
  cv_.wait(l, [this] { return set_ || ticks_ > 0; });
  if (set_) return true;
  --ticks_;
  return false;
}

void FakeStopEvent::set() {
  Lock l(m_);
  set_ = true;
  cv_.notify_all();
}

void FakeStopEvent::close() {
  Lock l(m_);
  closed_ = true;
}

void FakeStopEvent::tick() {
  Lock l(m_);
  ++ticks_;
  cv_.notify_all();
}

bool FakeStopEvent::awaitWaits(std::size_t count) {
  std::unique_lock<std::mutex> l(m_);
  return cv_.wait_for(l, std::chrono::seconds(5), [&] { return waits_.size() >= count; });
}

std::vector<unsigned> FakeStopEvent::waits() const { Lock l(m_); return waits_; }
std::wstring FakeStopEvent::name() const { Lock l(m_); return name_; }
bool FakeStopEvent::closed() const { Lock l(m_); return closed_; }

// ------------------------------------------------------------------ recorders

void LockedTimers::setTimer(unsigned id, unsigned periodMs) {
  Lock l(m_);
  timers_[id] = periodMs;
  ++sets_[id];
}
void LockedTimers::killTimer(unsigned id) { Lock l(m_); timers_.erase(id); }
bool LockedTimers::isSet(unsigned id) const { Lock l(m_); return timers_.count(id) != 0; }
unsigned LockedTimers::period(unsigned id) const {
  Lock l(m_);
  const auto t = timers_.find(id);
  return t == timers_.end() ? 0 : t->second;
}
int LockedTimers::sets(unsigned id) const {
  Lock l(m_);
  const auto t = sets_.find(id);
  return t == sets_.end() ? 0 : t->second;
}

void LockedMessageBoxes::show(std::wstring_view text, MessageIcon) { Lock l(m_); texts_.emplace_back(text); }
std::vector<std::wstring> LockedMessageBoxes::texts() const { Lock l(m_); return texts_; }

static const char* ButtonName(TransportButton b) {
  switch (b) {
    case TransportButton::Play: return "PLAY";
    case TransportButton::Rew: return "REW";
    case TransportButton::Ff: return "FF";
    default: return "STOP";
  }
}

void RecordingTransport::SetHeld(TransportButton button, bool pressed) {
  Lock l(m_);
  calls_.push_back(std::string(pressed ? "hold " : "release ") + ButtonName(button));
}
void RecordingTransport::PlayToggle() { Lock l(m_); calls_.push_back("toggle"); }
void RecordingTransport::ApplySpeedAndVolume() { Lock l(m_); calls_.push_back("speed and volume"); }
std::vector<std::string> RecordingTransport::calls() const { Lock l(m_); return calls_; }
void RecordingTransport::clear() { Lock l(m_); calls_.clear(); }

long FakeFootSwitchLibrary::FsOpen(FootSwitchId id, WindowRef window) {
  opens.emplace_back(id, window);
  return openResult;
}

}  // namespace tolv::testing
