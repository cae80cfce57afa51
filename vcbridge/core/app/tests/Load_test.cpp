// The whole relay on fakes under load: four applications with 2500 requests
// each, while the session drops and comes back twice. Every request must be
// answered (with resultCode 9 while the channel is down), in its own
// segment, and nothing may be lost. Runs under TSan as well.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "vcbridge/channels/ChunkAssembler.h"
#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/channels/tests/fakes/FakeCfaTransport.h"
#include "vcbridge/channels/tests/fakes/FakeSessionPlatform.h"
#include "vcbridge/core/Kernel.h"
#include "vcbridge/core/app/Application.h"
#include "vcbridge/core/app/tests/fakes/FakeInstallPort.h"
#include "vcbridge/core/tests/fakes/FakeKernel.h"
#include "vcbridge/ipc/SessionObserver.h"
#include "vcbridge/ipc/SharedMemory.h"
#include "vcbridge/ipc/tests/fakes/FakeWindowSystem.h"

namespace vcb {
namespace {

constexpr int kApps = 4;
constexpr int kRequestsPerApp = 2500;
constexpr uint32_t kCommand = 5;

// The client side of the DSS channel in process: reassembles what the relay
// writes, echoes each message back as a response (cut into packets like the
// real client), and can drop the session. Responses already on their way
// survive a drop, as the client would hold them; a half-received message
// does not survive the reconnection.
class LoopbackClient : public IVirtualChannel {
 public:
  bool Open() override {
    std::lock_guard<std::mutex> g(lock_);
    ++opens;
    open_ = !down_;
    // A new connection starts with no half-received message.
    receiver_ = ChunkAssembler();
    return open_;
  }
  void Close() override {
    std::lock_guard<std::mutex> g(lock_);
    open_ = false;
  }
  bool Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs) override {
    std::unique_lock<std::mutex> g(lock_);
    bytesRead = 0;
    if (!arrived_.wait_for(g, std::chrono::milliseconds(std::min<uint32_t>(timeoutMs, 50)),
                           [&] { return !packets_.empty() || cancelled_; })) {
      kernel().setLastError(kWaitTimeout);
      return false;
    }
    if (packets_.empty()) {
      kernel().setLastError(kErrorOperationAborted);
      return false;
    }
    CBinary p = packets_.front();
    packets_.pop_front();
    bytesRead = std::min(p.size(), buffer.size());
    buffer.write(0, p.data(), bytesRead);
    return true;
  }
  bool Write(const CBinary& packet) override {
    std::lock_guard<std::mutex> g(lock_);
    if (down_ || !open_) return false;
    CBinary buffer(2048);
    buffer.write(0, packet.data(), packet.size());
    if (auto message = receiver_.AddPacket(buffer, packet.size())) {
      PacketHeader h;
      h.readFrom(*message);
      CBinary response(message->data(), PacketHeader::kSize + h.dataLength);
      if (!sender_.TakeMessage(response)) return false;
      while (sender_.hasUnsentPackets()) {
        packets_.push_back(sender_.currentPacket());
        sender_.NextPacket();
      }
      arrived_.notify_one();
    }
    return true;
  }
  bool IsOpen() override {
    std::lock_guard<std::mutex> g(lock_);
    return open_;
  }
  int32_t GetConnectState() override {
    std::lock_guard<std::mutex> g(lock_);
    return down_ ? kConnectStateDisconnected : 0;
  }
  void CancelReads(bool cancel) override {
    std::lock_guard<std::mutex> g(lock_);
    cancelled_ = cancel;
    arrived_.notify_all();
  }
  void setDown(bool down) {
    std::lock_guard<std::mutex> g(lock_);
    down_ = down;
    if (down) open_ = false;
  }
  std::atomic<int> opens{0};

 private:
  std::mutex lock_;
  std::condition_variable arrived_;
  std::deque<CBinary> packets_;
  ChunkAssembler receiver_, sender_;
  bool open_ = false, down_ = false, cancelled_ = false;
};

// Completion messages to application windows, one queue per window.
class RoutingPort : public IMessagePort {
 public:
  uint32_t registerMessage(const std::wstring& name) override {
    std::lock_guard<std::mutex> g(lock_);
    auto it = numbers_.find(name);
    if (it != numbers_.end()) return it->second;
    return numbers_[name] = 0xC000 + uint32_t(numbers_.size());
  }
  bool post(WindowId window, uint32_t message, uintptr_t, intptr_t lparam) override {
    std::lock_guard<std::mutex> g(lock_);
    queues_[window].push_back({message, lparam});
    posted_.notify_all();
    return true;
  }
  // The next post to window, or false after the time-out.
  bool take(WindowId window, std::pair<uint32_t, intptr_t>& out, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> g(lock_);
    if (!posted_.wait_for(g, timeout, [&] { return !queues_[window].empty(); })) return false;
    out = queues_[window].front();
    queues_[window].pop_front();
    return true;
  }

 private:
  std::mutex lock_;
  std::condition_variable posted_;
  std::map<std::wstring, uint32_t> numbers_;
  std::map<WindowId, std::deque<std::pair<uint32_t, intptr_t>>> queues_;
};

struct AppResult {
  int answered = 0, failedSends = 0, wrong = 0, lost = 0;
};

TEST(RelayUnderLoad, FourApplicationsThroughTwoDisconnections) {
  testing::ScopedFakeKernel kernel;
  testing::ScopedFakeSessionPlatform platform;
  testing::ScopedFakeWindowSystem windows;
  RoutingPort port;
  setMessagePort(&port);
  registerMessages();
  boost::shared_ptr<LoopbackClient> client(new LoopbackClient);
  platform->dss.reset();
  platform->dssOverride = client;
  platform->cfa.reset(new testing::FakeCfaTransport);
  testing::FakeInstallPort install;

  Application app(install, 20);
  std::thread relay([&] { app.InitInstance(); });
  WindowHandle relayWindow = nullptr;
  for (int i = 0; i < 1000 && !(relayWindow = windows->findWindow(kMessageWindowClass, kMessageWindowClass)); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_NE(nullptr, relayWindow);

  // Before the request handler is registered the relay drops requests: ask
  // with command 0 (answered by the relay itself) until it answers.
  {
    KernelHandle mapping(kernel->createFileMapping(segmentName(1, 98), kSegmentSize, Security::Default));
    PacketHeader h;
    h.replyWindow = 0x98;
    h.segmentKeyA = 1;
    h.segmentKeyB = 98;
    h.writeTo(kernel->mappingBytes(segmentName(1, 98)), kSegmentSize);
    std::pair<uint32_t, intptr_t> done;
    bool ready = false;
    for (int attempt = 0; attempt < 100 && !ready; ++attempt) {
      windows->post(relayWindow, registeredMessages().command, 1, 98);
      ready = port.take(0x98, done, std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(ready);
  }

  std::atomic<int> progress{0};
  std::vector<AppResult> results(kApps);
  std::vector<std::thread> apps;
  for (int a = 0; a < kApps; ++a) {
    apps.emplace_back([&, a] {
      const int32_t keyA = 7000 + a, keyB = a + 1;
      const WindowId me = 0x1000 + a;
      KernelHandle mapping(kernel->createFileMapping(segmentName(keyA, keyB), kSegmentSize, Security::Default));
      uint8_t* seg = kernel->mappingBytes(segmentName(keyA, keyB));
      AppResult& r = results[a];
      for (int i = 0; i < kRequestsPerApp; ++i) {
        const uint32_t length = (i % 3 == 0) ? 4000 : 16;
        PacketHeader h;
        h.command = kCommand;
        h.dataLength = length;
        h.replyWindow = me;
        h.segmentKeyA = keyA;
        h.segmentKeyB = keyB;
        std::memset(seg, 0, PacketHeader::kSize + length);
        h.writeTo(seg, kSegmentSize);
        for (uint32_t b = 0; b < length; ++b) seg[PacketHeader::kSize + b] = uint8_t(a * 31 + i + b);
        std::pair<uint32_t, intptr_t> done;
        windows->post(relayWindow, registeredMessages().command, keyA, keyB);
        const bool answered = port.take(me, done, std::chrono::seconds(20));
        if (!answered) {
          ++r.lost;
          continue;
        }
        PacketHeader got;
        got.readFrom(seg, kSegmentSize);
        bool mine = done.second == keyB && got.segmentKeyA == uint32_t(keyA) && got.segmentKeyB == uint32_t(keyB);
        for (uint32_t b = 0; mine && b < length; ++b) mine = seg[PacketHeader::kSize + b] == uint8_t(a * 31 + i + b);
        if (!mine) ++r.wrong;
        else if (got.resultCode == 9) {
          ++r.failedSends;
          std::this_thread::sleep_for(std::chrono::milliseconds(1));  // as an application would, before trying again
        }
        else ++r.answered;
        ++progress;
      }
    });
  }

  // Two disconnections: each lasts until the session observer has seen it,
  // and the next waits until the observer has reopened the channel.
  auto waitUntil = [](const std::function<bool()>& cond) {
    for (int i = 0; i < 20000 && !cond(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return cond();
  };
  for (int cycle : {2000, 6000}) {
    waitUntil([&] { return progress >= cycle; });
    int opensBefore = client->opens.load();
    client->setDown(true);
    EXPECT_TRUE(waitUntil([&] { return !SessionObserver::get()->connected(); }));
    client->setDown(false);
    EXPECT_TRUE(waitUntil([&] { return client->opens.load() > opensBefore; })) << "reopened after the reconnection";
  }
  for (auto& t : apps) t.join();

  // End the relay the way an application does: command 134.
  {
    KernelHandle mapping(kernel->createFileMapping(segmentName(1, 99), kSegmentSize, Security::Default));
    PacketHeader h;
    h.command = 134;
    h.replyWindow = 0x99;
    h.segmentKeyA = 1;
    h.segmentKeyB = 99;
    h.writeTo(kernel->mappingBytes(segmentName(1, 99)), kSegmentSize);
    windows->post(relayWindow, registeredMessages().command, 1, 99);
    relay.join();
  }
  app.ExitInstance();
  setMessagePort(nullptr);

  int answered = 0, failed = 0;
  for (int a = 0; a < kApps; ++a) {
    SCOPED_TRACE(a);
    EXPECT_EQ(0, results[a].lost);
    EXPECT_EQ(0, results[a].wrong) << "an answer landed in the wrong segment or was garbled";
    EXPECT_EQ(kRequestsPerApp, results[a].answered + results[a].failedSends);
    answered += results[a].answered;
    failed += results[a].failedSends;
  }
  EXPECT_GT(failed, 0) << "requests made while the channel was down come back with resultCode 9";
  EXPECT_GT(answered, kApps * kRequestsPerApp / 2);
}

}  // namespace
}  // namespace vcb
