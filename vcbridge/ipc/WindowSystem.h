#pragma once
#include <cstdint>
#include <string>

#include "vcbridge/ipc/IWindowsMessageHandler.h"

namespace vcb {

// One message taken from the calling thread's queue.
struct WindowMessage {
  WindowHandle window = nullptr;  // nullptr for a message posted to the thread
  uint32_t message = 0;
  uintptr_t wparam = 0;
  intptr_t lparam = 0;
};

enum class GetResult { Message, Quit, Failed };

// The window port of the relay's hidden message window: just enough of the
// windowing system for one never-shown window and its thread's queue. Windows
// belong to the thread that created them; only that thread reads their
// messages and destroys them. No operation throws.
class IWindowSystem {
 public:
  virtual ~IWindowSystem() = default;
  // Registers a window class of this module whose procedure is the system
  // default. False when it fails (e.g. the name is already registered).
  virtual bool registerClass(const std::wstring& className) = 0;
  // A hidden top-level window of that class, owned by the calling thread; nullptr on failure.
  virtual WindowHandle createWindow(const std::wstring& className, const std::wstring& title) = 0;
  // Blocks until a posted message for the calling thread arrives. Sent
  // messages are answered by the default procedure meanwhile and never returned.
  virtual GetResult getMessage(WindowMessage* out) = 0;
  // Posts the quit message to the window's thread. False if the window is gone.
  virtual bool postQuit(WindowHandle window) = 0;
  virtual bool destroyWindow(WindowHandle window) = 0;  // calling thread owns the window
  virtual bool unregisterClass(const std::wstring& className) = 0;
};

// The port in use; set once by the composition root (or a test) before use.
IWindowSystem& windowSystem();
void setWindowSystem(IWindowSystem* system);

}  // namespace vcb
