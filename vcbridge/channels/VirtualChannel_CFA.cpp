#include "vcbridge/channels/VirtualChannel_CFA.h"

#include "vcbridge/channels/SessionType.h"
#include "vcbridge/core/Log.h"

namespace vcb {

namespace {
constexpr const char* kClass = "VCB\tVirtualChannel_CFA";
}

VirtualChannel_CFA::VirtualChannel_CFA()
    : gate_([this](bool cancel) {
        if (transport_) transport_->CancelReads(cancel);
      }) {
  SessionType type = querySessionType();
  if (type == SessionCitrix || type == SessionRemoteDesktop)
    transport_ = sessionPlatform().makeCfaTransport(type);
}

VirtualChannel_CFA::~VirtualChannel_CFA() {
  if (transport_) transport_->Close();
}

bool VirtualChannel_CFA::Open() {
  if (!transport_) {
    log::Error("[0x%08X]\t%s\t%s\tインスタンスがない", log::Addr(this), kClass, "Open");
    return false;
  }
  return transport_->Open();
}

void VirtualChannel_CFA::Reopen() {
  if (!transport_) {
    log::Error("[0x%08X]\t%s\t%s\tインスタンスがない", log::Addr(this), kClass, "Open");
    return;
  }
  ReadHold hold(gate_);
  std::lock_guard<std::mutex> g(requestLock_);
  // No request can start now; the new connection's greeting must be read.
  hold.release();
  transport_->Close();
  transport_->Open();
}

}  // namespace vcb
