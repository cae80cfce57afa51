#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "vcbridge/ipc/MessagePort.h"

namespace vcb::testing {

// Records what the relay posts to application windows, for tests of any
// code that answers through the message port.
//
// - registerMessage numbers names from 0xC000 up in the order they are first
//   seen; the same name always gets the same number.
// - Every window exists until a test says it is gone (windowGone); posts to
//   a gone window, to 0 or to 0xFFFF return false, like the Win32 port.
// - Every attempt is recorded, delivered or not, in order. Thread-safe:
//   waitForPosts() lets a test wait for posts made on another thread.
class FakeMessagePort : public IMessagePort {
 public:
  struct Post {
    WindowId window = 0;
    uint32_t message = 0;
    uintptr_t wparam = 0;
    intptr_t lparam = 0;
    bool delivered = false;
    bool operator==(const Post&) const = default;
  };

  uint32_t registerMessage(const std::wstring& name) override;
  bool post(WindowId window, uint32_t message, uintptr_t wparam, intptr_t lparam) override;

  // From now on posts to window fail (gone = true) or succeed again (false).
  void windowGone(WindowId window, bool gone = true);

  std::vector<Post> posts() const;               // every attempt, oldest first
  std::vector<Post> delivered() const;           // only those that succeeded
  std::vector<Post> postsTo(WindowId window) const;
  void clear();                                  // forgets the recorded posts
  // Waits until at least n attempts are recorded; false after the time-out.
  bool waitForPosts(size_t n, std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
  // The number registered for name, 0 if it never was.
  uint32_t numberOf(const std::wstring& name) const;

 private:
  mutable std::mutex lock_;
  mutable std::condition_variable posted_;
  std::map<std::wstring, uint32_t> numbers_;
  std::set<WindowId> gone_;
  std::vector<Post> posts_;
};

// Installs a FakeMessagePort for the life of a test and registers the
// relay's three messages through it, so registeredMessages() is filled
// (0xC000 "WMSZ_DSS_COMMAND", 0xC001 "WMSZ_DSS_NOTIFY", 0xC002 "WMSZ_DSS_SESSIONNOTIFY").
class ScopedFakeMessagePort {
 public:
  ScopedFakeMessagePort() {
    setMessagePort(&port);
    registerMessages();
  }
  ~ScopedFakeMessagePort() { setMessagePort(nullptr); }
  FakeMessagePort* operator->() { return &port; }
  FakeMessagePort& operator*() { return port; }
  FakeMessagePort port;
};

}  // namespace vcb::testing
