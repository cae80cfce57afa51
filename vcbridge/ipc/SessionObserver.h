#pragma once
#include <atomic>
#include <cstdint>
#include <set>

#include "vcbridge/core/Singleton.h"
#include "vcbridge/core/WorkerThread.h"
#include "vcbridge/ipc/MessagePort.h"

namespace vcb {

// What the session observer needs of the two channels; the channels
// subsystem provides it (the observer itself knows nothing of transports).
class ISessionChannels {
 public:
  virtual ~ISessionChannels() = default;
  // True while a DSS transport exists and its connect state is not 4.
  virtual bool sessionConnected() = 0;
  // A DSS read failed hard since the last reopen: a drop shorter than one
  // poll leaves the session "connected" but the channels dead.
  virtual bool channelFailed() = 0;
  // Close and open again, never overlapping a read, a write or a CFA request.
  virtual void reopenDss() = 0;
  virtual void reopenCfa() = 0;
};

// Watches the session's connect state every 3 s, tells subscribed windows
// when the session goes away and comes back, and reopens both channels after
// a reconnection, or when a channel read failed although the session looks
// connected (a drop too short to be seen between two polls).
class SessionObserver : public Singleton<SessionObserver>, public WorkerThread {
 public:
  explicit SessionObserver(ISessionChannels& channels, uint32_t pollMs = 3000);
  ~SessionObserver() override;

  // One poll: what the run operation does between two sleeps.
  void turn();
  bool connected() const { return connected_.load(); }

 protected:
  void run() override;

 private:
  void postToSubscribers(bool connectedAgain);

  ISessionChannels& channels_;
  uint32_t pollMs_;
  std::atomic<bool> connected_{true};
  // Windows told of the disconnection since the last reconnection; belongs to
  // the observer's thread (or to whoever calls turn() in a test).
  std::set<WindowId> notified_;
};

}  // namespace vcb
