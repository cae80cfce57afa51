#include "vcbridge/ipc/MessagePort.h"

#include <cstdio>
#include <cstdlib>

namespace vcb {

namespace {
IMessagePort* g_port = nullptr;
RegisteredMessages g_messages;
}  // namespace

IMessagePort& messagePort() {
  if (!g_port) {
    std::fputs("vcbridge: message port used before it was set\n", stderr);
    std::abort();
  }
  return *g_port;
}

void setMessagePort(IMessagePort* port) { g_port = port; }

void registerMessages() {
  g_messages.command = messagePort().registerMessage(L"WMSZ_DSS_COMMAND");
  g_messages.notify = messagePort().registerMessage(L"WMSZ_DSS_NOTIFY");
  g_messages.sessionNotify = messagePort().registerMessage(L"WMSZ_DSS_SESSIONNOTIFY");
}

const RegisteredMessages& registeredMessages() { return g_messages; }

}  // namespace vcb
