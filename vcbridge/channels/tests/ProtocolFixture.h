#pragma once
#include <gtest/gtest.h>
#include <boost/shared_ptr.hpp>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/channels/VirtualChannel.h"
#include "vcbridge/channels/VirtualChannelObserver.h"
#include "vcbridge/channels/tests/LogCapture.h"
#include "vcbridge/channels/tests/fakes/FakeSessionPlatform.h"
#include "vcbridge/core/tests/fakes/FakeKernel.h"
#include "vcbridge/ipc/DSSSessionEventManager.h"
#include "vcbridge/ipc/SharedMemory.h"
#include "vcbridge/ipc/tests/fakes/FakeMessagePort.h"

// The relay's DSS side on fakes: kernel, message port, session platform with
// an open fake transport, and the process-wide objects the handlers use.
namespace vcb::testing {

constexpr WindowId kAppWindow = 0x000A0B0C;
constexpr int32_t kKeyA = 1234;
constexpr int32_t kKeyB = 5;
constexpr uint32_t kCommandMsg = 0xC000;  // "WMSZ_DSS_COMMAND" on the fake port
constexpr uint32_t kNotifyMsg = 0xC001;   // "WMSZ_DSS_NOTIFY"
constexpr WindowId kRelayWindow = 0x00120034;  // the relay's own message window in these tests

// A DSS message: header routed to the application, then the data words.
inline CBinary dssMessage(uint32_t command, std::vector<uint32_t> words = {}, WindowId window = kAppWindow,
                          int32_t keyA = kKeyA, int32_t keyB = kKeyB) {
  const uint32_t dataLength = static_cast<uint32_t>(words.size() * 4);
  CBinary m(PacketHeader::kSize + dataLength);
  PacketHeader h;
  h.command = command;
  h.dataLength = dataLength;
  h.fragmentLast = dataLength;
  h.replyWindow = window;
  h.segmentKeyA = static_cast<uint32_t>(keyA);
  h.segmentKeyB = static_cast<uint32_t>(keyB);
  h.writeTo(m);
  for (size_t i = 0; i < words.size(); ++i) m.setWord(PacketHeader::kSize + 4 * uint32_t(i), words[i]);
  return m;
}

inline PacketHeader headerOf(const CBinary& b) {
  PacketHeader h;
  h.readFrom(b);
  return h;
}

inline FakeMessagePort::Post completion(int32_t keyB = kKeyB, WindowId window = kAppWindow) {
  return {window, kCommandMsg, 0, keyB, true};
}

inline FakeMessagePort::Post notification(uint32_t slot, WindowId window = kAppWindow) {
  return {window, kNotifyMsg, 0, static_cast<intptr_t>(slot), true};
}

// Records the pauses of the read loop (sleeps, and waits of a second or
// more) instead of taking them in full.
class PauseRecordingKernel : public FakeKernel {
 public:
  void sleep(uint32_t ms) override {
    record(ms);
    FakeKernel::sleep(ms < 20 ? ms : 20);
  }
  WaitResult wait(Handle h, uint32_t ms) override {
    std::function<void()> hook;
    {
      std::lock_guard<std::mutex> g(pausesLock_);
      auto name = mutexNames_.find(h);
      if (name != mutexNames_.end()) {
        auto it = lockHooks_.find(name->second);
        if (it != lockHooks_.end()) {
          hook = std::move(it->second);
          lockHooks_.erase(it);
        }
      }
    }
    if (hook) hook();
    if (ms == kInfinite || ms < 1000) return FakeKernel::wait(h, ms);
    record(ms);
    return FakeKernel::wait(h, 20);
  }
  void record(uint32_t ms) {
    std::lock_guard<std::mutex> g(pausesLock_);
    pauses_.push_back(ms);
  }
  // Runs hook once, on the thread that next waits for the named mutex,
  // just before that thread waits: another thread "got there first".
  void beforeNextLock(const std::wstring& name, std::function<void()> hook) {
    std::lock_guard<std::mutex> g(pausesLock_);
    lockHooks_[name] = std::move(hook);
  }
  Handle createMutex(const std::wstring& name, bool initialOwner, Security sec, bool* existed) override {
    Handle h = FakeKernel::createMutex(name, initialOwner, sec, existed);
    std::lock_guard<std::mutex> g(pausesLock_);
    if (h) mutexNames_[h] = name;
    return h;
  }
  std::vector<uint32_t> pauses() {
    std::lock_guard<std::mutex> g(pausesLock_);
    return pauses_;
  }

 private:
  std::mutex pausesLock_;
  std::vector<uint32_t> pauses_;
  std::map<Handle, std::wstring> mutexNames_;
  std::map<std::wstring, std::function<void()>> lockHooks_;
};

class ProtocolTest : public ::testing::Test {
 protected:
  ProtocolTest() {
    setKernel(&k);
    transport = platform->dss;
    transport->setLastErrorThroughKernel(true);
    VirtualChannel::create()->Open();
    DSSSessionEventManager::create();
    Singleton<SharedMemoryManager>::create()->initialise();
    VirtualChannelObserver::create();
    setRelayWindow(kRelayWindow);
  }

  ~ProtocolTest() override {
    if (VirtualChannelObserver::exists()) {
      VirtualChannelObserver::get()->stop();
      VirtualChannelObserver::destroy();
    }
    if (VirtualChannel::exists()) VirtualChannel::destroy();
    DSSSessionEventManager::destroy();
    if (Singleton<SharedMemoryManager>::exists()) {
      Singleton<SharedMemoryManager>::get()->clear();
      Singleton<SharedMemoryManager>::destroy();
    }
    setRelayWindow(0);
    for (auto& [name, mapping] : segments_) {
      k.unmapView(mapping.view);
      k.closeHandle(mapping.handle);
    }
    setKernel(nullptr);
  }

  // The application's segment (made on first use, as the application does).
  uint8_t* segment(int32_t keyA = kKeyA, int32_t keyB = kKeyB) {
    auto& s = segments_[segmentName(keyA, keyB)];
    if (!s.handle) {
      s.handle = k.createFileMapping(segmentName(keyA, keyB), kSegmentSize, Security::NullDaclInheritable);
      s.view = static_cast<uint8_t*>(k.mapView(s.handle));
    }
    return s.view;
  }
  // Leaves a request in the segment its header names.
  void leave(const CBinary& request) {
    PacketHeader h = headerOf(request);
    uint8_t* view = segment(int32_t(h.segmentKeyA), int32_t(h.segmentKeyB));
    std::memset(view, 0, kSegmentSize);
    std::memcpy(view, request.data(), request.size());
  }
  CBinary contents(uint32_t n, int32_t keyA = kKeyA, int32_t keyB = kKeyB) {
    return CBinary(segment(keyA, keyB), n);
  }
  static bool same(const CBinary& a, const CBinary& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size()) == 0;
  }

  boost::shared_ptr<VirtualChannelObserver> observer() { return VirtualChannelObserver::get(); }
  boost::shared_ptr<DSSSessionEventManager> manager() { return DSSSessionEventManager::get(); }
  std::vector<FakeMessagePort::Post> posts() { return port->posts(); }

  LogCapture logs;
  PauseRecordingKernel k;
  ScopedFakeMessagePort port;
  ScopedFakeSessionPlatform platform;
  boost::shared_ptr<FakeDssTransport> transport;

 private:
  struct Mapping {
    Handle handle = nullptr;
    uint8_t* view = nullptr;
  };
  std::map<std::wstring, Mapping> segments_;
};

}  // namespace vcb::testing
