#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "vcbridge/core/tests/fakes/FakeKernel.h"
#include "vcbridge/ipc/DSSSessionEventManager.h"

namespace vcb {
namespace {

using testing::ScopedFakeKernel;
using Manager = DSSSessionEventManager;

class SessionEventManager : public ::testing::Test {
 protected:
  ~SessionEventManager() override {
    if (Manager::exists()) Manager::destroy();
  }
  ScopedFakeKernel k;
};

TEST_F(SessionEventManager, TheFirstSubscriptionOfAWindowWins) {
  auto m = Manager::create();
  Manager::LockGuard g(*m);
  EXPECT_TRUE(m->subscribe(0x10010, 0xC002));
  EXPECT_FALSE(m->subscribe(0x10010, 0xC0FF));
  EXPECT_TRUE(m->subscribe(0x10020, 0xC0FF));
  EXPECT_EQ((Manager::SessionNoticeMap{{0x10010, 0xC002}, {0x10020, 0xC0FF}}), m->sessionNoticeMap());
}

TEST_F(SessionEventManager, RemovingAWindowThatIsNotSubscribedChangesNothing) {
  auto m = Manager::create();
  Manager::LockGuard g(*m);
  m->subscribe(0x10010, 0xC002);
  EXPECT_FALSE(m->unsubscribe(0x10030));
  EXPECT_EQ((Manager::SessionNoticeMap{{0x10010, 0xC002}}), m->sessionNoticeMap());
  EXPECT_TRUE(m->unsubscribe(0x10010));
  EXPECT_TRUE(m->idle());
  m->openWindows().insert(0x10040);
  EXPECT_FALSE(m->idle()) << "an open window keeps the relay busy";
}

TEST_F(SessionEventManager, TheNamedMutexLivesWithTheManagerAndIsNotOwned) {
  auto m = Manager::create();
  EXPECT_TRUE(m->hasNamedMutex());
  EXPECT_TRUE(k->objectExists(L"VARNETH_VCB_DSSSessionEventManager_MUTEX"));
  Handle other = k->createMutex(kSessionEventMutexName, false, Security::Default, nullptr);
  EXPECT_EQ(WaitResult::Signaled, k->wait(other, 0)) << "free for another holder";
  k->releaseMutex(other);
  k->closeHandle(other);
  m.reset();
  Manager::destroy();
  EXPECT_FALSE(k->objectExists(kSessionEventMutexName));
  EXPECT_EQ(0, k->openHandles());
}

// Three relay threads change the containers while a fourth copies the map;
// TSan reports any access outside the lock. Also without the named mutex.
TEST_F(SessionEventManager, ConcurrentUsersAreSerialised) {
  for (bool mutexFails : {false, true}) {
    SCOPED_TRACE(mutexFails ? "named mutex missing" : "named mutex");
    if (mutexFails) k->failNext("createMutex");
    auto m = Manager::create();
    EXPECT_EQ(!mutexFails, m->hasNamedMutex());
    constexpr int kRounds = 500;
    std::vector<std::thread> threads;
    for (WindowId t = 1; t <= 3; ++t) {
      threads.emplace_back([m, t] {
        for (int i = 0; i < kRounds; ++i) {
          Manager::LockGuard g(*m);
          WindowId w = t * 0x10000 + static_cast<WindowId>(i);
          m->subscribe(w, 0xC002);
          m->openWindows().insert(w);
          if (i % 2) {
            m->unsubscribe(w);
            m->openWindows().erase(w);
          }
        }
      });
    }
    threads.emplace_back([m] {
      for (int i = 0; i < kRounds; ++i) {
        for (const auto& [w, msg] : m->sessionNotices()) ASSERT_EQ(0xC002u, msg) << std::hex << w;
      }
    });
    for (auto& t : threads) t.join();
    auto copy = m->sessionNotices();
    EXPECT_EQ(size_t{3 * kRounds / 2}, copy.size());
    {
      Manager::LockGuard g(*m);
      EXPECT_EQ(size_t{3 * kRounds / 2}, m->openWindows().size());
      for (const auto& [w, msg] : copy) EXPECT_EQ(0u, (w & 0xFFFF) % 2) << std::hex << w;
    }
    m.reset();
    Manager::destroy();
  }
}

}  // namespace
}  // namespace vcb
