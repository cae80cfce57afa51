#include "vcbridge/ipc/MessagePort.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "vcbridge/core/Log.h"

namespace vcb {

namespace {
IMessagePort* g_port = nullptr;
RegisteredMessages g_messages;
std::atomic<WindowId> g_relayWindow{0};
}  // namespace

IMessagePort& messagePort() {
  if (!g_port) {
    std::fputs("vcbridge: message port used before it was set\n", stderr);
    std::abort();
  }
  return *g_port;
}

void setMessagePort(IMessagePort* port) { g_port = port; }

void setRelayWindow(WindowId window) { g_relayWindow = window; }

WindowId relayWindow() { return g_relayWindow.load(); }

bool isRelayWindow(WindowId window) {
  const WindowId own = g_relayWindow.load();
  if (own == 0) return false;
  if (window == own) return true;
  const uint32_t high = window >> 16;
  return (high == 0 || high == 0xFFFF) && (window & 0xFFFF) == (own & 0xFFFF);
}

bool postToPeer(WindowId window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  if (isRelayWindow(window)) {
    log::Error("[0x%08X]\t%s\t%s\tnot posted: window 0x%08X is the relay's own", log::Addr(&g_relayWindow), "VCB\tMessagePort",
               "Post", window);
    return false;
  }
  return messagePort().post(window, message, wparam, lparam);
}

void registerMessages() {
  g_messages.command = messagePort().registerMessage(L"WMSZ_DSS_COMMAND");
  g_messages.notify = messagePort().registerMessage(L"WMSZ_DSS_NOTIFY");
  g_messages.sessionNotify = messagePort().registerMessage(L"WMSZ_DSS_SESSIONNOTIFY");
}

const RegisteredMessages& registeredMessages() { return g_messages; }

}  // namespace vcb
