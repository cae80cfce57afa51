#include <gtest/gtest.h>

#include <atomic>

#include "vcbridge/core/WorkerThread.h"
#include "vcbridge/core/tests/fakes/FakeKernel.h"

namespace vcb {
namespace {

// initialise() may hand its thread id to others (a message loop posting to
// itself does); the id must be stored before the new thread runs.
class IdProbe : public WorkerThread {
 public:
  ~IdProbe() override { waitForThreadEnd(); }
  std::atomic<uint32_t> idSeenInInitialise{0};

 protected:
  void initialise() override { idSeenInInitialise = threadId(); }
};

TEST(WorkerThread, InitialiseSeesItsOwnThreadId) {
  testing::ScopedFakeKernel k;
  for (int round = 0; round < 20; ++round) {
    IdProbe t;
    t.start();
    EXPECT_NE(0u, t.threadId());
    EXPECT_EQ(t.threadId(), t.idSeenInInitialise.load());
    t.join();
  }
}

}  // namespace
}  // namespace vcb
