// The view's timers on a real window: ticks arrive as WM_TIMER with their id
// and stop once killed.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "tolv/playback/TolvView.h"
#include "tolv/playback/win32/WindowPorts.h"

namespace tolv {
namespace {

TEST(WindowTimers, TicksArriveByIdUntilKilled) {
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  CWindowTimers timers(window);
  timers.setTimer(RewFfPollTimerId, RewFfPollPeriodMs);
  timers.setTimer(PxTimerId, 50);

  std::vector<UINT_PTR> ids;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 5000 && ids.size() < 6) {
    MSG msg;
    if (PeekMessageW(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE)) {
      ids.push_back(msg.wParam);
      if (msg.wParam == PxTimerId) timers.killTimer(PxTimerId);
    } else {
      Sleep(5);
    }
  }
  timers.killTimer(RewFfPollTimerId);
  DestroyWindow(window);

  ASSERT_EQ(ids.size(), 6u);
  int px = 0;
  for (UINT_PTR id : ids) {
    EXPECT_TRUE(id == RewFfPollTimerId || id == PxTimerId) << id;
    px += id == PxTimerId;
  }
  EXPECT_EQ(px, 1) << "a killed timer does not tick again";
}

}  // namespace
}  // namespace tolv
