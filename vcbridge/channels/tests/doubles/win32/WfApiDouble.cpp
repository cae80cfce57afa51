// WFAPI.dll double: the Citrix WFAPI entry points the relay resolves by
// name, served by vcb_client_emulator.exe (KIT_EMULATOR_PIPE names it; see
// EMULATOR.md). A read that times out fails with 258. Extra export for
// tests: KitChannelDouble (1 = this is the double), KitDoubleOutstanding
// (query results not yet given back with WFFreeMemory).
#include <windows.h>

#include "vcbridge/channels/tests/doubles/win32/ChannelDouble.h"

using vcb::doubles::Channel;

namespace {
Channel* channelOf(HANDLE h) {
  Channel* ch = static_cast<Channel*>(h);
  return vcb::doubles::isChannel(ch) ? ch : nullptr;
}
}  // namespace

extern "C" {

HANDLE WINAPI WFVirtualChannelOpen(HANDLE server, DWORD, LPSTR name) {
  if (server) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return vcb::doubles::openChannel(name);
}

BOOL WINAPI WFVirtualChannelClose(HANDLE channel) {
  return vcb::doubles::closeChannel(static_cast<Channel*>(channel));
}

BOOL WINAPI WFVirtualChannelRead(HANDLE channel, ULONG timeout, PCHAR buffer, ULONG size,
                                 PULONG bytesRead) {
  Channel* ch = channelOf(channel);
  uint32_t n = 0;
  bool ok = ch && vcb::doubles::readChannel(ch, timeout, buffer, size, &n);
  if (bytesRead) *bytesRead = n;
  return ok;
}

BOOL WINAPI WFVirtualChannelWrite(HANDLE channel, PCHAR buffer, ULONG length, PULONG written) {
  Channel* ch = channelOf(channel);
  uint32_t n = 0;
  bool ok = ch && vcb::doubles::writeChannel(ch, buffer, length, &n);
  if (written) *written = n;
  return ok;
}

BOOL WINAPI WFVirtualChannelQuery(HANDLE channel, int, PVOID* data, DWORD* bytes) {
  Channel* ch = channelOf(channel);
  if (!ch || !vcb::doubles::queryChannel(ch)) return FALSE;
  void* p = vcb::doubles::allocate(4);  // client data: a version word
  static_cast<uint8_t*>(p)[0] = 1;
  *data = p;
  *bytes = 4;
  return TRUE;
}

VOID WINAPI WFFreeMemory(PVOID memory) { vcb::doubles::release(memory); }

BOOL WINAPI WFQuerySessionInformationW(HANDLE, DWORD, int infoClass, LPWSTR* data, DWORD* bytes) {
  if (infoClass != 8) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  int32_t state = 0;
  if (!vcb::doubles::sessionConnectState(&state)) return FALSE;
  void* p = vcb::doubles::allocate(sizeof state);
  *static_cast<int32_t*>(p) = state;
  *data = static_cast<LPWSTR>(p);
  *bytes = sizeof state;
  return TRUE;
}

BOOL WINAPI WFVirtualChannelPurgeInput(HANDLE channel) {
  Channel* ch = channelOf(channel);
  return ch && vcb::doubles::purgeChannel(ch, true);
}

BOOL WINAPI WFVirtualChannelPurgeOutput(HANDLE channel) {
  Channel* ch = channelOf(channel);
  return ch && vcb::doubles::purgeChannel(ch, false);
}

int WINAPI KitChannelDouble() { return 1; }
int WINAPI KitDoubleOutstanding() { return vcb::doubles::outstanding(); }

}  // extern "C"
