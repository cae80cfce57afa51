#include "vcbridge/channels/SessionChannels.h"

#include <mutex>

#include "vcbridge/channels/VirtualChannel.h"
#include "vcbridge/channels/VirtualChannel_CFA.h"
#include "vcbridge/core/Log.h"

namespace vcb {

bool SessionChannels::sessionConnected() {
  if (!VirtualChannel::exists()) return false;
  auto transport = VirtualChannel::get()->transport();
  return transport && transport->GetConnectState() != kConnectStateDisconnected;
}

void SessionChannels::reopenDss() {
  // Takes the write lock, then the read lock: no read or write overlaps the reopen.
  VirtualChannel::get()->Reopen();
}

void SessionChannels::reopenCfa() {
  auto channel = VirtualChannel_CFA::get();
  std::lock_guard<std::mutex> g(channel->requestLock());
  if (auto t = channel->transport()) {
    t->Close();
    t->Open();
  } else {
    log::Error("[0x%08X]\t%s\t%s\tインスタンスがない", log::Addr(channel.get()), "VCB\tVirtualChannel_CFA", "Open");
  }
}

}  // namespace vcb
