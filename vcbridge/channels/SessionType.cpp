#include "vcbridge/channels/SessionType.h"

#include <cstdio>
#include <cstdlib>
#include <cwctype>

namespace vcb {

namespace {
ISessionPlatform* g_platform = nullptr;
}

ISessionPlatform& sessionPlatform() {
  if (!g_platform) {
    std::fputs("vcbridge: session platform used before it was set\n", stderr);
    std::abort();
  }
  return *g_platform;
}

void setSessionPlatform(ISessionPlatform* platform) { g_platform = platform; }

SessionType querySessionType() {
  ISessionPlatform& p = sessionPlatform();
  if (!p.isRemoteSession()) return SessionLocal;
  std::wstring name;
  if (!p.windowStationName(name)) return SessionLocal;
  if (name.size() >= 3 && std::towlower(name[0]) == L'i' && std::towlower(name[1]) == L'c' &&
      std::towlower(name[2]) == L'a')
    return SessionCitrix;
  return SessionRemoteDesktop;
}

}  // namespace vcb
