// The request and notification paths on the real window system, kernel
// objects and message port: an application window and segment of this
// process talk to the relay's message window, as a dictation application
// of the session does. No DSS transport exists here, so only the answers
// the relay gives itself come back.
#include <windows.h>

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <cstring>
#include <map>
#include <vector>

#include "testsupport/win32/WinTest.h"
#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/channels/RequestHandler.h"
#include "vcbridge/channels/VirtualChannelObserver.h"
#include "vcbridge/core/win32/Win32Kernel.h"
#include "vcbridge/ipc/DSSSessionEventManager.h"
#include "vcbridge/ipc/SharedMemory.h"
#include "vcbridge/ipc/WindowsMessageMonitor.h"
#include "vcbridge/ipc/win32/Win32MessagePort.h"
#include "vcbridge/ipc/win32/Win32WindowSystem.h"

namespace vcb {
namespace {

CBinary dssMessage(uint32_t command, HWND window, int32_t keyA, int32_t keyB, std::vector<uint32_t> words = {}) {
  CBinary m(PacketHeader::kSize + 4 * uint32_t(words.size()));
  PacketHeader h;
  h.command = command;
  h.dataLength = 4 * uint32_t(words.size());
  h.fragmentLast = h.dataLength;
  h.replyWindow = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
  h.segmentKeyA = static_cast<uint32_t>(keyA);
  h.segmentKeyB = static_cast<uint32_t>(keyB);
  h.writeTo(m);
  for (size_t i = 0; i < words.size(); ++i) m.setWord(44 + 4 * uint32_t(i), words[i]);
  return m;
}

uint32_t wordAt(const uint8_t* p, uint32_t offset) {
  uint32_t v;
  std::memcpy(&v, p + offset, 4);
  return v;
}

class ProtocolWin32 : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    useWin32Kernel();
    useWin32WindowSystem();
    useWin32MessagePort();
    registerMessages();
  }

  void SetUp() override {
    DSSSessionEventManager::create();
    Singleton<SharedMemoryManager>::create()->initialise();
    VirtualChannelObserver::create();
    monitor.start();
    ASSERT_NE(nullptr, monitor.window());
    monitor.registerHandler(boost::make_shared<RequestHandler>());
    app = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, app);
  }

  void TearDown() override {
    monitor.stop();
    DestroyWindow(app);
    VirtualChannelObserver::destroy();
    Singleton<SharedMemoryManager>::get()->clear();
    Singleton<SharedMemoryManager>::destroy();
    DSSSessionEventManager::destroy();
    for (auto& [keyB, s] : segments_) {
      UnmapViewOfFile(s.view);
      CloseHandle(s.mapping);
    }
  }

  // The application's segment (keyA is this process's id), made on first use.
  uint8_t* segment(int32_t keyB) {
    auto& s = segments_[keyB];
    if (!s.mapping) {
      wchar_t name[80];
      swprintf(name, 80, L"VARNETH_DSS_SMEM=%08d_%d", keyA, keyB);
      s.mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSegmentSize, name);
      s.view = static_cast<uint8_t*>(MapViewOfFile(s.mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    }
    return s.view;
  }

  // Leaves the request in its segment and posts "WMSZ_DSS_COMMAND" to the relay.
  bool request(const CBinary& r, int32_t keyB) {
    uint8_t* v = segment(keyB);
    if (!v) return false;
    std::memset(v, 0, kSegmentSize);
    std::memcpy(v, r.data(), r.size());
    HWND relay = FindWindowW(kMessageWindowClass, kMessageWindowClass);
    return relay && PostMessageW(relay, RegisterWindowMessageW(L"WMSZ_DSS_COMMAND"), keyA, keyB);
  }

  // The next message of the given name posted to the application window.
  bool receive(const wchar_t* name, MSG* out) {
    const UINT number = RegisterWindowMessageW(name);
    return kit::waitFor([&] { return PeekMessageW(out, app, number, number, PM_REMOVE) != FALSE; }, 5000);
  }

  const int32_t keyA = static_cast<int32_t>(GetCurrentProcessId() % 100000000);
  WindowsMessageMonitor monitor;
  HWND app = nullptr;

 private:
  struct Segment {
    HANDLE mapping = nullptr;
    uint8_t* view = nullptr;
  };
  std::map<int32_t, Segment> segments_;
};

TEST_F(ProtocolWin32, LocalAnswersComeBackInTheSegmentAndAsACompletion) {
  ASSERT_TRUE(request(dssMessage(0, app, keyA, 21, {7}), 21));
  MSG msg{};
  ASSERT_TRUE(receive(L"WMSZ_DSS_COMMAND", &msg));
  EXPECT_EQ(0u, msg.wParam);
  EXPECT_EQ(21, msg.lParam);
  EXPECT_EQ(10u, wordAt(segment(21), PacketHeader::statusCodeOffset));

  ASSERT_TRUE(request(dssMessage(133, app, keyA, 22), 22));
  ASSERT_TRUE(receive(L"WMSZ_DSS_COMMAND", &msg));
  EXPECT_EQ(22, msg.lParam);
  EXPECT_EQ(4u, wordAt(segment(22), PacketHeader::dataLengthOffset));
  EXPECT_EQ(0u, wordAt(segment(22), 44)) << "no channel here";
}

TEST_F(ProtocolWin32, SubscriptionsNameTheApplicationWindow) {
  const uint32_t window = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(app));
  const uint32_t notice = RegisterWindowMessageW(L"WMSZ_DSS_SESSIONNOTIFY");
  ASSERT_TRUE(request(dssMessage(130, app, keyA, 23, {window, notice}), 23));
  MSG msg{};
  ASSERT_TRUE(receive(L"WMSZ_DSS_COMMAND", &msg));
  EXPECT_EQ((DSSSessionEventManager::SessionNoticeMap{{window, notice}}),
            DSSSessionEventManager::get()->sessionNotices());
  EXPECT_TRUE(VirtualChannelObserver::get()->isRunning());

  ASSERT_TRUE(request(dssMessage(131, app, keyA, 23, {window}), 23));
  ASSERT_TRUE(receive(L"WMSZ_DSS_COMMAND", &msg));
  EXPECT_TRUE(DSSSessionEventManager::get()->sessionNotices().empty());
  EXPECT_FALSE(VirtualChannelObserver::get()->isRunning()) << "the last subscription ends the relay";
}

TEST_F(ProtocolWin32, ARequestThatCannotBeForwardedGetsNoAnswer) {
  ASSERT_TRUE(request(dssMessage(5, app, keyA, 24), 24));
  ASSERT_TRUE(request(dssMessage(0, app, keyA, 25, {7}), 25));
  MSG msg{};
  ASSERT_TRUE(receive(L"WMSZ_DSS_COMMAND", &msg));
  EXPECT_EQ(25, msg.lParam) << "the first request was dropped";
  EXPECT_FALSE(PeekMessageW(&msg, app, 0, 0, PM_REMOVE));
}

TEST_F(ProtocolWin32, ResponsesAndNotificationsReachTheApplication) {
  auto handler = VirtualChannelObserver::get()->responceHandler();
  segment(26);
  CBinary response = dssMessage(7, app, keyA, 26, {0xABCD});
  handler->PerformProcess(response);
  MSG msg{};
  ASSERT_TRUE(receive(L"WMSZ_DSS_COMMAND", &msg));
  EXPECT_EQ(26, msg.lParam);
  EXPECT_EQ(0, std::memcmp(response.data(), segment(26), response.size()));

  handler->PerformProcess(dssMessage(1001, app, keyA, 26, {0x1234}));
  ASSERT_TRUE(receive(L"WMSZ_DSS_NOTIFY", &msg));
  EXPECT_EQ(0u, msg.wParam);
  ASSERT_EQ(1, msg.lParam) << "the first notification goes to slot 1";
  // The application reads the ring through its own mapping.
  HANDLE ring = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, L"VARNETH_DSS_SMEM_NOTIFY");
  ASSERT_NE(nullptr, ring);
  auto* bytes = static_cast<const uint8_t*>(MapViewOfFile(ring, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(nullptr, bytes);
  EXPECT_EQ(1001u, wordAt(bytes + 96, PacketHeader::commandOffset));
  EXPECT_EQ(0x1234u, wordAt(bytes + 96, 44));
  UnmapViewOfFile(bytes);
  CloseHandle(ring);
}

}  // namespace
}  // namespace vcb
