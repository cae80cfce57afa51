#pragma once
#include <boost/shared_ptr.hpp>

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "vcbridge/core/WorkerThread.h"
#include "vcbridge/ipc/IWindowsMessageHandler.h"
#include "vcbridge/ipc/WindowSystem.h"

namespace vcb {

inline constexpr const wchar_t* kMessageWindowClass = L"VRVC_WindowClass_VCB";
// An older class name of the relay; unregistered too, so none is left behind.
inline constexpr const wchar_t* kOldMessageWindowClass = L"VRVC_WindowClass";

// The relay's hidden window and its message loop. Applications post
// registered messages to the window; each message number is bound to one
// handler, which runs on the monitor's thread. Messages are never dispatched,
// so a message sent synchronously only reaches the default procedure.
class WindowsMessageMonitor : public WorkerThread {
 public:
  WindowsMessageMonitor();
  ~WindowsMessageMonitor() override;

  // Binds the handler to its message number, replacing an earlier one.
  // Exception 14 if the monitor was never started.
  void registerHandler(const boost::shared_ptr<IWindowsMessageHandler>& handler);
  // Ends the loop and waits for the thread.
  void stop();

  // nullptr until the window exists (and when its creation failed).
  WindowHandle window() const { return window_.load(); }

 protected:
  void initialise() override;
  void finalise() override;
  void run() override;

 private:
  // The handler bound to message, or an empty pointer.
  boost::shared_ptr<IWindowsMessageHandler> handlerFor(uint32_t message);
  static void deliver(const WindowMessage& msg);

  // Written on the monitor's thread, read by stop() on another.
  std::atomic<WindowHandle> window_{nullptr};
  std::map<uint32_t, boost::shared_ptr<IWindowsMessageHandler>> handlers_;
  std::wstring className_;
  // The start-up thread registers handlers while the loop may already look
  // them up.
  std::mutex handlersLock_;
};

}  // namespace vcb
