#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "vcbridge/ipc/WindowSystem.h"

namespace vcb::testing {

// In-process stand-in for user32 as the message window uses it: window
// classes, windows owned by the thread that created them, and one FIFO queue
// per thread that getMessage() blocks on. Tests post into the queues the way
// other processes would. Any port operation can be made to fail.
class FakeWindowSystem : public IWindowSystem {
 public:
  // Port operations, as Win32: a class registers once; a window is destroyed
  // only by its own thread; a class with windows left cannot be unregistered.
  bool registerClass(const std::wstring& className) override;
  WindowHandle createWindow(const std::wstring& className, const std::wstring& title) override;
  GetResult getMessage(WindowMessage* out) override;
  bool postQuit(WindowHandle window) override;
  bool destroyWindow(WindowHandle window) override;
  bool unregisterClass(const std::wstring& className) override;

  // The next `count` calls of `operation` ("registerClass", "createWindow",
  // "getMessage", "postQuit", "destroyWindow", "unregisterClass") fail.
  void failNext(const std::string& operation, int count = 1);

  // PostMessage: queues the message for the window's thread; false if the
  // window does not exist.
  bool post(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam);
  // Queues msg as it stands (any window field, nullptr for a thread message)
  // for the thread that owns `windowOfThread`; false if that window does not exist.
  bool postToThreadOf(WindowHandle windowOfThread, const WindowMessage& msg);

  WindowHandle findWindow(const std::wstring& className, const std::wstring& title) const;
  bool isWindow(WindowHandle window) const;
  bool isClassRegistered(const std::wstring& className) const;
  int windowCount() const;

 private:
  struct Window {
    std::wstring className;
    std::wstring title;
    std::thread::id owner;
  };
  struct Item {
    WindowMessage msg;
    bool quit = false;
  };

  bool shouldFail(const std::string& operation);  // caller holds lock_
  bool enqueue(WindowHandle windowOfThread, const Item& item);

  mutable std::mutex lock_;
  std::condition_variable queued_;
  std::map<std::string, int> failures_;
  std::set<std::wstring> classes_;
  std::map<WindowHandle, Window> windows_;
  std::map<std::thread::id, std::deque<Item>> queues_;
  uintptr_t lastWindow_ = 0x10000;
};

// Installs a FakeWindowSystem as the window port for the life of a test.
class ScopedFakeWindowSystem {
 public:
  ScopedFakeWindowSystem() { setWindowSystem(&ws); }
  ~ScopedFakeWindowSystem() { setWindowSystem(nullptr); }
  FakeWindowSystem* operator->() { return &ws; }
  FakeWindowSystem& operator*() { return ws; }
  FakeWindowSystem ws;
};

}  // namespace vcb::testing
