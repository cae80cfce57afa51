// The low-level keyboard hook against keys typed into another process's edit field.
// Hook tests share the desktop with every other window test: they run one after another.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "testsupport/win32/WinTest.h"
#include "tolv/hotkeys/HotkeyCommands.h"
#include "tolv/hotkeys/win32/Win32KeyboardHook.h"

using namespace tolv;

namespace {

constexpr UINT kTypeKey = WM_APP + 1;
constexpr UINT VK_A = 0x41, VK_Z = 0x5A;

std::vector<WPARAM> commands;

LRESULT CALLBACK CommandProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    commands.push_back(wParam);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Records transport calls; posts commands to a window as the main view does.
class RecordingView : public IHotkeyTarget {
 public:
  HWND commandWindow = nullptr;
  std::vector<std::string> calls;
  bool IsPlaying() const override { return false; }
  bool IsPlayWhileHeld() const override { return false; }
  double MediaDuration() const override { return 0; }
  void PlayToggle() override { calls.push_back("PlayToggle"); }
  void Stop() override { calls.push_back("Stop"); }
  void RewindStep() override { calls.push_back("RewindStep"); }
  void FastForwardStep() override { calls.push_back("FastForwardStep"); }
  void SetHeld(HeldButton, bool) override { calls.push_back("SetHeld"); }
  void ReleaseRewFf(HeldButton) override { calls.push_back("ReleaseRewFf"); }
  void AddBookmark() override { calls.push_back("AddBookmark"); }
  void PostCommand(uint32_t id) override { PostCommandToWindow(commandWindow, id); }
  bool IntervalTimestamps() const override { return false; }
  bool ParagraphTimestamps() const override { return false; }
  int ParagraphEnterCount() const override { return 2; }
};

// Dispatches this thread's messages (and so the hook calls) until cond holds.
bool PumpUntil(const std::function<bool()>& cond, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (cond()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

class KeyboardHook : public ::testing::Test {
 protected:
  CTipHotkeysTable table = MakeDefaultHotkeys();
  HotkeyDispatcher::DisabledFlags disabled{};
  RecordingView view;
  HotkeyDispatcher dispatcher{view, table, disabled};
  Win32KeyboardHook hook;
  kit::Child typist;
  HWND typistWindow = nullptr;
  HWND commandWindow = nullptr;

  void SetUp() override {
    commands.clear();
    const std::wstring commandClass = kit::uniqueName(L"HotkeyCommands");
    WNDCLASSW wc{};
    wc.lpfnWndProc = CommandProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = commandClass.c_str();
    ASSERT_TRUE(RegisterClassW(&wc));
    commandWindow = CreateWindowExW(0, commandClass.c_str(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                    nullptr, wc.hInstance, nullptr);
    ASSERT_NE(commandWindow, nullptr);
    view.commandWindow = commandWindow;

    const std::wstring typistClass = kit::uniqueName(L"HotkeyTypist");
    ASSERT_TRUE(typist.start(L"hotkey_typist.exe", typistClass));
    ASSERT_TRUE(PumpUntil(
        [&] {
          typistWindow = FindWindowW(typistClass.c_str(), nullptr);
          return typistWindow && log().rfind(L"R ", 0) == 0;
        },
        10000));
    ASSERT_TRUE(hook.Install(dispatcher, GetModuleHandleW(nullptr)));
  }

  void TearDown() override {
    hook.Uninstall();
    if (typistWindow) PostMessageW(typistWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(typist.wait(10000), 0);
    if (commandWindow) DestroyWindow(commandWindow);
  }

  std::wstring log() {
    wchar_t text[2048] = {};
    GetWindowTextW(typistWindow, text, 2048);
    return text;
  }
  bool logHas(const std::wstring& entry) { return log().find(L" " + entry + L" ") != std::wstring::npos; }

  void down(UINT vk) { PostMessageW(typistWindow, kTypeKey, vk, 0); }
  void up(UINT vk) { PostMessageW(typistWindow, kTypeKey, vk, 1); }
  // Keys reach the edit field in the order typed: once Z's key-up is there, so is
  // everything typed before it that was let through.
  void typeAndSettle(UINT vk) {
    down(vk);
    up(vk);
    down(VK_Z);
    up(VK_Z);
    ASSERT_TRUE(PumpUntil([&] { return logHas(L"U5A"); }, 10000)) << "log: " << std::string(log().begin(), log().end());
  }
  std::string logText() { const std::wstring l = log(); return std::string(l.begin(), l.end()); }
};

TEST_F(KeyboardHook, TimeStampKeyDownPassesAndKeyUpIsConsumed) {
  typeAndSettle(VK_F9);
  EXPECT_TRUE(PumpUntil([] { return !commands.empty(); }, 5000));
  EXPECT_EQ(commands, std::vector<WPARAM>{kCmdTimeStamp});
  EXPECT_TRUE(logHas(L"D78")) << logText();
  EXPECT_FALSE(logHas(L"U78")) << logText();
  hook.Uninstall();
  up(VK_F9);  // the consumed key-up left F9 down for the system
  EXPECT_TRUE(PumpUntil([&] { return logHas(L"U78"); }, 5000)) << logText();
}

TEST_F(KeyboardHook, StopKeyDownIsConsumedAndKeyUpPasses) {
  typeAndSettle(VK_F4);
  EXPECT_EQ(view.calls, std::vector<std::string>{"Stop"});
  EXPECT_FALSE(logHas(L"D73")) << logText();
  EXPECT_TRUE(logHas(L"U73")) << logText();
  EXPECT_TRUE(commands.empty());
}

TEST_F(KeyboardHook, TypedLetterReachesTheEditField) {
  typeAndSettle(VK_A);
  EXPECT_TRUE(logHas(L"D41")) << logText();
  EXPECT_TRUE(logHas(L"C61")) << logText();
  EXPECT_TRUE(logHas(L"U41")) << logText();
  EXPECT_TRUE(view.calls.empty());
  EXPECT_TRUE(commands.empty());
}

TEST_F(KeyboardHook, DisabledHotkeyReachesTheEditField) {
  disabled[HotkeyStop - 1] = true;
  typeAndSettle(VK_F4);
  EXPECT_TRUE(logHas(L"D73")) << logText();
  EXPECT_TRUE(view.calls.empty());
}

TEST_F(KeyboardHook, UninstalledHookLetsEverythingThrough) {
  hook.Uninstall();
  typeAndSettle(VK_F9);
  EXPECT_TRUE(logHas(L"D78")) << logText();
  EXPECT_TRUE(logHas(L"U78")) << logText();
  PumpUntil([] { return false; }, 100);
  EXPECT_TRUE(commands.empty());
}

}  // namespace

namespace {

// Windows reports F10 as a system key, so its default hotkey never fires.
TEST_F(KeyboardHook, F10IsASystemKeyAndPasses) {
  typeAndSettle(VK_F10);
  PumpUntil([] { return false; }, 100);
  EXPECT_TRUE(commands.empty());
  EXPECT_TRUE(logHas(L"SD79")) << logText();
  EXPECT_TRUE(logHas(L"SU79")) << logText();
}

}  // namespace
