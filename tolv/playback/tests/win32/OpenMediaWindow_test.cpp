// The window services of an open on a real window: the placeholder picture
// is hidden, the form's layout code runs, a redraw leaves the window intact.
#include <windows.h>

#include <gtest/gtest.h>

#include "tolv/playback/win32/OpenMediaWindow.h"

namespace tolv {
namespace {

TEST(OpenMediaWindow, HidesThePlaceholderAndRunsTheLayout) {
  HWND view = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(view, nullptr);
  HWND picture = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, view,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(PlaceholderPictureId)), nullptr, nullptr);
  ASSERT_NE(picture, nullptr);
  int layouts = 0;
  CWin32OpenMediaWindow window(view, [&] { ++layouts; });

  EXPECT_TRUE(IsWindowVisible(picture));
  window.HidePlaceholder();
  EXPECT_FALSE(IsWindowVisible(picture));
  window.RedrawView();
  window.RelayoutForm();
  EXPECT_EQ(layouts, 1);
  EXPECT_TRUE(IsWindow(view));

  DestroyWindow(view);
}

TEST(OpenMediaWindow, WithoutPlaceholderOrLayoutNothingFails) {
  HWND view = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(view, nullptr);
  CWin32OpenMediaWindow window(view, nullptr);
  window.HidePlaceholder();
  window.RelayoutForm();
  DestroyWindow(view);
}

}  // namespace
}  // namespace tolv
