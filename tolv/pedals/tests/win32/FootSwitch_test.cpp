// The foot-switch library bound at run time, with the double beside the
// program sending its button messages to a real window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testsupport/win32/WinTest.h"
#include "tolv/config/Settings.h"
#include "tolv/pedals/FootSwitch.h"
#include "tolv/pedals/tests/win32/Recorders.h"
#include "tolv/pedals/win32/Win32PedalDevices.h"

namespace tolv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

CFootSwitch* routed = nullptr;

LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (routed && RouteFootSwitchMessage(*routed, message, wParam, lParam)) return 0;
  return DefWindowProcW(window, message, wParam, lParam);
}

class FootSwitchWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ViewProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TolvPedalTestView";
    RegisterClassW(&wc);
    window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    routed = nullptr;
    DestroyWindow(window);
    ResetPlaybackSettings();
  }
  // Dispatches this thread's messages until cond holds.
  bool pumpUntil(const std::function<bool()>& cond) {
    return kit::waitFor(
        [&] {
          MSG msg;
          while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
          return cond();
        },
        5000);
  }

  HWND window = nullptr;
  wintest::Boxes boxes;
  wintest::Transport transport;
};

TEST_F(FootSwitchWindow, RegisteredDeviceChangeMessage) {
  const UINT message = FootSwitchDeviceChangeMessage();
  EXPECT_GE(message, 0xC000u);
  EXPECT_EQ(message, RegisterWindowMessageW(L"VARNETH_DICTADESK_FOOTSWITCH_WM_DEVICECHANGE"));
}

TEST_F(FootSwitchWindow, ArrivalOpensAndButtonsReachTheTransport) {
  Win32FootSwitchLibrary library;
  ASSERT_TRUE(library.available());
  CFootSwitch footSwitch(library, boxes, transport, reinterpret_cast<WindowRef>(window));
  routed = &footSwitch;

  PostMessageW(window, FootSwitchDeviceChangeMessage(), FootSwitchArrived, 21);
  ASSERT_TRUE(pumpUntil([&] { return transport.count() >= 10; }));
  EXPECT_EQ(footSwitch.footSwitchId, 21u);
  EXPECT_THAT(transport.calls(),
              ElementsAre("hold REW", "speed and volume", "release REW", "speed and volume", "toggle", "toggle",
                          "hold FF", "speed and volume", "release FF", "speed and volume"));

  // The double refuses identity 13.
  PostMessageW(window, FootSwitchDeviceChangeMessage(), FootSwitchRemoved, 21);
  PostMessageW(window, FootSwitchDeviceChangeMessage(), FootSwitchArrived, 13);
  ASSERT_TRUE(pumpUntil([&] { return !boxes.texts().empty(); }));
  EXPECT_THAT(boxes.texts(), ElementsAre(L"FsOpen Failure"));
  EXPECT_EQ(footSwitch.footSwitchId, 0u);

  using CountFn = LONG(WINAPI*)();
  auto closes = reinterpret_cast<CountFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(FootSwitchLibraryName), "FsDoubleCloseCount")));
  ASSERT_NE(closes, nullptr);
  PostMessageW(window, FootSwitchDeviceChangeMessage(), FootSwitchArrived, 22);
  ASSERT_TRUE(pumpUntil([&] { return transport.count() >= 12; }));
  EXPECT_EQ(closes(), 0);
  footSwitch.Close();
  EXPECT_EQ(closes(), 1);
}

TEST_F(FootSwitchWindow, WithoutTheLibraryArrivalsAreIgnored) {
  Win32FootSwitchLibrary library(L"NoSuchFootSwitchLibrary.dll");
  EXPECT_FALSE(library.available());
  CFootSwitch footSwitch(library, boxes, transport, reinterpret_cast<WindowRef>(window));
  routed = &footSwitch;
  SendMessageW(window, FootSwitchDeviceChangeMessage(), FootSwitchArrived, 21);
  EXPECT_EQ(footSwitch.footSwitchId, 0u);
  footSwitch.Close();
  EXPECT_THAT(boxes.texts(), IsEmpty());
}

}  // namespace
}  // namespace tolv
