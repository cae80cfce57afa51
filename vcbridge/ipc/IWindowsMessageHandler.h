#pragma once
#include <cstdint>

namespace vcb {

// A window of this process (an HWND on Windows); nullptr means "none".
using WindowHandle = void*;

// Code bound to one message number of the relay's message window. Held by
// boost::shared_ptr; called only on the window's thread.
class IWindowsMessageHandler {
 public:
  virtual ~IWindowsMessageHandler() = default;
  // The message number this handler serves; asked once, when it is registered.
  virtual uint32_t MessageNumber() const = 0;
  // One posted message; true when it was handled.
  virtual bool ProcessMessage(uintptr_t wparam, intptr_t lparam) = 0;
  // The window the handler is attached to, given before it sees any message.
  virtual void SetWindowHandle(WindowHandle window) = 0;
};

}  // namespace vcb
