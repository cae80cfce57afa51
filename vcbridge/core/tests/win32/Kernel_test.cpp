// Named mutexes across processes and worker threads on the real API.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "testsupport/win32/WinTest.h"
#include "vcbridge/core/Exception.h"
#include "vcbridge/core/Mutex.h"
#include "vcbridge/core/WorkerThread.h"
#include "vcbridge/core/win32/Win32Kernel.h"

namespace vcb {
namespace {

const wchar_t kHolder[] = L"vcb_mutex_holder.exe";
constexpr DWORD kChildTimeoutMs = 20000;

// A manual-reset event with a unique name, for the helper to open.
struct NamedEvent {
  explicit NamedEvent(const wchar_t* stem)
      : name(kit::uniqueName(stem)), handle(CreateEventW(nullptr, TRUE, FALSE, name.c_str())) {}
  ~NamedEvent() { CloseHandle(handle); }
  bool isSet() const { return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0; }
  std::wstring name;
  HANDLE handle;
};

// Waits for the event or for the child to end, whichever comes first.
bool waitForChildEvent(const NamedEvent& e, kit::Child& child) {
  HANDLE both[2] = {e.handle, child.handle()};
  return WaitForMultipleObjects(2, both, FALSE, kChildTimeoutMs) == WAIT_OBJECT_0;
}

class KernelWin32 : public ::testing::Test {
 protected:
  void SetUp() override { useWin32Kernel(); }
};

TEST_F(KernelWin32, OwnershipIsRefusedToTheSecondProcessInEitherOrder) {
  std::wstring name = kit::uniqueName(L"vcb_mutex");
  {
    // This process first, the helper second.
    Mutex first;
    ASSERT_TRUE(first.create(true, name));
    kit::Child second;
    ASSERT_TRUE(second.start(kHolder, L"second " + name));
    EXPECT_EQ(0, second.wait(kChildTimeoutMs)) << "0: false, handle held, not owned";
    first.releaseAndClose();
  }
  {
    // The helper first, this process second.
    NamedEvent ready(L"vcb_ready"), go(L"vcb_go");
    kit::Child owner;
    ASSERT_TRUE(owner.start(kHolder, L"own " + name + L" " + ready.name + L" " + go.name));
    ASSERT_TRUE(waitForChildEvent(ready, owner)) << "helper ended with " << owner.wait(0);
    Mutex second;
    EXPECT_FALSE(second.create(true, name));
    ASSERT_FALSE(second.isNull()) << "the handle stays held";
    EXPECT_EQ(WaitResult::Timeout, kernel().wait(second.get(), 0)) << "and is not owned";
    EXPECT_FALSE(second.create(false, name)) << "a handle is already held";
    SetEvent(go.handle);
    EXPECT_EQ(0, owner.wait(kChildTimeoutMs));
    second.lock();  // free now
    second.unlock();
    second.releaseAndClose();
  }
}

TEST_F(KernelWin32, LockWaitsUntilTheOtherProcessUnlocks) {
  std::wstring name = kit::uniqueName(L"vcb_mutex");
  NamedEvent ready(L"vcb_ready"), go(L"vcb_go");
  kit::Child owner;
  ASSERT_TRUE(owner.start(kHolder, L"own " + name + L" " + ready.name + L" " + go.name));
  ASSERT_TRUE(waitForChildEvent(ready, owner)) << "helper ended with " << owner.wait(0);

  Mutex m;
  ASSERT_TRUE(m.create(false, name));
  std::atomic<bool> locking{false}, acquired{false}, goWasSet{false};
  std::thread waiter([&] {
    locking = true;
    m.lock();
    goWasSet = go.isSet();
    acquired = true;
    m.unlock();
  });
  ASSERT_TRUE(kit::waitFor([&] { return locking.load(); }, 5000));
  EXPECT_FALSE(acquired) << "the helper still owns the mutex";
  SetEvent(go.handle);
  EXPECT_TRUE(kit::waitFor([&] { return acquired.load(); }, 10000));
  waiter.join();
  EXPECT_TRUE(goWasSet) << "lock returned before the helper unlocked";
  EXPECT_EQ(0, owner.wait(kChildTimeoutMs));
}

TEST_F(KernelWin32, TheOtherProcessWaitsUntilThisOneUnlocks) {
  std::wstring name = kit::uniqueName(L"vcb_mutex");
  NamedEvent locking(L"vcb_locking"), go(L"vcb_go");
  Mutex m;
  ASSERT_TRUE(m.create(true, name));
  kit::Child waiter;
  ASSERT_TRUE(waiter.start(kHolder, L"lock " + name + L" " + locking.name + L" " + go.name));
  ASSERT_TRUE(waitForChildEvent(locking, waiter)) << "helper ended with " << waiter.wait(0);
  EXPECT_TRUE(waiter.running());
  SetEvent(go.handle);
  m.unlock();
  EXPECT_EQ(0, waiter.wait(kChildTimeoutMs)) << "0: the helper got the mutex only after go";
  m.releaseAndClose();
}

TEST_F(KernelWin32, AMutexLeftOwnedByAnEndedProcessCanBeLocked) {
  std::wstring name = kit::uniqueName(L"vcb_mutex");
  NamedEvent ready(L"vcb_ready"), go(L"vcb_go");
  Mutex m;
  kit::Child owner;
  ASSERT_TRUE(owner.start(kHolder, L"abandon " + name + L" " + ready.name + L" " + go.name));
  ASSERT_TRUE(waitForChildEvent(ready, owner)) << "helper ended with " << owner.wait(0);
  ASSERT_FALSE(m.create(true, name));
  ASSERT_EQ(WaitResult::Timeout, kernel().wait(m.get(), 0));
  SetEvent(go.handle);
  ASSERT_EQ(0, owner.wait(kChildTimeoutMs));
  EXPECT_EQ(WaitResult::Signaled, kernel().wait(m.get(), 5000)) << "abandoned counts as acquired";
  m.unlock();
  m.releaseAndClose();
}

class Probe : public WorkerThread {
 public:
  ~Probe() override { waitForThreadEnd(); }
  int32_t initCode = 0, runCode = 0;
  std::atomic<DWORD> initialiseThread{0};
  std::atomic<uint32_t> idSeenInInitialise{0};
  std::atomic<bool> initialised{false}, ran{false};

 protected:
  void initialise() override {
    initialiseThread = GetCurrentThreadId();
    idSeenInInitialise = threadId();
    initialised = true;
    if (initCode) throw Exception(initCode);
  }
  void run() override {
    ran = true;
    if (runCode) throw Exception(runCode);
  }
};

TEST_F(KernelWin32, AWorkerThreadsFailureIsItsExitCodeAndJoinRethrowsIt) {
  struct Case { int32_t initCode, runCode; bool runs; DWORD exitCode; } cases[] = {
      {0, 0, true, 0},
      {0, 22, true, 22},
      {14, 0, false, 14},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "initialise " << c.initCode << " run " << c.runCode);
    Probe t;
    t.initCode = c.initCode;
    t.runCode = c.runCode;
    t.start();
    EXPECT_TRUE(t.initialised) << "start returns after initialise";
    EXPECT_EQ(t.threadId(), t.initialiseThread.load()) << "initialise ran on the new thread";
    EXPECT_NE(GetCurrentThreadId(), t.initialiseThread.load());
    EXPECT_EQ(t.threadId(), t.idSeenInInitialise.load()) << "the id is known inside initialise";

    HANDLE h = t.threadHandle();
    ASSERT_NE(nullptr, h);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h, 5000));
    DWORD code = 12345;
    ASSERT_TRUE(GetExitCodeThread(h, &code));
    EXPECT_EQ(c.exitCode, code);
    EXPECT_EQ(c.runs, t.ran.load());
    int32_t thrown = 0;
    try {
      t.join();
    } catch (const Exception& e) {
      thrown = e.code;
    }
    EXPECT_EQ(static_cast<int32_t>(c.exitCode), thrown);
    EXPECT_EQ(nullptr, t.threadHandle()) << "join closes the handle";
  }
}

}  // namespace
}  // namespace vcb
