#include "vcbridge/channels/VirtualChannel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <map>
#include <thread>
#include <vector>

#include "vcbridge/channels/tests/Packets.h"
#include "vcbridge/channels/tests/Waiting.h"
#include "vcbridge/channels/tests/fakes/FakeSessionPlatform.h"
#include "vcbridge/core/Exception.h"
#include "vcbridge/core/tests/fakes/FakeKernel.h"

namespace vcb {
namespace {

using testing::FakeDssTransport;
using testing::headerOf;
using testing::makeMessage;
using testing::ScopedFakeSessionPlatform;

int32_t constructionFailure() {
  try {
    VirtualChannel vc;
  } catch (const Exception& e) {
    return e.code;
  }
  return 0;
}

TEST(VirtualChannelConstruction, TakesTheTransportOfTheSessionOrFails) {
  struct Case {
    const char* name;
    void (*arrange)(testing::FakeSessionPlatform&);
    int32_t failure;
    std::vector<SessionType> asked;
  } cases[] = {
      {"remote desktop", [](auto& p) { p.chooseSession(SessionRemoteDesktop); }, 0,
       {SessionRemoteDesktop}},
      {"citrix", [](auto& p) { p.chooseSession(SessionCitrix); }, 0, {SessionCitrix}},
      {"local", [](auto& p) { p.chooseSession(SessionLocal); }, 31, {}},
      {"station unknown", [](auto& p) { p.stationQueryFails = true; }, 31, {}},
      {"no transport", [](auto& p) { p.dss.reset(); }, 4, {SessionRemoteDesktop}},
      {"transport throws", [](auto& p) { p.dssThrows = 4; }, 4, {SessionRemoteDesktop}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedFakeSessionPlatform platform;
    c.arrange(*platform);
    EXPECT_EQ(c.failure, constructionFailure());
    EXPECT_EQ(c.asked, platform->dssRequests());
    EXPECT_FALSE(VirtualChannel::exists());
  }
}

TEST(VirtualChannelConstruction, OpensThroughTheTransportAndClosesItWhenDestroyed) {
  ScopedFakeSessionPlatform platform;
  boost::shared_ptr<FakeDssTransport> t = platform->dss;
  {
    boost::shared_ptr<VirtualChannel> vc = VirtualChannel::create();
    EXPECT_EQ(t, vc->transport());
    EXPECT_TRUE(vc->Open());
    EXPECT_TRUE(t->IsOpen());
    EXPECT_EQ(0, t->closeCalls());
    VirtualChannel::destroy();
  }
  EXPECT_EQ(1, t->closeCalls());
  EXPECT_FALSE(t->IsOpen());

  t->setOpenResult(false);
  VirtualChannel vc;
  EXPECT_FALSE(vc.Open());
}

class VirtualChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    transport = platform->dss;
    vc.reset(new VirtualChannel);
    ASSERT_TRUE(vc->Open());
  }

  // (sequenceNo, fragmentFirst) of every packet written so far.
  std::vector<std::pair<uint32_t, uint32_t>> sent() {
    std::vector<std::pair<uint32_t, uint32_t>> r;
    for (const CBinary& p : transport->written())
      r.emplace_back(headerOf(p).sequenceNo, headerOf(p).fragmentFirst);
    return r;
  }

  testing::ScopedFakeKernel kernel;
  ScopedFakeSessionPlatform platform;
  boost::shared_ptr<FakeDssTransport> transport;
  std::unique_ptr<VirtualChannel> vc;
};

using Sent = std::vector<std::pair<uint32_t, uint32_t>>;

TEST_F(VirtualChannelTest, WritesEveryPacketOfAMessageInOrder) {
  EXPECT_TRUE(vc->Write(makeMessage(100)));
  EXPECT_TRUE(vc->Write(makeMessage(4000)));
  EXPECT_EQ((Sent{{1, 0}, {2, 1}, {2, 1557}, {2, 3113}}), sent());
}

TEST_F(VirtualChannelTest, AFailedPacketIsSentBeforeTheNextMessageWhichIsRefused) {
  transport->failWriteCall(2);
  EXPECT_FALSE(vc->Write(makeMessage(4000)));
  EXPECT_EQ((Sent{{1, 1}}), sent());

  EXPECT_FALSE(vc->Write(makeMessage(10))) << "the leftovers go, this message does not";
  EXPECT_EQ((Sent{{1, 1}, {1, 1557}, {1, 3113}}), sent());

  EXPECT_TRUE(vc->Write(makeMessage(10)));
  EXPECT_EQ((Sent{{1, 1}, {1, 1557}, {1, 3113}, {2, 0}}), sent());
}

TEST_F(VirtualChannelTest, AFailureWhileFlushingLeavesTheRestQueued) {
  transport->failWriteCall(2);
  transport->failWriteCall(3);
  EXPECT_FALSE(vc->Write(makeMessage(4000)));
  EXPECT_FALSE(vc->Write(makeMessage(10)));
  EXPECT_EQ((Sent{{1, 1}}), sent());
  EXPECT_FALSE(vc->Write(makeMessage(10)));
  EXPECT_TRUE(vc->Write(makeMessage(10)));
  EXPECT_EQ((Sent{{1, 1}, {1, 1557}, {1, 3113}, {2, 0}}), sent());
}

TEST_F(VirtualChannelTest, AReopenDropsThePacketsLeftFromTheOldConnection) {
  transport->failWriteCall(2);
  EXPECT_FALSE(vc->Write(makeMessage(4000)));
  EXPECT_TRUE(vc->Reopen());
  EXPECT_TRUE(vc->Write(makeMessage(10))) << "the new connection starts with the next message";
  EXPECT_EQ((Sent{{1, 1}, {2, 0}}), sent());
}

// The read loop learns from this whether the connection died under a
// session that still looks connected.
TEST_F(VirtualChannelTest, OnlyAHardReadFailureCountsAsAFailedChannelUntilTheReopen) {
  transport->setLastErrorThroughKernel(true);
  struct Case {
    uint32_t error;
    bool failed;
  } cases[] = {{kWaitTimeout, false}, {kErrorIoIncomplete, false}, {kErrorOperationAborted, false},
               {FakeDssTransport::kErrorInvalidHandle, true}, {109, true}};
  CBinary buffer(2048);
  uint32_t n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    transport->pushReadFailure(c.error);
    EXPECT_FALSE(vc->Read(buffer, n, 3000));
    EXPECT_EQ(c.failed, vc->readFailed());
    if (c.failed) {
      ASSERT_TRUE(vc->Reopen());
      EXPECT_FALSE(vc->readFailed());
    }
  }
}

TEST_F(VirtualChannelTest, AReopenCancelsAReadThatWouldWaitForEverAndCountsANewConnection) {
  transport->setLastErrorThroughKernel(true);
  CBinary buffer(2048);
  uint32_t n = 0, before = 0, after = 0;
  bool ok = true;
  uint32_t error = 0;
  std::thread reader([&] {
    ok = vc->Read(buffer, n, kInfinite, &before);
    error = kernel->lastError();
  });
  ASSERT_TRUE(testing::waitFor([&] { return transport->readCalls() == 1; }));
  EXPECT_TRUE(testing::returnsSoon([&] { EXPECT_TRUE(vc->Reopen()); }, [&] { transport->CancelReads(true); }))
      << "the reopen waited for the read";
  reader.join();
  EXPECT_FALSE(ok);
  EXPECT_EQ(kErrorOperationAborted, error);
  EXPECT_FALSE(vc->readFailed()) << "a cancellation is no failure";

  transport->pushRead(makeMessage(4));
  ASSERT_TRUE(vc->Read(buffer, n, kInfinite, &after)) << "reads wait again after the reopen";
  EXPECT_EQ(before + 1, after);
  EXPECT_EQ(2, transport->openCalls());
}

TEST_F(VirtualChannelTest, WhileReadsAreHeldAReadFailsWithoutAskingTheTransport) {
  transport->pushRead(makeMessage(4));
  vc->holdReads();
  vc->holdReads();
  CBinary buffer(2048);
  uint32_t n = 0;
  EXPECT_FALSE(vc->Read(buffer, n, kInfinite));
  EXPECT_EQ(kErrorOperationAborted, kernel->lastError());
  EXPECT_EQ(0, transport->readCalls());
  vc->releaseReads();
  EXPECT_FALSE(vc->Read(buffer, n, kInfinite)) << "one hold is left";
  vc->releaseReads();
  EXPECT_TRUE(vc->Read(buffer, n, kInfinite));
}

TEST_F(VirtualChannelTest, ReadsOnePacketWithTheCallersTimeout) {
  transport->pushRead(makeMessage(20, 1000));
  CBinary buffer(2048);
  uint32_t bytesRead = 99;
  ASSERT_TRUE(vc->Read(buffer, bytesRead, 3000));
  EXPECT_EQ(64u, bytesRead);
  EXPECT_EQ(2048u, buffer.size());
  EXPECT_EQ(1000u, headerOf(buffer).command);
  EXPECT_EQ(3000u, transport->lastReadTimeout());

  transport->pushReadFailure(996);
  EXPECT_FALSE(vc->Read(buffer, bytesRead, 3000));
  EXPECT_EQ(0u, bytesRead);
  EXPECT_EQ(996u, transport->lastError());
}

// A gate that a transport hook waits at until the test opens it.
class Gate {
 public:
  void waitHere() {
    std::unique_lock<std::mutex> l(m_);
    arrived_ = true;
    cv_.notify_all();
    cv_.wait(l, [&] { return open_; });
  }
  bool awaitArrival() {
    std::unique_lock<std::mutex> l(m_);
    return cv_.wait_for(l, std::chrono::seconds(5), [&] { return arrived_; });
  }
  void open() {
    std::lock_guard<std::mutex> g(m_);
    open_ = true;
    cv_.notify_all();
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool arrived_ = false, open_ = false;
};

TEST_F(VirtualChannelTest, ABlockedReadDoesNotHoldUpAWrite) {
  Gate gate;
  transport->onRead([&] { gate.waitHere(); });
  transport->pushRead(makeMessage(0, 132));
  std::thread reader([&] {
    CBinary buffer(2048);
    uint32_t n = 0;
    vc->Read(buffer, n, 3000);
  });
  ASSERT_TRUE(gate.awaitArrival());
  auto write = std::async(std::launch::async, [&] { return vc->Write(makeMessage(4000)); });
  const bool finished = write.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
  gate.open();
  reader.join();
  ASSERT_TRUE(finished) << "the write waited for the read";
  EXPECT_TRUE(write.get());
}

TEST_F(VirtualChannelTest, AReopenWaitsForTheWriteInProgress) {
  Gate gate;
  transport->onWrite([&](const CBinary&) { gate.waitHere(); });
  auto write = std::async(std::launch::async, [&] { return vc->Write(makeMessage(4000)); });
  ASSERT_TRUE(gate.awaitArrival());
  transport->onWrite(nullptr);
  auto reopen = std::async(std::launch::async, [&] { return vc->Reopen(); });
  // Give an unguarded reopen the chance to run into the write.
  EXPECT_EQ(std::future_status::timeout, reopen.wait_for(std::chrono::milliseconds(50)));
  gate.open();
  EXPECT_TRUE(write.get());
  EXPECT_TRUE(reopen.get());
  EXPECT_FALSE(transport->openCloseOverlappedIo());
  EXPECT_EQ(3u, transport->written().size());
  EXPECT_EQ(1, transport->closeCalls());
  EXPECT_TRUE(transport->IsOpen());
}

TEST_F(VirtualChannelTest, ConcurrentWritersAndAReaderKeepEachMessageWhole) {
  transport->setIdleReadLimit(1);
  constexpr int kPerWriter = 200;
  std::atomic<bool> stop{false};
  std::atomic<int> reads{0};
  std::thread reader([&] {
    CBinary buffer(2048);
    uint32_t n = 0;
    while (!stop) {
      if (vc->Read(buffer, n, 3000)) ++reads;
    }
  });
  std::thread feeder([&] {
    for (int i = 0; i < kPerWriter && !stop; ++i) transport->pushRead(makeMessage(8, 1000));
  });
  auto writer = [&] {
    int ok = 0;
    for (int i = 0; i < kPerWriter; ++i) ok += vc->Write(makeMessage(4000)) ? 1 : 0;
    return ok;
  };
  auto a = std::async(std::launch::async, writer);
  auto b = std::async(std::launch::async, writer);
  EXPECT_EQ(kPerWriter, a.get());
  EXPECT_EQ(kPerWriter, b.get());
  feeder.join();
  stop = true;
  reader.join();

  EXPECT_FALSE(transport->writesOverlapped());
  const Sent s = sent();
  ASSERT_EQ(size_t(2 * kPerWriter * 3), s.size());
  for (size_t i = 0; i < s.size(); i += 3) {
    EXPECT_EQ((Sent{{s[i].first, 1}, {s[i].first, 1557}, {s[i].first, 3113}}),
              Sent(s.begin() + i, s.begin() + i + 3))
        << "message at packet " << i;
    EXPECT_EQ(uint32_t(i / 3 + 1), s[i].first);
  }
}

}  // namespace
}  // namespace vcb
