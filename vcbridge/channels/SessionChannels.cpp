#include "vcbridge/channels/SessionChannels.h"

#include "vcbridge/channels/VirtualChannel.h"
#include "vcbridge/channels/VirtualChannelObserver.h"
#include "vcbridge/channels/VirtualChannel_CFA.h"

namespace vcb {

bool SessionChannels::sessionConnected() {
  if (!VirtualChannel::exists()) return false;
  auto transport = VirtualChannel::get()->transport();
  return transport && transport->GetConnectState() != kConnectStateDisconnected;
}

bool SessionChannels::channelFailed() {
  return VirtualChannel::exists() && VirtualChannel::get()->readFailed();
}

void SessionChannels::reopenDss() {
  // Takes the write lock, then the read lock: no read or write overlaps the reopen.
  VirtualChannel::get()->Reopen();
  // A read loop pausing after the old connection's failure reads the new one at once.
  if (VirtualChannelObserver::exists()) VirtualChannelObserver::get()->wake();
}

void SessionChannels::reopenCfa() { VirtualChannel_CFA::get()->Reopen(); }

}  // namespace vcb
