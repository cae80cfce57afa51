// The relay exactly as vcbridge.exe composes it, except that the session
// counts as remote (Wine reports every session as local). The session's kind
// then comes from the real window-station query, answered under Wine by the
// wtsapi32 double, and the transports use the channel-API doubles.
#include <windows.h>

#include "vcbridge/core/app/win32/RelayMain.h"

int wmain() {
  vcb::RelayOptions options;
  options.forceRemoteSession = true;
  return vcb::runRelay(options);
}
