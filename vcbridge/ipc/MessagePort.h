#pragma once
#include <cstdint>
#include <string>

namespace vcb {

// Window handles travel as 32-bit values in the relay's messages and maps.
using WindowId = uint32_t;

// The window-message port: how the relay posts to the session's application
// windows. Posting never blocks; a vanished window makes post return false.
class IMessagePort {
 public:
  virtual ~IMessagePort() = default;
  virtual uint32_t registerMessage(const std::wstring& name) = 0;
  virtual bool post(WindowId window, uint32_t message, uintptr_t wparam, intptr_t lparam) = 0;
};

IMessagePort& messagePort();
void setMessagePort(IMessagePort* port);

// The three registered messages, numbered once at start-up.
struct RegisteredMessages {
  uint32_t command = 0;        // "WMSZ_DSS_COMMAND"
  uint32_t notify = 0;         // "WMSZ_DSS_NOTIFY"
  uint32_t sessionNotify = 0;  // "WMSZ_DSS_SESSIONNOTIFY"
};

// Registers the three names through the message port.
void registerMessages();
const RegisteredMessages& registeredMessages();

}  // namespace vcb
