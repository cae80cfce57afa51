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

// Measured under Wine, as on Windows: a mapping's name goes with its last
// handle even while a view still holds the bytes.
TEST(FakeKernel, ANameGoesWithTheLastHandle) {
  ScopedFakeKernel k;
  Handle mapping = k->createFileMapping(L"named_segment", 16, Security::Default);
  void* view = k->mapView(mapping);
  ASSERT_NE(nullptr, view);
  k->closeHandle(mapping);
  EXPECT_FALSE(k->objectExists(L"named_segment"));
  EXPECT_EQ(nullptr, k->openFileMapping(L"named_segment"));
  Handle fresh = k->createFileMapping(L"named_segment", 32, Security::Default);
  EXPECT_EQ(0u, k->lastError()) << "a new object, not the old one";
  uint32_t size = 0;
  ASSERT_NE(nullptr, k->mappingBytes(L"named_segment", &size));
  EXPECT_EQ(32u, size);
  k->unmapView(view);
  k->closeHandle(fresh);
}

}  // namespace
}  // namespace vcb::testing
