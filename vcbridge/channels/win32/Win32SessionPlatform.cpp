#include "vcbridge/channels/win32/Win32SessionPlatform.h"

#include <windows.h>
#include <wtsapi32.h>

#include <boost/make_shared.hpp>
#include <algorithm>
#include <cwchar>

#include "vcbridge/channels/CitrixVC.h"
#include "vcbridge/channels/win32/TerminalServiceVC.h"
#include "vcbridge/channels/win32/WfApiLibrary.h"

namespace vcb {

namespace {
// The window-station name is read as into a 65536-byte buffer; the length
// the system reports is only an upper bound, the name ends at its NUL.
constexpr DWORD kStationBufferBytes = 65536;
}  // namespace

bool Win32SessionPlatform::isRemoteSession() {
  return forceRemote_ || GetSystemMetrics(SM_REMOTESESSION) != 0;
}

bool Win32SessionPlatform::windowStationName(std::wstring& name) {
  name.clear();
  LPWSTR data = nullptr;
  DWORD bytes = 0;
  if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION,
                                   WTSWinStationName, &data, &bytes))
    return false;
  if (!data) return false;
  size_t chars = std::min(bytes, kStationBufferBytes) / sizeof(wchar_t);
  name.assign(data, wcsnlen(data, chars));
  WTSFreeMemory(data);
  return true;
}

boost::shared_ptr<IVirtualChannel> Win32SessionPlatform::makeDssTransport(SessionType type) {
  switch (type) {
    case SessionCitrix:
      return boost::make_shared<CitrixVC>(loadWfApiLibrary);
    case SessionRemoteDesktop:
      return boost::make_shared<TerminalServiceVC>();
    default:
      return nullptr;
  }
}

boost::shared_ptr<IVirtualChannel_CFA> Win32SessionPlatform::makeCfaTransport(SessionType type) {
  switch (type) {
    case SessionCitrix:
      return boost::make_shared<CitrixVC_CFA>(loadWfApiLibrary);
    case SessionRemoteDesktop:
      return boost::make_shared<TerminalServiceVC_CFA>();
    default:
      return nullptr;
  }
}

}  // namespace vcb
