#include "vcbridge/channels/CFAEventObserver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "vcbridge/channels/VirtualChannel_CFA.h"
#include "vcbridge/channels/tests/fakes/FakeCfaTransport.h"
#include "vcbridge/channels/tests/Waiting.h"
#include "vcbridge/channels/tests/fakes/FakeSessionPlatform.h"
#include "vcbridge/core/tests/fakes/FakeKernel.h"

namespace vcb {
namespace {

using testing::FakeCfaTransport;
using testing::returnsSoon;
using testing::waitFor;

uint32_t word(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
void setWord(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

// Plays the application's side of the CFA segment: fill the block under the
// mutex, release it, signal the request, wait for the response.
class CfaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform->cfa = transport;
    request.reset(kernel->createEvent(L"VARNETH_DSS_SMEM_CFA_REQUEST", false, false, Security::Default));
    response.reset(kernel->createEvent(L"VARNETH_DSS_SMEM_CFA_RESPONCE", false, false, Security::Default));
  }
  void TearDown() override {
    transport->CancelReads(true);  // a test that failed may have left a read waiting
    if (observer) {
      observer->stop();
      observer->join();
    }
    observer.reset();
    CFAEventObserver::destroy();
    channel.reset();
    VirtualChannel_CFA::destroy();
  }
  void startRelay() {
    channel = VirtualChannel_CFA::create();
    channel->Open();
    observer = CFAEventObserver::create();
    ASSERT_TRUE(observer->hasSegment());
    observer->start();
    segment = kernel->mappingBytes(L"VARNETH_DSS_SMEM_CFA", &segmentSize);
    ASSERT_NE(nullptr, segment);
    mutex.reset(kernel->createMutex(L"VARNETH_DSS_SMEM_CFA_MUTEX", false, Security::Default, nullptr));
  }
  // Returns whether the relay answered within the time limit.
  bool ask(uint32_t code, uint32_t length = 0, uint32_t timeout = 0, const std::vector<uint8_t>& data = {}) {
    kernel->wait(mutex.get(), kInfinite);
    setWord(segment + CfaLayout::request, code);
    setWord(segment + CfaLayout::length, length);
    setWord(segment + CfaLayout::timeout, timeout);
    if (!data.empty()) std::memcpy(segment + CfaLayout::data, data.data(), data.size());
    kernel->releaseMutex(mutex.get());
    kernel->setEvent(request.get());
    return kernel->wait(response.get(), 5000) == WaitResult::Signaled;
  }

  // Leaves a request and signals it without waiting for the answer.
  void post(uint32_t code, uint32_t timeout) {
    kernel->wait(mutex.get(), kInfinite);
    setWord(segment + CfaLayout::request, code);
    setWord(segment + CfaLayout::timeout, timeout);
    setWord(segment + CfaLayout::result, 0xFFFFFFFF);
    kernel->releaseMutex(mutex.get());
    kernel->setEvent(request.get());
  }
  uint32_t result() {
    kernel->wait(mutex.get(), kInfinite);
    uint32_t r = word(segment + CfaLayout::result);
    kernel->releaseMutex(mutex.get());
    return r;
  }
  testing::ScopedFakeKernel kernel;
  testing::ScopedFakeSessionPlatform platform;
  boost::shared_ptr<FakeCfaTransport> transport{new FakeCfaTransport};
  boost::shared_ptr<VirtualChannel_CFA> channel;
  boost::shared_ptr<CFAEventObserver> observer;
  KernelHandle request, response, mutex;
  uint8_t* segment = nullptr;
  uint32_t segmentSize = 0;
};

TEST_F(CfaTest, TheRelayMakesTheSegmentWhenNoApplicationDid) {
  startRelay();
  EXPECT_EQ(kSegmentSize, segmentSize);
}

TEST_F(CfaTest, ReadOnAnIdleChannelReportsFailureAndAZeroFilledBlock) {
  startRelay();
  std::memset(segment + CfaLayout::data, 0xAA, 4000);
  setWord(segment + CfaLayout::result, 77);
  ASSERT_TRUE(ask(CfaRead, 0, 500));
  EXPECT_EQ(0u, word(segment + CfaLayout::result));
  EXPECT_EQ(2048u, word(segment + CfaLayout::length));
  EXPECT_EQ(0u, word(segment + CfaLayout::bytesRead));
  EXPECT_EQ(std::vector<uint8_t>(2048, 0), std::vector<uint8_t>(segment + 20, segment + 20 + 2048));
  EXPECT_EQ(0xAA, segment[20 + 2048]) << "nothing past the 2048-byte data area is touched";
  EXPECT_EQ("read 500", transport->calls().back()) << "the application's time-out reaches the transport";
}

TEST_F(CfaTest, ReadDeliversTheBytesAndTheirCount) {
  transport->reads.push_back({'h', 'e', 'l', 'l', 'o'});
  startRelay();
  ASSERT_TRUE(ask(CfaRead, 0, 100));
  EXPECT_EQ(1u, word(segment + CfaLayout::result));
  EXPECT_EQ(5u, word(segment + CfaLayout::bytesRead));
  EXPECT_EQ(0, std::memcmp(segment + 20, "hello\0", 6));
}

TEST_F(CfaTest, WriteSendsExactlyTheGivenLengthAndStoresTheResult) {
  struct Case { uint32_t length; bool transportOk; uint32_t result; size_t sent; } cases[] = {
      {10, true, 1, 10}, {10, false, 0, 10}, {0, true, 1, 0}, {19980, true, 1, 19980},
      {19981, true, 0, 0}, {0xFFFFFFFF, true, 0, 0}};
  startRelay();
  std::vector<uint8_t> data(19980);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 7);
  for (const auto& c : cases) {
    transport->writeResult = c.transportOk;
    size_t before = transport->writes().size();
    ASSERT_TRUE(ask(CfaWrite, c.length, 0, data)) << c.length;
    EXPECT_EQ(c.result, word(segment + CfaLayout::result)) << c.length;
    auto writes = transport->writes();
    if (c.length > CfaLayout::maxWrite) {
      EXPECT_EQ(before, writes.size()) << "an over-long write is refused, never read past the segment";
    } else {
      ASSERT_EQ(before + 1, writes.size());
      EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.begin() + c.sent), writes.back());
    }
  }
}

TEST_F(CfaTest, RefreshAndAnUnknownCodeAreAnsweredToo) {
  startRelay();
  ASSERT_TRUE(ask(CfaRefresh));
  EXPECT_EQ("refresh", transport->calls().back());
  std::vector<uint8_t> before(segment, segment + 64);
  ASSERT_TRUE(ask(3)) << "an invalid request id still gets its response";
  before[0] = 3;  // only the request word the test itself wrote differs
  EXPECT_EQ(before, std::vector<uint8_t>(segment, segment + 64));
}

TEST_F(CfaTest, WithoutATransportRequestsFailButAreAnswered) {
  platform->chooseSession(SessionLocal);
  startRelay();
  ASSERT_TRUE(ask(CfaRead, 0, 10));
  EXPECT_EQ(0u, word(segment + CfaLayout::result));
  ASSERT_TRUE(ask(CfaWrite, 4));
  EXPECT_EQ(0u, word(segment + CfaLayout::result));
  ASSERT_TRUE(ask(CfaRefresh));
  EXPECT_TRUE(transport->calls().empty());
}

TEST_F(CfaTest, WithoutASegmentTheThreadEndsAndNeverAnswers) {
  kernel->failNext("openFileMapping");
  kernel->failNext("createFileMapping");
  channel = VirtualChannel_CFA::create();
  observer = CFAEventObserver::create();
  EXPECT_FALSE(observer->hasSegment());
  observer->start();
  observer->join();
  EXPECT_FALSE(observer->isRunning());
  kernel->setEvent(request.get());
  EXPECT_EQ(WaitResult::Timeout, kernel->wait(response.get(), 50));
}

TEST_F(CfaTest, StopWhileIdleEndsTheThread) {
  startRelay();
  observer->stop();
  observer->join();  // the loop notices within one 1000 ms wait
  EXPECT_FALSE(observer->isRunning());
}

// An application may ask for a read that waits as long as it likes: a stop
// or a reopen cancels it, and the request is answered as failed.
TEST_F(CfaTest, AStopOrAReopenEndsAReadThatWouldWaitForEver) {
  for (const bool reopen : {true, false}) {
    SCOPED_TRACE(reopen ? "reopen" : "stop");
    transport->waitingReads = true;
    if (!observer) startRelay();
    post(CfaRead, kInfinite);
    ASSERT_TRUE(waitFor([&] { return transport->waitingNow() == 1; }));
    const auto calls = transport->calls().size();
    if (reopen) {
      ASSERT_TRUE(returnsSoon([&] { channel->Reopen(); }, [&] { transport->CancelReads(true); }))
          << "the reopen waited for the read";
    } else {
      ASSERT_TRUE(returnsSoon([&] {
        observer->stop();
        observer->join();
      }, [&] { transport->CancelReads(true); })) << "the stop waited for the read";
    }
    ASSERT_EQ(WaitResult::Signaled, kernel->wait(response.get(), 5000));
    EXPECT_EQ(0u, result()) << "the read failed";
    if (reopen) {
      const auto all = transport->calls();
      EXPECT_EQ((std::vector<std::string>{"close", "open"}), std::vector<std::string>(all.begin() + calls, all.end()));
      // The new connection's reads wait again.
      transport->reads.push_back({1, 2, 3});
      ASSERT_TRUE(ask(CfaRead, 0, 100));
      EXPECT_EQ(1u, result());
    }
  }
}

TEST_F(CfaTest, AStopDoesNotWaitForASegmentMutexAnApplicationKeeps) {
  startRelay();
  std::atomic<bool> held{false}, letGo{false};
  std::thread app([&] {
    kernel->wait(mutex.get(), kInfinite);
    held = true;
    while (!letGo) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    kernel->releaseMutex(mutex.get());
  });
  ASSERT_TRUE(waitFor([&] { return held.load(); }));
  kernel->setEvent(request.get());  // and the application never lets go
  EXPECT_TRUE(returnsSoon([&] {
    observer->stop();
    observer->join();
  }, [&] { letGo = true; }));
  letGo = true;
  app.join();
  EXPECT_EQ(WaitResult::Timeout, kernel->wait(response.get(), 0)) << "nothing was carried out";
}

}  // namespace
}  // namespace vcb
