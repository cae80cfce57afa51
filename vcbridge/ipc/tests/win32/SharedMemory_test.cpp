// The relay's segments on the real API, shared with a second process that
// plays the dictation application (vcb_segment_app.exe).
#include "vcbridge/ipc/SharedMemory.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "testsupport/win32/WinTest.h"
#include "vcbridge/core/Exception.h"
#include "vcbridge/core/win32/Win32Kernel.h"

namespace vcb {
namespace {

const wchar_t kApp[] = L"vcb_segment_app.exe";
constexpr DWORD kChildTimeoutMs = 20000;

uint8_t dssPattern(uint32_t i, int seed) { return static_cast<uint8_t>(i * 13 + seed); }
uint8_t relayWrite(uint32_t i) { return static_cast<uint8_t>(255 - i); }
uint8_t probePattern(uint32_t i) { return static_cast<uint8_t>(i * 5 + 3); }

template <class F>
int32_t codeOf(F f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.code;
  }
  return 0;
}

bool mappingExists(const wchar_t* name) {
  HANDLE h = OpenFileMappingW(FILE_MAP_READ, FALSE, name);
  if (h) CloseHandle(h);
  return h != nullptr;
}

// Two events the application helper signals and waits on.
class Handshake {
 public:
  Handshake()
      : readyName(kit::uniqueName(L"vcb_segment_ready")),
        quitName(kit::uniqueName(L"vcb_segment_quit")),
        ready(CreateEventW(nullptr, TRUE, FALSE, readyName.c_str())),
        quit(CreateEventW(nullptr, TRUE, FALSE, quitName.c_str())) {}
  ~Handshake() {
    CloseHandle(ready);
    CloseHandle(quit);
  }
  // True once the helper signalled; false if it ended or took too long.
  bool waitReady(kit::Child& child) {
    HANDLE both[2] = {ready, child.handle()};
    return WaitForMultipleObjects(2, both, FALSE, kChildTimeoutMs) == WAIT_OBJECT_0;
  }
  std::wstring args() const { return readyName + L" " + quitName; }

  std::wstring readyName, quitName;
  HANDLE ready, quit;
};

class SharedMemoryWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    useWin32Kernel();
    manager = SharedMemoryManager::create();
    manager->initialise();
  }
  void TearDown() override {
    if (manager) manager->clear();
    manager.reset();
    SharedMemoryManager::destroy();
  }
  // Keys no other test uses: the process id and a counter.
  static std::pair<int32_t, int32_t> uniqueKeys() {
    static int32_t counter = 0;
    return {static_cast<int32_t>(GetCurrentProcessId() % 100000000), ++counter};
  }

  boost::shared_ptr<SharedMemoryManager> manager;
};

TEST_F(SharedMemoryWin32, TheRelayAndTheApplicationSeeEachOthersBytes) {
  struct Case { const char* label; bool appMakesMutex; } cases[] = {
      {"application made the segment mutex", true},
      {"relay makes the segment mutex", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const auto keys = uniqueKeys();
    const int32_t keyA = keys.first, keyB = keys.second;
    EXPECT_EQ(DSSVCERR_NO_SEGMENT, codeOf([&] { manager->get(keyA, keyB); }))
        << "the application has not made its segment yet";
    EXPECT_EQ(0u, manager->cachedCount());

    Handshake hs;
    kit::Child app;
    ASSERT_TRUE(app.start(kApp, L"dss " + std::to_wstring(keyA) + L" " + std::to_wstring(keyB) +
                                    L" 20000 " + hs.args() + (c.appMakesMutex ? L" mutex" : L" nomutex")));
    ASSERT_TRUE(hs.waitReady(app)) << "helper ended with " << app.wait(0);

    auto seg = manager->get(keyA, keyB);
    ASSERT_NE(nullptr, seg->view());
    EXPECT_EQ(kSegmentSize, seg->size());
    uint32_t differing = 0;
    for (uint32_t i = 0; i < kSegmentSize; ++i) differing += seg->view()[i] != dssPattern(i, keyB);
    EXPECT_EQ(0u, differing);
    EXPECT_EQ(seg, manager->get(keyA, keyB)) << "a second request reuses the segment";

    for (uint32_t i = 0; i < 256; ++i) seg->view()[1000 + i] = relayWrite(i);
    SetEvent(hs.quit);
    EXPECT_EQ(0, app.wait(kChildTimeoutMs)) << "0: the application saw the relay's bytes";
    manager->clear();
    manager->initialise();
  }
}

TEST_F(SharedMemoryWin32, ASegmentMadeTooSmallIsRefused) {
  const auto keys = uniqueKeys();
  const int32_t keyA = keys.first, keyB = keys.second;
  Handshake hs;
  kit::Child app;
  ASSERT_TRUE(app.start(kApp, L"dss " + std::to_wstring(keyA) + L" " + std::to_wstring(keyB) +
                                  L" 1000 " + hs.args() + L" mutex"));
  ASSERT_TRUE(hs.waitReady(app));
  EXPECT_EQ(DSSVCERR_CREATE_FAILED, codeOf([&] { manager->get(keyA, keyB); }));
  EXPECT_EQ(0u, manager->cachedCount());
  SetEvent(hs.quit);
  EXPECT_EQ(0, app.wait(kChildTimeoutMs));
}

TEST_F(SharedMemoryWin32, ASegmentOpenedByTheManagerClosesAtClear) {
  const auto keys = uniqueKeys();
  const int32_t keyA = keys.first, keyB = keys.second;
  std::wstring name = segmentName(keyA, keyB);
  {
    SharedMemory made(keyA, keyB, true);  // stands in for the application here
    manager->get(keyA, keyB);
  }
  EXPECT_TRUE(mappingExists(name.c_str())) << "the manager still holds it";
  manager->clear();
  EXPECT_FALSE(mappingExists(name.c_str()));
  HANDLE m = OpenMutexW(SYNCHRONIZE, FALSE, segmentMutexName(keyA, keyB).c_str());
  EXPECT_EQ(nullptr, m);
  if (m) CloseHandle(m);
  manager->initialise();
}

struct Fixed {
  const char* label;
  const wchar_t* name;
  uint32_t size;
  const wchar_t* mutexName;  // made by the relay beside the segment, or nullptr
  std::function<std::shared_ptr<void>()> open;
  std::function<uint8_t*(void*)> view;
};

std::vector<Fixed> fixedSegments() {
  return {
      {"CFA", L"VARNETH_DSS_SMEM_CFA", kSegmentSize, L"VARNETH_DSS_SMEM_CFA_MUTEX",
       [] { return std::make_shared<SharedMemory_CFA>(); },
       [](void* p) { return static_cast<SharedMemory_CFA*>(p)->view(); }},
      {"notify", L"VARNETH_DSS_SMEM_NOTIFY", kNotifyRingSize, nullptr,
       [] { return std::make_shared<NotifySharedMemory>(); },
       [](void* p) { return static_cast<NotifySharedMemory*>(p)->view(); }},
  };
}

TEST(FixedSegmentsWin32, TheRelayMakesThemWhenNoApplicationHas) {
  useWin32Kernel();
  for (const auto& s : fixedSegments()) {
    SCOPED_TRACE(s.label);
    ASSERT_FALSE(mappingExists(s.name));
    {
      auto relay = s.open();
      uint8_t* v = s.view(relay.get());
      for (uint32_t i = 0; i < s.size; ++i) v[i] = probePattern(i);
      std::wstring args = std::wstring(s.name) + L" " + std::to_wstring(s.size);
      if (s.mutexName) args += std::wstring(L" ") + s.mutexName;
      kit::Child app;
      ASSERT_TRUE(app.start(kApp, L"probe " + args));
      EXPECT_EQ(0, app.wait(kChildTimeoutMs))
          << "0: the application found the segment, its size, bytes and mutex";
    }
    EXPECT_FALSE(mappingExists(s.name)) << "closed with the relay's object";
  }
}

TEST(FixedSegmentsWin32, TheRelayOpensTheApplicationsOwn) {
  useWin32Kernel();
  for (const auto& s : fixedSegments()) {
    SCOPED_TRACE(s.label);
    ASSERT_FALSE(mappingExists(s.name));
    Handshake hs;
    kit::Child app;
    ASSERT_TRUE(app.start(kApp, L"fixed " + std::wstring(s.name) + L" " + std::to_wstring(s.size) +
                                    L" " + hs.args()));
    ASSERT_TRUE(hs.waitReady(app)) << "helper ended with " << app.wait(0);
    {
      auto relay = s.open();
      uint8_t* v = s.view(relay.get());
      uint32_t differing = 0;
      for (uint32_t i = 0; i < s.size; ++i) differing += v[i] != dssPattern(i, 1);
      EXPECT_EQ(0u, differing);
      for (uint32_t i = 0; i < 64; ++i) v[20 + i] = relayWrite(i);
    }
    SetEvent(hs.quit);
    EXPECT_EQ(0, app.wait(kChildTimeoutMs)) << "0: the application saw the relay's bytes";
  }
}

}  // namespace
}  // namespace vcb
