#include "vcbridge/ipc/SessionObserver.h"

#include <algorithm>

#include "vcbridge/core/Kernel.h"
#include "vcbridge/core/Log.h"
#include "vcbridge/ipc/DSSSessionEventManager.h"

namespace vcb {

namespace {
constexpr uint32_t kSleepSlice = 100;
}

SessionObserver::SessionObserver(ISessionChannels& channels, uint32_t pollMs)
    : channels_(channels), pollMs_(pollMs) {}

SessionObserver::~SessionObserver() { waitForThreadEnd(); }

void SessionObserver::postToSubscribers(bool connectedAgain) {
  auto manager = DSSSessionEventManager::get();
  DSSSessionEventManager::LockGuard lock(*manager);
  // The map is ordered by window handle, so notices go out in ascending order.
  auto notices = manager->sessionNoticeMap();
  for (const auto& [window, message] : notices) {
    if (connectedAgain) {
      if (notified_.count(window)) postToPeer(window, message, 1, 0);
    } else {
      postToPeer(window, message, 0, 0);
      notified_.insert(window);
    }
  }
  if (connectedAgain) notified_.clear();
}

void SessionObserver::turn() {
  if (channels_.sessionConnected()) {
    const bool dropSeen = !connected_.load();
    if (dropSeen || channels_.channelFailed()) {
      if (!dropSeen)
        log::Warn("[0x%08X]\t%s\t%s\tChannel read failed while connected: channels reopened",
                  log::Addr(this), "VCB\tSessionObserver", "Run");
      channels_.reopenDss();
      channels_.reopenCfa();
      // Only windows told of a disconnection hear of the reconnection.
      postToSubscribers(true);
    }
    connected_ = true;
  } else {
    postToSubscribers(false);
    connected_ = false;
  }
}

void SessionObserver::run() {
  notified_.clear();
  while (isRunning()) {
    try {
      turn();
    } catch (...) {
      // A missing manager at shutdown must not end the thread with a foreign failure.
    }
    // Sleep in slices so that shutdown does not wait out a whole poll.
    for (uint32_t slept = 0; slept < pollMs_ && isRunning(); slept += kSleepSlice)
      kernel().sleep(std::min(kSleepSlice, pollMs_ - slept));
  }
}

}  // namespace vcb
