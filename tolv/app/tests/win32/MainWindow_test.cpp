// The player's main window, driven from outside as a user would: the program
// runs as its own process and the test finds its windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "testsupport/win32/UiDriver.h"
#include "testsupport/win32/WinTest.h"
#include "tolv/app/Appearance.h"
#include "tolv/app/SettingsStore.h"
#include "tolv/app/resource.h"
#include "tolv/config/Settings.h"
#include "tolv/config/files/ConfigurationFiles.h"
#include "tolv/config/win32/Win32DataFiles.h"
#include "tolv/playback/tests/win32/TestWav.h"

namespace tolv {
namespace {

constexpr wchar_t kMainFrameKey[] = L"Software\\Quenmark\\Tolv\\MainFrame";
const std::wstring kSixty = L"0123456789ABCDEfghijklmnopqrstuvwxyz0123456789abcdeFGHIJ.wav";

RECT WindowRect(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}
int Height(const RECT& r) { return r.bottom - r.top; }
int Width(const RECT& r) { return r.right - r.left; }

std::wstring Text(HWND w) {
  wchar_t text[256] = {};
  SendMessageTimeoutW(w, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
  return text;
}

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Wine draws the captions itself when there is no window manager.
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
      RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 4);
      RegCloseKey(key);
    }
  }
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kMainFrameKey);
    // The form's colours come from the configuration beside the program.
    ResetConfigurationToFirstStart();
    appearanceColorFrom = static_cast<int>(kDefaultColorFrom);
    appearanceColorTo = static_cast<int>(kDefaultColorTo);
    Win32DataFiles files(kit::exeFolder(), kit::exeFolder(), true);
    files.createFolder(ConfigurationFolderPath(files));
    SaveMainConfiguration(files);
    ResetConfigurationToFirstStart();
    // No start-up notice over the form, and no wait for the update service.
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quenmark\\Tolv\\Settings", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) == ERROR_SUCCESS) {
      const DWORD one = 1;
      RegSetValueExW(key, L"DontShowKLCodecMsg", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one));
      RegCloseKey(key);
    }
    SetEnvironmentVariableW(L"TOLV_UPDATE_SERVICE", L"http://127.0.0.1:9");
  }
  void TearDown() override {
    if (frame) PostMessageW(frame, WM_CLOSE, 0, 0);
    child.wait(10000);
    RegDeleteTreeW(HKEY_CURRENT_USER, kMainFrameKey);
  }

  // Starts the player with the argument and waits for its frame and form.
  void Start(const std::wstring& args) {
    ASSERT_TRUE(child.start(L"tolv.exe", args));
    pid = GetProcessId(child.handle());
    ASSERT_TRUE(kit::waitFor([&] { return (frame = kit::findTopLevel(pid, L"TolvMainFrame")) != nullptr; }, 20000));
    ASSERT_TRUE(kit::waitFor([&] { return (form = FindWindowExW(frame, nullptr, L"#32770", nullptr)) != nullptr; },
                             5000));
  }
  HWND Control(int id) { return GetDlgItem(form, id); }
  RECT ViewClient() {
    RECT r{};
    GetClientRect(form, &r);
    return r;
  }
  void Click(int id) { SendMessageW(form, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id))); }

  kit::Child child;
  DWORD pid = 0;
  HWND frame = nullptr;
  HWND form = nullptr;
};

TEST_F(MainWindowTest, ShowsTheFormWithALongNameShortenedAndTogglesCompactSizes) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring medium = std::wstring(temp) + kSixty;
  testing::WriteWavFile(medium, 5);
  Start(L"\"" + medium + L"\"");
  EXPECT_EQ(Text(Control(IDC_FILE_NAME)), L"0123456789ABCDE...9abcdeFGHIJ.wav");
  EXPECT_EQ(Text(Control(IDC_PLAY)), L"PLAY");
  EXPECT_EQ(Text(Control(IDC_STOPWATCH_LABEL)), L"00:00:00");
  EXPECT_EQ(GetWindowLongPtrW(frame, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "\"Always on top\" is off";
  EXPECT_EQ(GetWindowLongPtrW(frame, GWL_STYLE) & WS_MAXIMIZEBOX, 0);
  kit::screenshotWindow(frame, L"main-window.bmp");

  // A medium is open: the player control holds the video area.
  // Collapse: the video area goes, the frame shrinks to 260 (the compact
  // form fits there) and becomes the view's width + 15 wide.
  const RECT video = WindowRect(Control(IDC_MEDIA_PLAYER));
  ASSERT_TRUE(IsWindowVisible(Control(IDC_MEDIA_PLAYER)));
  const RECT before = ViewClient();
  ASSERT_GT(Height(video) + 40, before.bottom - 260) << "the view is tall enough to end at the minimum";
  Click(IDC_COMPACT_TOGGLE);
  EXPECT_EQ(Height(WindowRect(frame)), 260);
  EXPECT_EQ(Width(WindowRect(frame)), before.right + 15);
  EXPECT_FALSE(IsWindowVisible(Control(IDC_MEDIA_PLAYER)));
  // Every row still fits in the compact view.
  const RECT compact = ViewClient();
  for (int id : {IDC_POSITION_SLIDER, IDC_PLAY, IDC_BALANCE_SLIDER, IDC_STOPWATCH_RESET, IDC_LINK_HOME}) {
    RECT r = WindowRect(Control(id));
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_LE(r.bottom, compact.bottom) << id;
    EXPECT_LE(r.right, compact.right) << id;
  }
  kit::screenshotWindow(frame, L"main-window-compact.bmp");

  // Expand: the view grows by the new delta (no video in compact mode: 40),
  // at least to 330.
  Click(IDC_COMPACT_TOGGLE);
  EXPECT_EQ(Height(WindowRect(frame)), std::max<int>(compact.bottom + 40, 330));
  EXPECT_TRUE(IsWindowVisible(Control(IDC_MEDIA_PLAYER)));
}

TEST_F(MainWindowTest, TheBackgroundGradientRunsThroughTheFormAndItsLabels) {
  Start(L"");
  RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
  const RECT client = ViewClient();
  // The bitmap is 6 pixels larger each way; pixel (x, y) has the colour of
  // anti-diagonal x + y.
  const int total = client.right + 6 + client.bottom + 6;
  auto expected = [&](int x, int y) {
    const ColorRef from = kDefaultColorFrom, to = kDefaultColorTo;
    return MakeColorRef(GradientChannel(RedOf(from), RedOf(to), x + y, total),
                        GradientChannel(GreenOf(from), GreenOf(to), x + y, total),
                        GradientChannel(BlueOf(from), BlueOf(to), x + y, total));
  };
  auto onScreen = [&](int x, int y) {
    POINT pt{x, y};
    ClientToScreen(form, &pt);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, pt.x, pt.y);
    ReleaseDC(nullptr, screen);
    return static_cast<ColorRef>(c);
  };
  RECT label = WindowRect(Control(IDC_POSITION_LABEL));
  MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&label), 2);
  ASSERT_EQ(Text(Control(IDC_POSITION_LABEL)), L"");
  const POINT points[] = {{0, 0},
                          {client.right - 1, client.bottom - 1},
                          // Inside an empty label: its brush origin follows the label.
                          {label.left + 20, label.top + 8}};
  for (POINT p : points) EXPECT_EQ(onScreen(p.x, p.y), expected(p.x, p.y)) << p.x << "," << p.y;
}

TEST_F(MainWindowTest, DraggingTheBottomBorderStopsAt345WhileExpanded) {
  Start(L"");
  RECT r = WindowRect(frame);
  r.bottom = r.top + 300;
  // The frame corrects the rectangle it is offered during a drag.
  SendMessageW(frame, WM_SIZING, WMSZ_BOTTOM, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(Height(r), 345);
  Click(IDC_COMPACT_TOGGLE);
  r = WindowRect(frame);
  r.bottom = r.top + 300;
  SendMessageW(frame, WM_SIZING, WMSZ_BOTTOM, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(Height(r), 300);
}

TEST_F(MainWindowTest, ClosingStoresThePlacementAndTheNextStartRestoresIt) {
  Start(L"");
  SetWindowPos(frame, nullptr, 40, 30, 360, 500, SWP_NOZORDER | SWP_NOACTIVATE);
  const RECT placed = WindowRect(frame);
  PostMessageW(frame, WM_CLOSE, 0, 0);
  ASSERT_EQ(child.wait(10000), 0);
  frame = nullptr;

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kMainFrameKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
  ProfileBytes bytes(64);
  DWORD type = 0, size = static_cast<DWORD>(bytes.size());
  ASSERT_EQ(RegQueryValueExW(key, L"WP", nullptr, &type, bytes.data(), &size), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  bytes.resize(size);
  const auto record = WindowPlacementRecord::fromBytes(bytes);
  ASSERT_TRUE(record) << size;
  EXPECT_EQ(record->right - record->left, Width(placed));
  EXPECT_EQ(record->bottom - record->top, Height(placed));

  kit::Child second;
  ASSERT_TRUE(second.start(L"tolv.exe", L""));
  HWND again = nullptr;
  ASSERT_TRUE(kit::waitFor([&] { return (again = kit::findTopLevel(GetProcessId(second.handle()), L"TolvMainFrame")); },
                           20000));
  const RECT restored = WindowRect(again);
  EXPECT_EQ(Width(restored), Width(placed));
  EXPECT_EQ(Height(restored), Height(placed));
  PostMessageW(again, WM_CLOSE, 0, 0);
  EXPECT_EQ(second.wait(10000), 0);
}

TEST_F(MainWindowTest, ABlockOfTheWrongLengthIsNoPlacement) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kMainFrameKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  WindowPlacementRecord tiny;
  tiny.showCmd = SW_SHOWNORMAL;
  tiny.left = 10, tiny.top = 10, tiny.right = 60, tiny.bottom = 60;
  ProfileBytes bytes = tiny.toBytes();
  bytes.resize(40);
  RegSetValueExW(key, L"WP", 0, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
  Start(L"");
  EXPECT_GT(Width(WindowRect(frame)), 200);
  EXPECT_GT(Height(WindowRect(frame)), 300);
}

// The splash is the borderless topmost popup dialog of the process.
HWND FindSplash(DWORD pid) {
  std::pair<DWORD, HWND> data{pid, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* d = reinterpret_cast<std::pair<DWORD, HWND>*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        wchar_t cls[16] = {};
        GetClassNameW(w, cls, 16);
        if (owner == d->first && lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(w) &&
            (GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) && (GetWindowLongPtrW(w, GWL_STYLE) & WS_CAPTION) != WS_CAPTION) {
          d->second = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&data));
  return data.second;
}

TEST_F(MainWindowTest, SplashGoesAfterTwoSecondsAndTheAboutBoxShowsTheVersion) {
  ASSERT_TRUE(child.start(L"tolv.exe", L""));
  pid = GetProcessId(child.handle());
  HWND splash = nullptr;
  ASSERT_TRUE(kit::waitFor([&] { return (splash = FindSplash(pid)) != nullptr; }, 20000));
  EXPECT_TRUE(kit::waitFor([&] { return !IsWindow(splash); }, 6000));
  ASSERT_TRUE(kit::waitFor([&] { return (frame = kit::findTopLevel(pid, L"TolvMainFrame")) != nullptr; }, 5000));

  PostMessageW(frame, WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0);
  HWND about = nullptr;
  ASSERT_TRUE(kit::waitFor([&] { return (about = kit::findTopLevel(pid, L"#32770", L"About Tolv")) != nullptr; }, 5000));
  EXPECT_EQ(Text(GetDlgItem(about, IDC_ABOUT_VERSION)), L"Tolv Version 4.3");
  PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_TRUE(kit::waitFor([&] { return !IsWindow(about); }, 5000));
}

}  // namespace
}  // namespace tolv

namespace tolv {
namespace {

// "&Settings" of the menu opens the settings dialog over the frame; "Always
// on top" reaches the frame, and Cancel of the dialog takes it back.
TEST_F(MainWindowTest, SettingsMenuOpensTheSettingsDialog) {
  Start(L"");
  PostMessageW(frame, WM_COMMAND, MAKEWPARAM(ID_SETTINGS, 0), 0);
  HWND settings = nullptr;
  ASSERT_TRUE(kit::waitFor([&] { return (settings = kit::findTopLevel(pid, L"#32770", L"Settings")) != nullptr; }, 5000));
  EXPECT_EQ(GetWindow(settings, GW_OWNER), frame);
  HWND onTop = nullptr;
  EnumChildWindows(
      settings,
      [](HWND w, LPARAM p) -> BOOL {
        if (Text(w) != L"Always on top") return TRUE;
        *reinterpret_cast<HWND*>(p) = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&onTop));
  ASSERT_NE(onTop, nullptr);
  PostMessageW(onTop, BM_CLICK, 0, 0);
  ASSERT_TRUE(kit::waitFor([&] { return SendMessageW(onTop, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 5000));
  PostMessageW(settings, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_TRUE(kit::waitFor([&] { return !IsWindow(settings); }, 5000));
  EXPECT_EQ(GetWindowLongPtrW(frame, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

}  // namespace
}  // namespace tolv
