#include "vcbridge/ipc/SessionObserver.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "vcbridge/core/tests/fakes/FakeKernel.h"
#include "vcbridge/ipc/DSSSessionEventManager.h"
#include "vcbridge/ipc/tests/fakes/FakeMessagePort.h"

namespace vcb {
namespace {

using testing::FakeMessagePort;

// Connect states per turn, and a log of the reopen calls.
class ScriptedChannels : public ISessionChannels {
 public:
  std::deque<bool> connected;
  std::vector<std::string> calls;
  bool sessionConnected() override {
    bool c = connected.empty() ? true : connected.front();
    if (!connected.empty()) connected.pop_front();
    return c;
  }
  bool failed = false;  // a channel read failed; cleared by the reopen
  bool channelFailed() override { return failed; }
  void reopenDss() override {
    calls.push_back("dss");
    failed = false;
  }
  void reopenCfa() override { calls.push_back("cfa"); }
};

class SessionObserverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    manager = DSSSessionEventManager::create();
    observer = SessionObserver::create(channels, 10);
  }
  void TearDown() override {
    observer.reset();
    SessionObserver::destroy();
    manager.reset();
    DSSSessionEventManager::destroy();
  }
  void subscribe(WindowId w, uint32_t msg) {
    DSSSessionEventManager::LockGuard g(*manager);
    manager->subscribe(w, msg);
  }
  void unsubscribe(WindowId w) {
    DSSSessionEventManager::LockGuard g(*manager);
    manager->unsubscribe(w);
  }
  std::vector<FakeMessagePort::Post> takePosts() {
    auto p = port->posts();
    port->clear();
    return p;
  }
  static FakeMessagePort::Post notice(WindowId w, uint32_t msg, uintptr_t wparam) {
    return {w, msg, wparam, 0, true};
  }

  testing::ScopedFakeKernel kernel;
  testing::ScopedFakeMessagePort port;
  ScriptedChannels channels;
  boost::shared_ptr<DSSSessionEventManager> manager;
  boost::shared_ptr<SessionObserver> observer;
};

// A drop shorter than one poll is never seen as a disconnection, but the
// channels died with it: a failed read while connected reopens them.
TEST_F(SessionObserverTest, AFailedReadWhileConnectedReopensBothChannelsWithoutNotices) {
  subscribe(0x200, 0xC200);
  observer->turn();
  EXPECT_TRUE(channels.calls.empty());
  channels.failed = true;
  observer->turn();
  EXPECT_EQ((std::vector<std::string>{"dss", "cfa"}), channels.calls);
  EXPECT_TRUE(takePosts().empty()) << "nobody was told of a disconnection";
  observer->turn();
  EXPECT_EQ(2u, channels.calls.size()) << "once per failure";
  EXPECT_TRUE(observer->connected());
}

TEST_F(SessionObserverTest, DisconnectedNoticesEachTurnThenOneConnectedAgainNotice) {
  subscribe(0x300, 0xC100);
  subscribe(0x200, 0xC200);
  channels.connected = {true, false, false, true, true};

  observer->turn();
  EXPECT_TRUE(takePosts().empty()) << "nothing while connected";

  using P = std::vector<FakeMessagePort::Post>;
  observer->turn();
  EXPECT_EQ((P{notice(0x200, 0xC200, 0), notice(0x300, 0xC100, 0)}), takePosts())
      << "ascending window order, WPARAM 0";
  EXPECT_FALSE(observer->connected());
  observer->turn();
  EXPECT_EQ((P{notice(0x200, 0xC200, 0), notice(0x300, 0xC100, 0)}), takePosts());
  EXPECT_TRUE(channels.calls.empty());

  observer->turn();
  EXPECT_EQ((std::vector<std::string>{"dss", "cfa"}), channels.calls) << "both channels reopened";
  EXPECT_EQ((P{notice(0x200, 0xC200, 1), notice(0x300, 0xC100, 1)}), takePosts());
  EXPECT_TRUE(observer->connected());

  observer->turn();
  EXPECT_TRUE(takePosts().empty()) << "the connected-again notice goes out once";
  EXPECT_EQ(2u, channels.calls.size()) << "no reopen while the session stays connected";
}

TEST_F(SessionObserverTest, SubscribingWhileDisconnectedGetsNoticesFromTheNextTurn) {
  channels.connected = {false, false, true};
  observer->turn();
  EXPECT_TRUE(takePosts().empty());
  subscribe(0x10, 0xC300);
  observer->turn();
  EXPECT_EQ(1u, port->postsTo(0x10).size());
  port->clear();
  observer->turn();
  auto posts = takePosts();
  ASSERT_EQ(1u, posts.size());
  EXPECT_EQ(1u, posts[0].wparam);
}

TEST_F(SessionObserverTest, UnsubscribingWhileDisconnectedGetsNoConnectedAgainNotice) {
  subscribe(0x10, 0xC300);
  subscribe(0x20, 0xC300);
  channels.connected = {false, true};
  observer->turn();
  port->clear();
  unsubscribe(0x10);
  observer->turn();
  auto posts = takePosts();
  ASSERT_EQ(1u, posts.size());
  EXPECT_EQ(0x20u, posts[0].window);
  EXPECT_EQ(1u, posts[0].wparam);
}

TEST_F(SessionObserverTest, AReconnectionWithNobodyNotifiedStillReopens) {
  channels.connected = {false, true};
  observer->turn();
  observer->turn();
  EXPECT_EQ((std::vector<std::string>{"dss", "cfa"}), channels.calls);
  EXPECT_TRUE(takePosts().empty());
}

TEST_F(SessionObserverTest, AGoneWindowDoesNotStopTheOthers) {
  subscribe(0x10, 0xC300);
  subscribe(0x20, 0xC300);
  port->windowGone(0x10);
  channels.connected = {false};
  observer->turn();
  EXPECT_EQ(1u, port->delivered().size());
  EXPECT_EQ(0x20u, port->delivered()[0].window);
}

TEST_F(SessionObserverTest, ClearingTheRunningFlagEndsTheThreadWithinAPoll) {
  subscribe(0x10, 0xC300);
  channels.connected.assign(1000000, false);  // read only by the observer's thread from here on
  observer->start();
  ASSERT_TRUE(port->waitForPosts(2)) << "the thread polls again and again";
  observer->setRunning(false);
  EXPECT_NO_THROW(observer->join());
}

}  // namespace
}  // namespace vcb
