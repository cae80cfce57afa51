#include <windows.h>

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "testsupport/win32/WinTest.h"
#include "vcbridge/core/win32/Win32Kernel.h"
#include "vcbridge/ipc/DSSSessionEventManager.h"
#include "vcbridge/ipc/WindowsMessageMonitor.h"
#include "vcbridge/ipc/win32/Win32MessagePort.h"
#include "vcbridge/ipc/win32/Win32WindowSystem.h"

namespace vcb {
namespace {

using Params = std::pair<uintptr_t, intptr_t>;

class RecordingHandler : public IWindowsMessageHandler {
 public:
  explicit RecordingHandler(uint32_t number) : number_(number) {}
  uint32_t MessageNumber() const override { return number_; }
  void SetWindowHandle(WindowHandle w) override { window = w; }
  bool ProcessMessage(uintptr_t wparam, intptr_t lparam) override {
    std::lock_guard<std::mutex> g(lock_);
    seen_.emplace_back(wparam, lparam);
    return true;
  }
  std::vector<Params> seen() {
    std::lock_guard<std::mutex> g(lock_);
    return seen_;
  }
  bool waitForCalls(size_t n) {
    return kit::waitFor([&] { return seen().size() >= n; }, 5000);
  }
  WindowHandle window = nullptr;

 private:
  uint32_t number_;
  std::mutex lock_;
  std::vector<Params> seen_;
};

// Runs the poster with args; its exit code, -1 if it did not end in time.
long poster(const std::wstring& args) {
  kit::Child child;
  if (!child.start(L"vcb_poster.exe", args)) return -100;
  return child.wait(20000);
}

HWND relayWindow() { return FindWindowW(kMessageWindowClass, kMessageWindowClass); }

bool classRegistered(const wchar_t* name) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  return GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc) != FALSE;
}

class MessageWindowWin32 : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    useWin32Kernel();
    useWin32WindowSystem();
    useWin32MessagePort();
    registerMessages();
  }
  boost::shared_ptr<RecordingHandler> bindCommand(WindowsMessageMonitor& m) {
    auto h = boost::make_shared<RecordingHandler>(registeredMessages().command);
    m.registerHandler(h);
    return h;
  }
};

TEST_F(MessageWindowWin32, ACommandPostedByAnotherProcessReachesTheHandler) {
  WindowsMessageMonitor m;
  m.start();
  ASSERT_NE(nullptr, m.window());
  EXPECT_EQ(m.window(), relayWindow()) << "found by class and title";
  EXPECT_FALSE(IsWindowVisible(relayWindow())) << "never shown";
  auto h = bindCommand(m);
  EXPECT_EQ(m.window(), h->window);

  ASSERT_EQ(0, poster(L"post WMSZ_DSS_COMMAND 7 2"));
  ASSERT_TRUE(h->waitForCalls(1));
  EXPECT_EQ((std::vector<Params>{{7, 2}}), h->seen());
  m.stop();
}

TEST_F(MessageWindowWin32, ASentCommandHasNoEffect) {
  WindowsMessageMonitor m;
  m.start();
  auto h = bindCommand(m);
  ASSERT_EQ(0, poster(L"send WMSZ_DSS_COMMAND 7 2")) << "answered by the default procedure";
  ASSERT_EQ(0, poster(L"post WMSZ_DSS_COMMAND 8 3"));
  ASSERT_TRUE(h->waitForCalls(1));
  m.stop();
  EXPECT_EQ((std::vector<Params>{{8, 3}}), h->seen());
}

TEST_F(MessageWindowWin32, ASecondHandlerForTheSameMessageReplacesTheFirst) {
  WindowsMessageMonitor m;
  m.start();
  auto first = bindCommand(m);
  auto second = bindCommand(m);
  HWND hwnd = static_cast<HWND>(m.window());
  ASSERT_TRUE(PostMessageW(hwnd, registeredMessages().command, 7, 2));
  ASSERT_TRUE(PostMessageW(hwnd, registeredMessages().notify, 9, 9)) << "unbound: dropped";
  ASSERT_TRUE(PostMessageW(hwnd, registeredMessages().command, 8, 3));
  ASSERT_TRUE(second->waitForCalls(2));
  m.stop();
  EXPECT_TRUE(first->seen().empty());
  EXPECT_EQ((std::vector<Params>{{7, 2}, {8, 3}}), second->seen());
}

TEST_F(MessageWindowWin32, StopEndsTheThreadRemovesTheWindowAndBothClasses) {
  WNDCLASSEXW old{};
  old.cbSize = sizeof(old);
  old.lpfnWndProc = DefWindowProcW;
  old.hInstance = GetModuleHandleW(nullptr);
  old.lpszClassName = kOldMessageWindowClass;
  ASSERT_NE(0, RegisterClassExW(&old));

  WindowsMessageMonitor m;
  m.start();
  HWND hwnd = static_cast<HWND>(m.window());
  ASSERT_TRUE(IsWindow(hwnd));
  ASSERT_TRUE(classRegistered(kMessageWindowClass));
  HANDLE thread = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), m.threadHandle(), GetCurrentProcess(), &thread,
                              SYNCHRONIZE | THREAD_QUERY_LIMITED_INFORMATION, FALSE, 0));
  m.stop();

  EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(thread, 0)) << "thread has ended";
  DWORD code = 1234;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(0u, code);
  CloseHandle(thread);
  EXPECT_EQ(nullptr, m.threadHandle());
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(nullptr, relayWindow());
  EXPECT_EQ(2, poster(L"find")) << "gone for other processes too";
  EXPECT_FALSE(classRegistered(kMessageWindowClass));
  EXPECT_FALSE(classRegistered(kOldMessageWindowClass));
}

TEST_F(MessageWindowWin32, RegisteredMessagesHaveTheSameNumberInEveryProcess) {
  const std::wstring fresh = kit::uniqueName(L"VCB_Test_Message");
  // The fresh name is registered by the other process first.
  long freshThere = poster(L"register " + fresh);
  struct Case {
    std::wstring name;
    long there;
  } cases[] = {{L"WMSZ_DSS_COMMAND", poster(L"register WMSZ_DSS_COMMAND")},
               {L"WMSZ_DSS_NOTIFY", poster(L"register WMSZ_DSS_NOTIFY")},
               {L"WMSZ_DSS_SESSIONNOTIFY", poster(L"register WMSZ_DSS_SESSIONNOTIFY")},
               {fresh, freshThere}};
  for (const auto& c : cases) {
    uint32_t here = messagePort().registerMessage(c.name);
    EXPECT_GE(here, 0xC000u);
    EXPECT_EQ(static_cast<long>(here), c.there) << std::string(c.name.begin(), c.name.end());
  }
  EXPECT_EQ(registeredMessages().command, messagePort().registerMessage(L"WMSZ_DSS_COMMAND"));
}

TEST_F(MessageWindowWin32, TheMessagePortPostsToAnApplicationWindow) {
  // This thread plays the application: a window of its own, read by PeekMessageW.
  HWND app = CreateWindowExW(0, L"STATIC", L"app", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, app);
  auto id = static_cast<WindowId>(reinterpret_cast<uintptr_t>(app));
  uint32_t notify = registeredMessages().notify;

  EXPECT_TRUE(messagePort().post(id, notify, 0, 49));
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, app, notify, notify, PM_REMOVE));
  EXPECT_EQ(0u, msg.wParam);
  EXPECT_EQ(49, msg.lParam);

  EXPECT_FALSE(messagePort().post(0, notify, 0, 1)) << "not into the caller's own queue";
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, notify, notify, PM_REMOVE));
  DestroyWindow(app);
  EXPECT_FALSE(messagePort().post(id, notify, 0, 1)) << "a vanished window";
}

TEST_F(MessageWindowWin32, TheSessionMutexIsSharedWithOtherProcesses) {
  const std::wstring args = std::wstring(L"mutex ") + kSessionEventMutexName;
  ASSERT_EQ(2, poster(args)) << "no manager yet";
  auto m = DSSSessionEventManager::create();
  EXPECT_TRUE(m->hasNamedMutex());
  EXPECT_EQ(0, poster(args)) << "exists, openable and not owned";
  {
    DSSSessionEventManager::LockGuard g(*m);
    EXPECT_EQ(5, poster(args)) << "held while locked";
  }
  EXPECT_EQ(0, poster(args));
  m.reset();
  DSSSessionEventManager::destroy();
  EXPECT_EQ(2, poster(args)) << "closed with the manager";
}

}  // namespace
}  // namespace vcb
