// wtsapi32.dll double: the WTSAPI32 calls of the relay's Remote Desktop
// transports and session test, for Wine, whose own WTSAPI32 has no channels.
// Used only when WINEDLLOVERRIDES holds "wtsapi32=n,b" and this file lies
// beside the program. Channels are served by vcb_client_emulator.exe
// (KIT_EMULATOR_PIPE; see EMULATOR.md); WTSVirtualFileHandle is the real
// overlapped pipe the emulator writes packets into. Environment:
//   KIT_WTS_STATION        window-station name (default "RDP-Tcp#0");
//                          "*fail*" makes the query fail (error 5)
//   KIT_WTS_STATION_BYTES  byte count to report with the name instead of the true one
// Extra exports: KitChannelDouble (1), KitDoubleOutstanding.
#include <windows.h>

#include <cwchar>
#include <string>

#include "vcbridge/channels/tests/doubles/win32/ChannelDouble.h"

using vcb::doubles::Channel;

namespace {

Channel* channelOf(HANDLE h) {
  Channel* ch = static_cast<Channel*>(h);
  return vcb::doubles::isChannel(ch) ? ch : nullptr;
}

std::wstring environment(const wchar_t* name, const wchar_t* fallback, bool* present = nullptr) {
  wchar_t value[512] = {};
  DWORD n = GetEnvironmentVariableW(name, value, 512);
  if (present) *present = n > 0 && n < 512;
  return n > 0 && n < 512 ? std::wstring(value, n) : std::wstring(fallback);
}

constexpr int kWinStationName = 6;
constexpr int kConnectState = 8;
constexpr int kVirtualClientData = 0;
constexpr int kVirtualFileHandle = 1;

}  // namespace

extern "C" {

HANDLE WINAPI WTSVirtualChannelOpen(HANDLE server, DWORD, LPSTR name) {
  if (server) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return vcb::doubles::openChannel(name);
}

BOOL WINAPI WTSVirtualChannelClose(HANDLE channel) {
  return vcb::doubles::closeChannel(static_cast<Channel*>(channel));
}

BOOL WINAPI WTSVirtualChannelRead(HANDLE channel, ULONG timeout, PCHAR buffer, ULONG size,
                                  PULONG bytesRead) {
  Channel* ch = channelOf(channel);
  uint32_t n = 0;
  bool ok = ch && vcb::doubles::readChannel(ch, timeout, buffer, size, &n);
  if (bytesRead) *bytesRead = n;
  return ok;
}

BOOL WINAPI WTSVirtualChannelWrite(HANDLE channel, PCHAR buffer, ULONG length, PULONG written) {
  Channel* ch = channelOf(channel);
  uint32_t n = 0;
  bool ok = ch && vcb::doubles::writeChannel(ch, buffer, length, &n);
  if (written) *written = n;
  return ok;
}

BOOL WINAPI WTSVirtualChannelPurgeInput(HANDLE channel) {
  Channel* ch = channelOf(channel);
  return ch && vcb::doubles::purgeChannel(ch, true);
}

BOOL WINAPI WTSVirtualChannelPurgeOutput(HANDLE channel) {
  Channel* ch = channelOf(channel);
  return ch && vcb::doubles::purgeChannel(ch, false);
}

BOOL WINAPI WTSVirtualChannelQuery(HANDLE channel, int virtualClass, PVOID* data, DWORD* bytes) {
  Channel* ch = channelOf(channel);
  if (!ch || !vcb::doubles::queryChannel(ch)) return FALSE;
  if (virtualClass == kVirtualFileHandle) {
    void* p = vcb::doubles::allocate(sizeof(HANDLE));
    *static_cast<HANDLE*>(p) = vcb::doubles::readHandle(ch);
    *data = p;
    *bytes = sizeof(HANDLE);
    return TRUE;
  }
  if (virtualClass == kVirtualClientData) {
    *data = vcb::doubles::allocate(4);
    *bytes = 4;
    return TRUE;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

VOID WINAPI WTSFreeMemory(PVOID memory) { vcb::doubles::release(memory); }

BOOL WINAPI WTSQuerySessionInformationW(HANDLE, DWORD, int infoClass, LPWSTR* data,
                                        DWORD* bytes) {
  if (infoClass == kWinStationName) {
    std::wstring name = environment(L"KIT_WTS_STATION", L"RDP-Tcp#0");
    if (name == L"*fail*") {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    DWORD size = DWORD((name.size() + 1) * sizeof(wchar_t));
    auto* p = static_cast<wchar_t*>(vcb::doubles::allocate(size));
    wmemcpy(p, name.c_str(), name.size() + 1);
    bool reported = false;
    std::wstring claimed = environment(L"KIT_WTS_STATION_BYTES", L"", &reported);
    *data = p;
    *bytes = reported ? DWORD(wcstoul(claimed.c_str(), nullptr, 0)) : size;
    return TRUE;
  }
  if (infoClass == kConnectState) {
    int32_t state = 0;
    if (!vcb::doubles::sessionConnectState(&state)) return FALSE;
    void* p = vcb::doubles::allocate(sizeof state);
    *static_cast<int32_t*>(p) = state;
    *data = static_cast<LPWSTR>(p);
    *bytes = sizeof state;
    return TRUE;
  }
  SetLastError(ERROR_NOT_SUPPORTED);
  return FALSE;
}

int WINAPI KitChannelDouble() { return 1; }
int WINAPI KitDoubleOutstanding() { return vcb::doubles::outstanding(); }

}  // extern "C"
