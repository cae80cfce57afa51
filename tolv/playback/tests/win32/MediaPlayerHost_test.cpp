// The control container on the real component: in-place activation in a
// child window, the video surface following the window's size, an open
// through the player it hands out, and a clean refusal of a missing component.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include "testsupport/win32/WinTest.h"
#include "tolv/playback/GapFillingPlayer.h"
#include "tolv/playback/tests/win32/TestWav.h"
#include "tolv/playback/win32/MediaPlayerHost.h"
#include "tolv/playback/win32/WMPPlayer4.h"

namespace tolv {
namespace {

constexpr int kControlId = 1011;

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

class MediaPlayerHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    parent = CreateWindowExW(0, L"STATIC", L"host test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 400, 300,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(parent);
  }
  void TearDown() override {
    host.Destroy();
    if (parent) DestroyWindow(parent);
    OleUninitialize();
  }
  HWND parent = nullptr;
  CMediaPlayerHost host;
};

TEST_F(MediaPlayerHostTest, TheComponentIsActivatedInTheControlWindowAndFollowsItsSize) {
  ASSERT_TRUE(host.Create(parent, kControlId)) << std::hex << host.error();
  ASSERT_TRUE(host.player());
  EXPECT_EQ(GetDlgItem(parent, kControlId), host.hwnd());
  SetWindowPos(host.hwnd(), nullptr, 5, 7, 240, 130, SWP_NOZORDER | SWP_SHOWWINDOW);
  HWND surface = GetWindow(host.hwnd(), GW_CHILD);
  ASSERT_TRUE(surface) << "the component has a window of its own inside the control";
  RECT r{};
  GetWindowRect(surface, &r);
  EXPECT_EQ(r.right - r.left, 240);
  EXPECT_EQ(r.bottom - r.top, 130);
  SetWindowPos(host.hwnd(), nullptr, 0, 0, 100, 60, SWP_NOZORDER | SWP_NOMOVE);
  GetWindowRect(surface, &r);
  EXPECT_EQ(r.right - r.left, 100);
  EXPECT_EQ(r.bottom - r.top, 60);
}

TEST_F(MediaPlayerHostTest, TheHostedPlayerOpensAndPlaysARecording) {
  ASSERT_TRUE(host.Create(parent, kControlId));
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring wav = std::wstring(folder) + kit::uniqueName(L"hosted") + L".wav";
  testing::WriteWavFile(wav, 10);
  {
    CWMPPlayer4 component(host.player());
    CGapFillingPlayer player(component);
    player.setURL(wav);
    EXPECT_TRUE(player.playState() >= PlayStateStopped && player.playState() != PlayStateBuffering);
    player.controlsPlay();
    EXPECT_TRUE(kit::waitFor(
        [&] {
          Pump();
          return player.currentPosition() > 0.3;
        },
        10000));
    player.controlsStop();
  }
  host.Destroy();
  EXPECT_FALSE(IsWindow(host.hwnd()));
  DeleteFileW(wav.c_str());
}

// The form goes first at shutdown: the component closes with the control's
// window, and the host's own release afterwards has nothing left to break.
TEST_F(MediaPlayerHostTest, DestroyingTheParentClosesTheComponent) {
  ASSERT_TRUE(host.Create(parent, kControlId));
  HWND surface = GetWindow(host.hwnd(), GW_CHILD);
  ASSERT_TRUE(surface);
  bool surfaceAtClose = false;
  host.beforeClose = [&] { surfaceAtClose = IsWindow(surface) && host.player(); };
  DestroyWindow(parent);
  parent = nullptr;
  EXPECT_TRUE(surfaceAtClose) << "the last call comes while the component is still there";
  EXPECT_FALSE(IsWindow(surface));
  EXPECT_EQ(host.hwnd(), nullptr);
  host.Destroy();
  EXPECT_EQ(host.player(), nullptr);
}

TEST_F(MediaPlayerHostTest, AMissingComponentLeavesNoWindowAndSaysWhy) {
  const CLSID nowhere = {0x1f0e2d3c, 0x4b5a, 0x6978, {0x87, 0x96, 0xa5, 0xb4, 0xc3, 0xd2, 0xe1, 0xf0}};
  EXPECT_FALSE(host.Create(parent, kControlId, nowhere));
  EXPECT_EQ(host.error(), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(host.player(), nullptr);
  EXPECT_EQ(GetDlgItem(parent, kControlId), nullptr);
  host.Destroy();  // nothing left to do, and no harm
}

}  // namespace
}  // namespace tolv
