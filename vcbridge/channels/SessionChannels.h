#pragma once
#include "vcbridge/ipc/SessionObserver.h"

namespace vcb {

// The session observer's view of the two channels.
class SessionChannels : public ISessionChannels {
 public:
  bool sessionConnected() override;
  bool channelFailed() override;
  void reopenDss() override;
  void reopenCfa() override;
};

}  // namespace vcb
