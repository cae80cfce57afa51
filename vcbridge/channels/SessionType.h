#pragma once
#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <string>

#include "vcbridge/channels/IVirtualChannel.h"

namespace vcb {

enum SessionType : int32_t { SessionLocal = 0, SessionCitrix = 1, SessionRemoteDesktop = 2 };

// The session and transport port: what kind of session this is, and the
// transports that speak its channel API. The Win32 adapter is the product;
// tests put fakes or doubles behind it.
class ISessionPlatform {
 public:
  virtual ~ISessionPlatform() = default;
  virtual bool isRemoteSession() = 0;  // SM_REMOTESESSION
  // The current session's window-station name; false if the query fails.
  virtual bool windowStationName(std::wstring& name) = 0;
  // Transport objects for a session type; may throw Exception / enumDSSVCERR.
  virtual boost::shared_ptr<IVirtualChannel> makeDssTransport(SessionType type) = 0;
  virtual boost::shared_ptr<IVirtualChannel_CFA> makeCfaTransport(SessionType type) = 0;
};

ISessionPlatform& sessionPlatform();
void setSessionPlatform(ISessionPlatform* platform);

// 0 local, 1 Citrix (window station "ica…", any case), 2 Remote Desktop.
SessionType querySessionType();

}  // namespace vcb
