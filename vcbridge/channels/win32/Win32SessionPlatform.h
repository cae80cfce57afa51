#pragma once
#include "vcbridge/channels/SessionType.h"

namespace vcb {

// The session port on Win32: SM_REMOTESESSION, the window-station name from
// WTSAPI32, and the Citrix or Remote Desktop transports. forceRemote answers
// "remote" without asking the system, for test hosts under Wine, where
// SM_REMOTESESSION is always 0; every other call stays real.
class Win32SessionPlatform : public ISessionPlatform {
 public:
  explicit Win32SessionPlatform(bool forceRemote = false) : forceRemote_(forceRemote) {}

  bool isRemoteSession() override;
  bool windowStationName(std::wstring& name) override;
  boost::shared_ptr<IVirtualChannel> makeDssTransport(SessionType type) override;
  boost::shared_ptr<IVirtualChannel_CFA> makeCfaTransport(SessionType type) override;

 private:
  bool forceRemote_;
};

}  // namespace vcb
