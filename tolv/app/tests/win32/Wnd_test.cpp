// The window framework: message maps, the window-procedure trampoline and
// what happens to an exception that leaves a handler.
#include "tolv/app/win32/Wnd.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <stdexcept>
#include <string>

namespace tolv {
namespace {

struct Route {
  const char* what;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool handled;
  LRESULT result;
  const char* ran;
};

TEST(MessageMapTest, RoutesCommandsNotificationsAndMessages) {
  std::string ran;
  CMessageMap map;
  map.onCommand(100, [&] { ran = "command 100"; });
  map.onControl(200, EN_CHANGE, [&] { ran = "change 200"; });
  map.onNotify(300, NM_CUSTOMDRAW, [&](NMHDR*) -> LRESULT {
    ran = "draw 300";
    return CDRF_NOTIFYITEMDRAW;
  });
  map.on(WM_APP, [&](WPARAM w, LPARAM l) -> LRESULT {
    ran = "app";
    return static_cast<LRESULT>(w + l);
  });
  NMHDR draw{nullptr, 300, static_cast<UINT>(NM_CUSTOMDRAW)};
  NMHDR otherCode{nullptr, 300, static_cast<UINT>(NM_CLICK)};
  const auto button = reinterpret_cast<LPARAM>(GetDesktopWindow());
  const Route routes[] = {
      {"menu", WM_COMMAND, MAKEWPARAM(100, 0), 0, true, 0, "command 100"},
      {"accelerator", WM_COMMAND, MAKEWPARAM(100, 1), 0, true, 0, "command 100"},
      {"button click", WM_COMMAND, MAKEWPARAM(100, BN_CLICKED), button, true, 0, "command 100"},
      {"other notification of a command id", WM_COMMAND, MAKEWPARAM(100, EN_CHANGE), button, false, 0, ""},
      {"control notification", WM_COMMAND, MAKEWPARAM(200, EN_CHANGE), button, true, 0, "change 200"},
      {"click of a control mapped by notification only", WM_COMMAND, MAKEWPARAM(200, 0), button, false, 0, ""},
      {"unmapped command", WM_COMMAND, MAKEWPARAM(101, 0), 0, false, 0, ""},
      {"notify", WM_NOTIFY, 300, reinterpret_cast<LPARAM>(&draw), true, CDRF_NOTIFYITEMDRAW, "draw 300"},
      {"notify, other code", WM_NOTIFY, 300, reinterpret_cast<LPARAM>(&otherCode), false, 0, ""},
      {"plain message", WM_APP, 2, 3, true, 5, "app"},
      {"unmapped message", WM_APP + 1, 0, 0, false, 0, ""},
  };
  for (const auto& r : routes) {
    ran.clear();
    LRESULT result = -1;
    EXPECT_EQ(map.dispatch(r.message, r.wParam, r.lParam, result), r.handled) << r.what;
    if (r.handled) {
      EXPECT_EQ(result, r.result) << r.what;
    }
    EXPECT_EQ(ran, r.ran) << r.what;
  }
}

class CProbeWnd : public CWnd {
 public:
  CProbeWnd() {
    messages_.on(WM_CREATE, [this](WPARAM, LPARAM) -> LRESULT {
      hwndAtCreate = hwnd();
      return 0;
    });
    messages_.on(WM_APP, [](WPARAM w, LPARAM) -> LRESULT { return static_cast<LRESULT>(w * 2); });
    messages_.on(WM_APP + 1, [](WPARAM, LPARAM) -> LRESULT { throw std::runtime_error("Player: seek failed"); });
    messages_.onCommand(7, [this] { ++commands; });
  }
  bool create() {
    return RegisterWindowClass(L"TolvProbeWnd", nullptr, nullptr) &&
           CreateEx(0, L"TolvProbeWnd", L"probe", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr);
  }
  HWND hwndAtCreate = nullptr;
  int commands = 0;
  int destroyed = 0;

 protected:
  void PostNcDestroy() override { ++destroyed; }
};

std::wstring g_reported;
void CaptureReport(HWND, const std::wstring& text) { g_reported = text; }

TEST(WndTest, BindsTheObjectFromCreationToDestruction) {
  CProbeWnd w;
  ASSERT_TRUE(w.create());
  EXPECT_EQ(w.hwndAtCreate, w.hwnd());
  EXPECT_EQ(CWnd::FromHandle(w.hwnd()), &w);
  EXPECT_EQ(SendMessageW(w.hwnd(), WM_APP, 21, 0), 42);
  SendMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(7, 0), 0);
  EXPECT_EQ(w.commands, 1);
  // Unmapped messages reach the default procedure.
  EXPECT_EQ(SendMessageW(w.hwnd(), WM_GETTEXTLENGTH, 0, 0), 5);
  w.DestroyWindow();
  EXPECT_EQ(w.hwnd(), nullptr);
  EXPECT_EQ(w.destroyed, 1);
}

TEST(WndTest, AnExceptionEndsItsHandlerAndIsReported) {
  SetHandlerErrorReporter(&CaptureReport);
  g_reported.clear();
  CProbeWnd w;
  ASSERT_TRUE(w.create());
  EXPECT_EQ(SendMessageW(w.hwnd(), WM_APP + 1, 0, 0), 0);
  EXPECT_EQ(g_reported, L"Player: seek failed");
  // The window goes on working.
  EXPECT_EQ(SendMessageW(w.hwnd(), WM_APP, 1, 0), 2);
  SetHandlerErrorReporter(nullptr);
}

}  // namespace
}  // namespace tolv
