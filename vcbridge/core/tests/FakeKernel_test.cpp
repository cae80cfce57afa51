#include "vcbridge/core/tests/fakes/FakeKernel.h"

#include <gtest/gtest.h>

#include <thread>

namespace vcb::testing {
namespace {

// Windows frees a mutex whose owning thread ended (WAIT_ABANDONED, which the
// port reports as signalled); the fake must not leave later waiters stuck.
TEST(FakeKernel, AMutexLeftOwnedByAnEndedThreadCanBeTaken) {
  ScopedFakeKernel k;
  Handle created = nullptr;
  Handle locked = k->createMutex(L"abandoned_by_lock", false, Security::Default, nullptr);
  std::thread owner([&] {
    created = k->createMutex(L"abandoned_by_create", true, Security::Default, nullptr);
    ASSERT_EQ(WaitResult::Signaled, k->wait(locked, 0));
  });
  owner.join();
  EXPECT_EQ(WaitResult::Signaled, k->wait(created, 1000));
  EXPECT_EQ(WaitResult::Signaled, k->wait(locked, 1000));

  // Threads of the port itself count as ended only after they let go.
  Handle viaPort = k->createMutex(L"abandoned_by_port_thread", false, Security::Default, nullptr);
  Handle thread = k->createThread([&] { return k->wait(viaPort, 0) == WaitResult::Signaled ? 0u : 1u; },
                                  nullptr);
  ASSERT_EQ(WaitResult::Signaled, k->wait(thread, 5000));
  EXPECT_EQ(WaitResult::Signaled, k->wait(viaPort, 0));
  for (Handle h : {created, locked, viaPort, thread}) k->closeHandle(h);
  EXPECT_EQ(0, k->openHandles());
}

}  // namespace
}  // namespace vcb::testing
