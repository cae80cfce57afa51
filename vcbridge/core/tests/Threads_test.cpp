#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "vcbridge/core/Exception.h"
#include "vcbridge/core/Mutex.h"
#include "vcbridge/core/Singleton.h"
#include "vcbridge/core/WorkerThread.h"
#include "vcbridge/core/tests/fakes/FakeKernel.h"

namespace vcb {
namespace {

using testing::ScopedFakeKernel;

class Widget : public Singleton<Widget> {
 public:
  explicit Widget(int v) : value(v) {}
  int value;
};

std::string logicErrorOf(void (*f)()) {
  try {
    f();
  } catch (const std::logic_error& e) {
    return e.what();
  }
  return "no error";
}

TEST(Singleton, CreateGetDestroyAndTheirErrors) {
  EXPECT_EQ("インスタンスは作成されてない。", logicErrorOf([] { Widget::get(); }));
  auto w = Widget::create(7);
  EXPECT_EQ(7, Widget::get()->value);
  EXPECT_EQ("インスタンスはすでに作成されている。", logicErrorOf([] { Widget::create(8); }));
  EXPECT_EQ(7, Widget::get()->value) << "a refused create leaves the first instance";
  w.reset();
  Widget::destroy();
  EXPECT_FALSE(Widget::exists());
  EXPECT_EQ("インスタンスは作成されてない。", logicErrorOf([] { Widget::get(); }));
  Widget::create(9);
  EXPECT_EQ(9, Widget::get()->value);
  Widget::destroy();
}

TEST(Singleton, ADirectSecondConstructionIsRefusedWhileOneLives) {
  auto w = Widget::create(1);
  EXPECT_THROW(Widget direct(2), std::logic_error);
  Widget::destroy();
}

class ThreadProbe : public WorkerThread {
 public:
  ~ThreadProbe() override { waitForThreadEnd(); }
  int32_t initCode = 0, runCode = 0;
  bool throwForeign = false;
  std::atomic<bool> initialised{false}, ran{false}, finalised{false};
  std::atomic<bool> initDoneBeforeStartReturned{false};

 protected:
  void initialise() override {
    initialised = true;
    if (initCode) throw Exception(initCode);
  }
  void run() override {
    ran = true;
    if (throwForeign) throw std::runtime_error("not ours");
    if (runCode) throw Exception(runCode);
  }
  void finalise() override { finalised = true; }
};

TEST(WorkerThread, StartReturnsAfterInitialiseRanOnTheNewThread) {
  ScopedFakeKernel k;
  struct Case { int32_t initCode, runCode; bool expectRun; uint32_t exitCode; } cases[] = {
      {0, 0, true, 0}, {0, 22, true, 22}, {14, 0, false, 14}, {22, 31, false, 22}};
  for (const auto& c : cases) {
    ThreadProbe t;
    t.initCode = c.initCode;
    t.runCode = c.runCode;
    t.start();
    EXPECT_TRUE(t.initialised) << "initialise must have run when start returns";
    Handle h = t.threadHandle();
    ASSERT_NE(nullptr, h);
    ASSERT_EQ(WaitResult::Signaled, k->wait(h, 5000));
    uint32_t code = 1234;
    ASSERT_TRUE(k->threadExitCode(h, &code));
    EXPECT_EQ(c.exitCode, code);
    EXPECT_EQ(c.expectRun, t.ran.load());
    EXPECT_TRUE(t.finalised);
    if (c.exitCode) {
      try {
        t.join();
        ADD_FAILURE() << "join must re-throw the stored failure";
      } catch (const Exception& e) {
        EXPECT_EQ(static_cast<int32_t>(c.exitCode), e.code);
      }
    } else {
      EXPECT_NO_THROW(t.join());
    }
  }
}

TEST(WorkerThread, AForeignFailureEndsTheThreadWithoutAStoredCode) {
  ScopedFakeKernel k;
  ThreadProbe t;
  t.throwForeign = true;
  t.start();
  EXPECT_NO_THROW(t.join());
  EXPECT_TRUE(t.finalised);
}

TEST(WorkerThread, RestartDropsTheEarlierFailure) {
  ScopedFakeKernel k;
  ThreadProbe t;
  t.runCode = 9;
  t.start();
  EXPECT_THROW(t.join(), Exception);
  t.runCode = 0;
  t.start();
  EXPECT_NO_THROW(t.join());
}

TEST(Mutex, CreateWithOwnershipReportsFalseWhenTheNameExists) {
  ScopedFakeKernel k;
  Mutex first, second, third;
  EXPECT_TRUE(first.create(true, L"Relay_Test_Mutex"));
  EXPECT_FALSE(second.create(true, L"Relay_Test_Mutex"));
  EXPECT_FALSE(second.isNull()) << "the handle stays held";
  EXPECT_TRUE(third.create(false, L"Relay_Test_Mutex")) << "opening without ownership is fine";
  EXPECT_FALSE(third.create(false, L"Relay_Test_Mutex")) << "a handle is already held";
  first.releaseAndClose();
  second.releaseAndClose();
  third.releaseAndClose();
  EXPECT_FALSE(k->objectExists(L"Relay_Test_Mutex"));
  EXPECT_EQ(0, k->openHandles());
}

TEST(Mutex, LockAndUnlockWithoutAHandleDoNothing) {
  ScopedFakeKernel k;
  Mutex m;
  m.lock();
  m.unlock();
  m.releaseAndClose();
  EXPECT_TRUE(m.isNull());
}

TEST(HandleImpl, LastCopyClosesAndCloseDropsEveryReference) {
  ScopedFakeKernel k;
  {
    KernelHandle a(k->createEvent(L"", true, false, Security::Default));
    KernelHandle b = a;
    EXPECT_EQ(a.get(), b.get());
    a = KernelHandle();
    EXPECT_EQ(1, k->openHandles());
  }
  EXPECT_EQ(0, k->openHandles());
  KernelHandle c(k->createEvent(L"", true, false, Security::Default));
  KernelHandle d = c;
  c.close();
  EXPECT_TRUE(c.isNull());
  EXPECT_TRUE(d.isNull()) << "close drops every reference at once";
  EXPECT_EQ(0, k->openHandles());
}

}  // namespace
}  // namespace vcb
