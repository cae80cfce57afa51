#include "vcbridge/channels/VirtualChannel_CFA.h"

#include "vcbridge/channels/SessionType.h"
#include "vcbridge/core/Log.h"

namespace vcb {

VirtualChannel_CFA::VirtualChannel_CFA() {
  SessionType type = querySessionType();
  if (type == SessionCitrix || type == SessionRemoteDesktop)
    transport_ = sessionPlatform().makeCfaTransport(type);
}

VirtualChannel_CFA::~VirtualChannel_CFA() {
  if (transport_) transport_->Close();
}

bool VirtualChannel_CFA::Open() {
  if (!transport_) {
    log::Error("[0x%08X]\t%s\t%s\tインスタンスがない", log::Addr(this), "VCB\tVirtualChannel_CFA", "Open");
    return false;
  }
  return transport_->Open();
}

}  // namespace vcb
