// RelayClient against the relay's own request path in this process: the
// real message window, RequestHandler and ResponceHandler on real segments.
// There is no DSS transport, so the client side's answers are played by
// calling ResponceHandler as the read loop would.
#include <gtest/gtest.h>
#include <windows.h>

#include <boost/make_shared.hpp>
#include <cstring>
#include <thread>

#include "testsupport/win32/WinTest.h"
#include "vcbridge/channels/RequestHandler.h"
#include "vcbridge/channels/ResponceHandler.h"
#include "vcbridge/channels/VirtualChannelObserver.h"
#include "vcbridge/channels/win32/RelayClient.h"
#include "vcbridge/core/win32/Win32Kernel.h"
#include "vcbridge/ipc/DSSSessionEventManager.h"
#include "vcbridge/ipc/WindowsMessageMonitor.h"
#include "vcbridge/ipc/win32/Win32MessagePort.h"
#include "vcbridge/ipc/win32/Win32WindowSystem.h"

namespace vcb {
namespace {

using Result = RelayClient::Result;

int32_t nextKeyB() {
  static int32_t k = 500;
  return ++k;
}

uint32_t idOf(HWND w) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(w)); }

class RelayPath : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    useWin32Kernel();
    useWin32WindowSystem();
    useWin32MessagePort();
    registerMessages();
  }

  void SetUp() override {
    // A fake relay of an earlier test must be gone: one relay window per desktop.
    ASSERT_TRUE(kit::waitFor([] { return !RelayClient::findRelay(); }, 10000));
    DSSSessionEventManager::create();
    Singleton<SharedMemoryManager>::create()->initialise();
    VirtualChannelObserver::create();
    monitor.start();
    ASSERT_NE(nullptr, monitor.window());
    monitor.registerHandler(boost::make_shared<RequestHandler>());
    ASSERT_EQ(Result::ok, client.open());
  }

  void TearDown() override {
    monitor.stop();
    VirtualChannelObserver::destroy();
    Singleton<SharedMemoryManager>::get()->clear();
    Singleton<SharedMemoryManager>::destroy();
    DSSSessionEventManager::destroy();
  }

  // A message from the client side, routed to this client.
  CBinary fromClientSide(uint32_t command, std::vector<uint8_t> data) {
    CBinary m(PacketHeader::kSize + uint32_t(data.size()));
    PacketHeader h;
    h.command = command;
    h.dataLength = uint32_t(data.size());
    h.fragmentLast = h.dataLength;
    h.replyWindow = idOf(client.replyWindow());
    h.segmentKeyA = uint32_t(client.keyA());
    h.segmentKeyB = uint32_t(client.keyB());
    h.writeTo(m);
    if (!data.empty()) std::memcpy(m.data() + PacketHeader::kSize, data.data(), data.size());
    return m;
  }

  WindowsMessageMonitor monitor;
  RelayClient client{static_cast<int32_t>(GetCurrentProcessId()), nextKeyB()};
};

TEST_F(RelayPath, CommandZeroAndChannelStateAreAnsweredByTheRelay) {
  for (uint32_t n : {4u, 4000u, RelayClient::kMaxData}) {
    SCOPED_TRACE(n);
    std::vector<uint8_t> data(n, 0x3C);
    RelayClient::Answer a;
    ASSERT_EQ(Result::ok, client.request(0, data, 5000, &a));
    EXPECT_EQ(10u, a.header.statusCode);
    EXPECT_EQ(data, a.data);
  }
  bool open = true;
  EXPECT_EQ(Result::ok, client.queryChannelOpen(5000, &open));
  EXPECT_FALSE(open) << "no transport in this process";
}

TEST_F(RelayPath, SubscriptionNamesTheReplyWindowAndItsMessage) {
  ASSERT_EQ(Result::ok, client.subscribe(5000));
  EXPECT_EQ((DSSSessionEventManager::SessionNoticeMap{{idOf(client.replyWindow()), client.sessionMessage()}}),
            DSSSessionEventManager::get()->sessionNotices());
  ASSERT_EQ(Result::ok, client.unsubscribe(5000));
  EXPECT_TRUE(DSSSessionEventManager::get()->sessionNotices().empty());
  EXPECT_FALSE(VirtualChannelObserver::get()->isRunning()) << "the last subscriber leaving ends the relay";
}

TEST_F(RelayPath, ResponsesAndNotificationsFromTheClientSideReachTheClient) {
  auto handler = VirtualChannelObserver::get()->responceHandler();
  // The forward fails here (no channel); the response comes as the read loop would deliver it.
  std::thread readLoop([&] {
    Sleep(200);
    handler->PerformProcess(fromClientSide(7, {9, 8, 7, 6, 5}));
  });
  RelayClient::Answer a;
  EXPECT_EQ(Result::ok, client.request(7, {1, 2, 3}, 10000, &a));
  readLoop.join();
  EXPECT_EQ(7u, a.header.command);
  EXPECT_EQ(std::vector<uint8_t>({9, 8, 7, 6, 5}), a.data);

  handler->PerformProcess(fromClientSide(1001, {0x34, 0x12, 0, 0}));
  ASSERT_TRUE(client.waitForEvents(1, 5000));
  const RelayClient::Event& e = client.events().front();
  EXPECT_EQ(RelayClient::Event::notification, e.kind);
  EXPECT_TRUE(e.readable);
  EXPECT_EQ(1001u, e.header.command);
  EXPECT_EQ(std::vector<uint8_t>({0x34, 0x12, 0, 0}), e.data);
}

}  // namespace
}  // namespace vcb
