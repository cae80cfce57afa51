#include "vcbridge/ipc/SharedMemory.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "vcbridge/core/Exception.h"
#include "vcbridge/core/tests/fakes/FakeKernel.h"

namespace vcb {
namespace {

using testing::FakeKernel;
using testing::ScopedFakeKernel;

// What a dictation application holds: its mapping, a view and optionally
// the segment's mutex, made straight through the kernel.
class App {
 public:
  App(FakeKernel& k, const std::wstring& name, uint32_t size, const std::wstring& mutexName = L"")
      : k_(k) {
    mapping_ = k_.createFileMapping(name, size, Security::NullDaclInheritable);
    view_ = static_cast<uint8_t*>(k_.mapView(mapping_));
    if (!mutexName.empty()) mutex_ = k_.createMutex(mutexName, false, Security::NullDaclInheritable, nullptr);
  }
  ~App() {
    k_.unmapView(view_);
    k_.closeHandle(mapping_);
    if (mutex_) k_.closeHandle(mutex_);
  }
  uint8_t* bytes() { return view_; }

 private:
  FakeKernel& k_;
  Handle mapping_ = nullptr;
  uint8_t* view_ = nullptr;
  Handle mutex_ = nullptr;
};

template <class F>
int32_t codeOf(F f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.code;
  }
  return 0;
}

// ---- names ----

TEST(SegmentNames, FirstKeyPaddedToEightSignIncludedSecondPlain) {
  struct Case { int32_t a, b; const wchar_t* segment; const wchar_t* mutex; } cases[] = {
      {1234, 5, L"VARNETH_DSS_SMEM=00001234_5", L"VARNETH_DSS_SMEM_MUTEX=00001234_5"},
      {0, 0, L"VARNETH_DSS_SMEM=00000000_0", L"VARNETH_DSS_SMEM_MUTEX=00000000_0"},
      {-5, -7, L"VARNETH_DSS_SMEM=-0000005_-7", L"VARNETH_DSS_SMEM_MUTEX=-0000005_-7"},
      {123456789, 12, L"VARNETH_DSS_SMEM=123456789_12", L"VARNETH_DSS_SMEM_MUTEX=123456789_12"},
      {INT_MIN, INT_MAX, L"VARNETH_DSS_SMEM=-2147483648_2147483647",
       L"VARNETH_DSS_SMEM_MUTEX=-2147483648_2147483647"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.segment, segmentName(c.a, c.b));
    EXPECT_EQ(c.mutex, segmentMutexName(c.a, c.b));
  }
}

// ---- SharedMemory ----

TEST(SharedMemory, OpensTheApplicationsSegmentAndSharesItsBytes) {
  ScopedFakeKernel k;
  {
    App app(*k, L"VARNETH_DSS_SMEM=00001234_5", kSegmentSize);
    app.bytes()[0] = 0x11;
    app.bytes()[kSegmentSize - 1] = 0x22;
    {
      SharedMemory seg(1234, 5, false);
      EXPECT_EQ(L"VARNETH_DSS_SMEM=00001234_5", seg.name());
      EXPECT_EQ(kSegmentSize, seg.size());
      EXPECT_EQ(0x11, seg.view()[0]);
      EXPECT_EQ(0x22, seg.view()[kSegmentSize - 1]);
      seg.view()[100] = 0x33;
      EXPECT_EQ(0x33, app.bytes()[100]);
      EXPECT_TRUE(k->objectExists(L"VARNETH_DSS_SMEM_MUTEX=00001234_5"))
          << "the relay makes the segment's mutex when the application has not";
    }
    EXPECT_FALSE(k->objectExists(L"VARNETH_DSS_SMEM_MUTEX=00001234_5"));
    EXPECT_EQ(1, k->mappedViews()) << "only the application's view is left";
  }
  EXPECT_EQ(0, k->openHandles());
}

TEST(SharedMemory, OpensTheMutexTheApplicationMadeWithoutTakingIt) {
  ScopedFakeKernel k;
  App app(*k, segmentName(7, 8), kSegmentSize, segmentMutexName(7, 8));
  int before = k->openHandles();
  {
    SharedMemory seg(7, 8, false);
    EXPECT_EQ(before + 2, k->openHandles()) << "mapping and mutex";
    std::thread other([&] {
      Handle m = k->createMutex(segmentMutexName(7, 8), false, Security::Default, nullptr);
      EXPECT_EQ(WaitResult::Signaled, k->wait(m, 0)) << "the relay never holds the segment mutex";
      k->releaseMutex(m);
      k->closeHandle(m);
    });
    other.join();
  }
  EXPECT_EQ(before, k->openHandles());
  EXPECT_TRUE(k->objectExists(segmentMutexName(7, 8))) << "the application's own handle remains";
}

TEST(SharedMemory, CreatesAMissingSegmentOnlyWhenAsked) {
  ScopedFakeKernel k;
  EXPECT_EQ(DSSVCERR_NO_SEGMENT, codeOf([] { SharedMemory seg(3, 4, false); }));
  EXPECT_FALSE(k->objectExists(segmentName(3, 4)));
  {
    SharedMemory seg(3, 4, true);
    uint32_t size = 0;
    ASSERT_NE(nullptr, k->mappingBytes(segmentName(3, 4), &size));
    EXPECT_EQ(kSegmentSize, size);
  }
  EXPECT_EQ(0, k->openHandles());
  EXPECT_EQ(0, k->mappedViews());
}

TEST(SharedMemory, FailuresLeaveNothingOpen) {
  struct Case {
    const char* failing;  // kernel operation made to fail, or "" for none
    bool appMadeIt;
    uint32_t appSize;
    bool create;
    int32_t code;
  } cases[] = {
      {"", false, 0, false, DSSVCERR_NO_SEGMENT},
      {"openFileMapping", true, kSegmentSize, false, DSSVCERR_NO_SEGMENT},
      {"createFileMapping", false, 0, true, DSSVCERR_CREATE_FAILED},
      {"mapView", true, kSegmentSize, false, DSSVCERR_CREATE_FAILED},
      {"mapView", false, 0, true, DSSVCERR_CREATE_FAILED},
      // An application that made its segment too small must not let the
      // relay touch bytes past its end.
      {"", true, 100, false, DSSVCERR_CREATE_FAILED},
      {"", true, kSegmentSize - 1, false, DSSVCERR_CREATE_FAILED},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.failing) + " size " + std::to_string(c.appSize));
    ScopedFakeKernel k;
    std::unique_ptr<App> app;
    if (c.appMadeIt) app = std::make_unique<App>(*k, segmentName(1, 2), c.appSize);
    int handles = k->openHandles(), views = k->mappedViews();
    if (*c.failing) k->failNext(c.failing);
    EXPECT_EQ(c.code, codeOf([&] { SharedMemory seg(1, 2, c.create); }));
    EXPECT_EQ(handles, k->openHandles());
    EXPECT_EQ(views, k->mappedViews());
    EXPECT_FALSE(k->objectExists(segmentMutexName(1, 2)));
    app.reset();
    EXPECT_FALSE(k->objectExists(segmentName(1, 2)));
  }
}

// ---- SharedMemoryManager ----

class SharedMemoryManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { manager = SharedMemoryManager::create(); }
  void TearDown() override {
    manager.reset();
    SharedMemoryManager::destroy();
  }
  ScopedFakeKernel k;
  boost::shared_ptr<SharedMemoryManager> manager;
};

TEST_F(SharedMemoryManagerTest, UseBeforeInitialiseAndASecondInitialiseAreRefused) {
  App app(*k, segmentName(1, 1), kSegmentSize);
  EXPECT_EQ(DSSVCERR_NOT_INITIALISED, codeOf([&] { manager->get(1, 1); }));
  EXPECT_EQ(DSSVCERR_NOT_INITIALISED, codeOf([&] { manager->clear(); }));
  EXPECT_EQ(1, k->mappedViews()) << "nothing was opened";
  manager->initialise();
  EXPECT_EQ(DSSVCERR_ALREADY_INITIALISED, codeOf([&] { manager->initialise(); }));
  EXPECT_NE(nullptr, manager->get(1, 1));
}

TEST_F(SharedMemoryManagerTest, ASecondRequestReusesTheCachedSegment) {
  App app1(*k, segmentName(1234, 5), kSegmentSize);
  App app2(*k, segmentName(1234, 6), kSegmentSize);
  manager->initialise();
  auto first = manager->get(1234, 5);
  int views = k->mappedViews(), handles = k->openHandles();
  EXPECT_EQ(first, manager->get(1234, 5));
  EXPECT_EQ(views, k->mappedViews()) << "no second mapping";
  EXPECT_EQ(handles, k->openHandles());
  auto other = manager->get(1234, 6);
  EXPECT_NE(first, other);
  EXPECT_EQ(2u, manager->cachedCount());
}

TEST_F(SharedMemoryManagerTest, AMissingSegmentLeavesNoEntryAndCanBeOpenedLater) {
  manager->initialise();
  EXPECT_EQ(DSSVCERR_NO_SEGMENT, codeOf([&] { manager->get(42, 1); }));
  EXPECT_EQ(0u, manager->cachedCount());
  EXPECT_EQ(0, k->openHandles());
  App app(*k, segmentName(42, 1), kSegmentSize);
  app.bytes()[0] = 0x5A;
  auto seg = manager->get(42, 1);
  EXPECT_EQ(0x5A, seg->view()[0]);
  EXPECT_EQ(1u, manager->cachedCount());
}

TEST_F(SharedMemoryManagerTest, ClearClosesEverySegmentAndNeedsANewInitialise) {
  int baseline = 0;
  {
    App app1(*k, segmentName(1, 1), kSegmentSize);
    App app2(*k, segmentName(2, 2), kSegmentSize);
    baseline = k->openHandles();
    manager->initialise();
    manager->get(1, 1);
    manager->get(2, 2);
    EXPECT_EQ(4, k->mappedViews());
    manager->clear();
    EXPECT_EQ(0u, manager->cachedCount());
    EXPECT_EQ(2, k->mappedViews());
    EXPECT_EQ(baseline, k->openHandles());
    EXPECT_FALSE(k->objectExists(segmentMutexName(1, 1)));
    EXPECT_EQ(DSSVCERR_NOT_INITIALISED, codeOf([&] { manager->get(1, 1); }));
    EXPECT_EQ(DSSVCERR_NOT_INITIALISED, codeOf([&] { manager->clear(); }));
    manager->initialise();
    manager->get(1, 1);
    manager->clear();
  }
  EXPECT_EQ(0, k->openHandles());
  EXPECT_EQ(0, k->mappedViews());
}

TEST_F(SharedMemoryManagerTest, ConcurrentRequestsShareOneMapping) {
  App app(*k, segmentName(9, 9), kSegmentSize);
  manager->initialise();
  std::vector<boost::shared_ptr<SharedMemory>> got(4);
  std::vector<std::thread> threads;
  for (auto& g : got) threads.emplace_back([&] { g = manager->get(9, 9); });
  for (auto& t : threads) t.join();
  for (auto& g : got) EXPECT_EQ(got[0], g);
  EXPECT_EQ(2, k->mappedViews()) << "the application's view and one of the relay";
}

// ---- SharedMemory_CFA and NotifySharedMemory ----

struct FixedSegment {
  const char* label;
  const wchar_t* name;
  uint32_t size;
  std::function<std::shared_ptr<void>()> open;  // constructs the relay's object
  std::function<uint8_t*(void*)> view;
};

std::vector<FixedSegment> fixedSegments() {
  return {
      {"CFA", L"VARNETH_DSS_SMEM_CFA", kSegmentSize, [] { return std::make_shared<SharedMemory_CFA>(); },
       [](void* p) { return static_cast<SharedMemory_CFA*>(p)->view(); }},
      {"notify", L"VARNETH_DSS_SMEM_NOTIFY", kNotifyRingSize,
       [] { return std::make_shared<NotifySharedMemory>(); },
       [](void* p) { return static_cast<NotifySharedMemory*>(p)->view(); }},
  };
}

TEST(FixedSegments, CreatedWithTheirSizeWhenNoApplicationMadeThem) {
  for (const auto& s : fixedSegments()) {
    SCOPED_TRACE(s.label);
    ScopedFakeKernel k;
    {
      auto relay = s.open();
      uint32_t size = 0;
      ASSERT_NE(nullptr, k->mappingBytes(s.name, &size));
      EXPECT_EQ(s.size, size);
      s.view(relay.get())[s.size - 1] = 0x77;
      EXPECT_EQ(0x77, k->mappingBytes(s.name)[s.size - 1]);
    }
    EXPECT_FALSE(k->objectExists(s.name));
    EXPECT_EQ(0, k->openHandles());
    EXPECT_EQ(0, k->mappedViews());
  }
}

TEST(FixedSegments, OpenedAndSharedWhenAnApplicationMadeThem) {
  for (const auto& s : fixedSegments()) {
    SCOPED_TRACE(s.label);
    ScopedFakeKernel k;
    App app(*k, s.name, s.size);
    for (uint32_t i = 0; i < s.size; ++i) app.bytes()[i] = static_cast<uint8_t>(i * 7);
    int handles = k->openHandles();
    {
      auto relay = s.open();
      uint8_t* v = s.view(relay.get());
      EXPECT_NE(app.bytes(), nullptr);
      EXPECT_EQ(0, std::memcmp(app.bytes(), v, s.size));
      v[20] = 0xEE;
      EXPECT_EQ(0xEE, app.bytes()[20]);
    }
    EXPECT_EQ(handles, k->openHandles());
    EXPECT_EQ(1, k->mappedViews());
  }
}

TEST(FixedSegments, MappingFailuresThrow4AndLeaveNothingOpen) {
  struct Case { const char* failing; bool appMadeIt; uint32_t appSize; } cases[] = {
      {"createFileMapping", false, 0},
      {"mapView", false, 0},
      {"mapView", true, 0},  // 0: the segment's own size
      {"", true, 64},        // made too small by an application
  };
  for (const auto& s : fixedSegments()) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(s.label) + " " + c.failing + " app size " + std::to_string(c.appSize));
      ScopedFakeKernel k;
      std::unique_ptr<App> app;
      if (c.appMadeIt) app = std::make_unique<App>(*k, s.name, c.appSize ? c.appSize : s.size);
      int handles = k->openHandles(), views = k->mappedViews();
      if (*c.failing) k->failNext(c.failing);
      EXPECT_EQ(DSSVCERR_CREATE_FAILED, codeOf([&] { s.open(); }));
      EXPECT_EQ(handles, k->openHandles());
      EXPECT_EQ(views, k->mappedViews());
      EXPECT_EQ(c.appMadeIt, k->objectExists(s.name));
      EXPECT_FALSE(k->objectExists(L"VARNETH_DSS_SMEM_CFA_MUTEX"));
    }
  }
}

TEST(SharedMemory_CFA, FailuresAreWrittenToTheDebuggerOutput) {
  {
    ScopedFakeKernel k;
    k->failNext("createFileMapping");
    EXPECT_EQ(DSSVCERR_CREATE_FAILED, codeOf([] { SharedMemory_CFA cfa; }));
    EXPECT_EQ("EXCEPTION:SharedMemory_CFA::SharedMemory_CFA() マッピングオブジェクトオープン失敗",
              k->debugText());
  }
  {
    ScopedFakeKernel k;
    k->failNext("mapView");
    EXPECT_EQ(DSSVCERR_CREATE_FAILED, codeOf([] { SharedMemory_CFA cfa; }));
    EXPECT_EQ("EXCEPTION:SharedMemory_CFA::SharedMemory_CFA() マッピング失敗", k->debugText());
  }
}

TEST(SharedMemory_CFA, HoldsTheCfaMutexWithoutTakingIt) {
  ScopedFakeKernel k;
  Handle appMutex = k->createMutex(L"VARNETH_DSS_SMEM_CFA_MUTEX", false, Security::Default, nullptr);
  {
    SharedMemory_CFA cfa;
    EXPECT_EQ(kSegmentSize, cfa.size());
    ASSERT_NE(nullptr, cfa.mutex());
    std::thread app([&] {
      EXPECT_EQ(WaitResult::Signaled, k->wait(appMutex, 0)) << "free for the application";
      k->releaseMutex(appMutex);
    });
    app.join();
    k->closeHandle(appMutex);
    EXPECT_TRUE(k->objectExists(L"VARNETH_DSS_SMEM_CFA_MUTEX")) << "the relay's handle keeps it";
  }
  EXPECT_FALSE(k->objectExists(L"VARNETH_DSS_SMEM_CFA_MUTEX"));
  EXPECT_EQ(0, k->openHandles());
}

}  // namespace
}  // namespace vcb
