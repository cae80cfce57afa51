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

// The relay's own message window (0: none yet). Whatever the relay posts on
// behalf of an application or the client must never reach it: the message
// would come back as a new request, for ever.
void setRelayWindow(WindowId window);
WindowId relayWindow();
// Whether window names the relay's own window: its full value, or a value
// whose high word is 0 or 0xFFFF with the same low word, which the window
// manager takes for the same window.
bool isRelayWindow(WindowId window);
// messagePort().post() for a window an application or the client named;
// refused (false, logged) when it is the relay's own.
bool postToPeer(WindowId window, uint32_t message, uintptr_t wparam, intptr_t lparam);

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
