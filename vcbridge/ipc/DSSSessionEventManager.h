#pragma once
#include <cstdint>
#include <map>
#include <mutex>
#include <set>

#include "vcbridge/core/Mutex.h"
#include "vcbridge/core/Singleton.h"
#include "vcbridge/ipc/MessagePort.h"

namespace vcb {

inline constexpr const wchar_t* kSessionEventMutexName = L"VARNETH_VCB_DSSSessionEventManager_MUTEX";

// The relay's session bookkeeping: the application windows subscribed to
// session notices (window -> message number to post) and the windows that
// have the DSS channel open. The message-window thread, the DSS read loop
// and the session observer all use it, always between lock() and unlock().
class DSSSessionEventManager : public Singleton<DSSSessionEventManager> {
 public:
  using SessionNoticeMap = std::map<WindowId, uint32_t>;
  using OpenWindowSet = std::set<WindowId>;

  // Holds the manager's lock for one scope.
  class LockGuard {
   public:
    explicit LockGuard(DSSSessionEventManager& m) : m_(m) { m_.lock(); }
    ~LockGuard() { m_.unlock(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

   private:
    DSSSessionEventManager& m_;
  };

  DSSSessionEventManager();  // creates or opens the named mutex, not owned
  ~DSSSessionEventManager();  // releases and closes it

  void lock();    // no time-out
  void unlock();

  // A copy of the session-notice map, taken under the lock.
  SessionNoticeMap sessionNotices();

  // For the holder of the lock only.
  SessionNoticeMap& sessionNoticeMap() { return sessionNotices_; }
  OpenWindowSet& openWindows() { return openWindows_; }
  // Subscribes window; a window already subscribed keeps its first number.
  // False if it was already there.
  bool subscribe(WindowId window, uint32_t message);
  // False if the window was not subscribed (nothing changes then).
  bool unsubscribe(WindowId window);
  // No open window and no subscription left: the relay has nobody to serve.
  bool idle() const { return openWindows_.empty() && sessionNotices_.empty(); }

  bool hasNamedMutex() const { return !mutex_.isNull(); }

 private:
  SessionNoticeMap sessionNotices_;
  OpenWindowSet openWindows_;
  Mutex mutex_;
  // Stands in when the named mutex could not be made: three threads change
  // the containers, and an unguarded std::map does not survive that.
  std::recursive_mutex fallback_;
};

}  // namespace vcb
