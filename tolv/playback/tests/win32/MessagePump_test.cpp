// The nested loop of an open on a real queue: waiting messages are
// dispatched, a quit request survives it, an empty queue does not block.
#include <windows.h>

#include <gtest/gtest.h>

#include "tolv/playback/win32/MessagePump.h"

namespace tolv {
namespace {

int appMessages = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP + 1) {
    ++appMessages;
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

class MessagePumpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TolvPumpTestWindow";
    RegisterClassW(&wc);
    window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    appMessages = 0;
  }
  void TearDown() override {
    DestroyWindow(window);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  HWND window = nullptr;
};

TEST_F(MessagePumpTest, DispatchesWaitingMessagesAndKeepsTheQuitRequest) {
  for (int i = 0; i < 3; ++i) PostMessageW(window, WM_APP + 1, 0, 0);
  PostQuitMessage(7);

  PumpPendingThreadMessages();
  EXPECT_EQ(appMessages, 3);

  // Later rounds (the open still waiting) do not lose it either.
  PumpPendingThreadMessages();
  PumpPendingThreadMessages();

  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(MessagePumpTest, EmptyQueueReturnsAfterTheWait) {
  const DWORD start = GetTickCount();
  for (int i = 0; i < 5; ++i) PumpPendingThreadMessages(10);
  EXPECT_LT(GetTickCount() - start, 5000u);
  EXPECT_EQ(appMessages, 0);
}

}  // namespace
}  // namespace tolv
