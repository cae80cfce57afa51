#include "vcbridge/ipc/WindowsMessageMonitor.h"

#include "vcbridge/core/Exception.h"
#include "vcbridge/ipc/MessagePort.h"

namespace vcb {

namespace {

// Every message window of the process and the monitor that owns it; the loop
// finds a message's monitor here.
struct WindowTable {
  std::mutex lock;
  std::map<WindowHandle, WindowsMessageMonitor*> monitors;
};

WindowTable& windowTable() {
  static WindowTable table;
  return table;
}

}  // namespace

WindowsMessageMonitor::WindowsMessageMonitor() : className_(kMessageWindowClass) {}

WindowsMessageMonitor::~WindowsMessageMonitor() {
  // Its loop ends only through the quit message: an owner that forgot to
  // stop must not wait for ever here.
  stop();
}

void WindowsMessageMonitor::initialise() {
  IWindowSystem& ws = windowSystem();
  ws.registerClass(className_);  // already registered by an earlier monitor is fine
  WindowHandle w = ws.createWindow(className_, className_);
  if (!w) throw Exception(DSSVCERR_WINDOW_FAILED);
  window_.store(w);
  setRelayWindow(static_cast<WindowId>(reinterpret_cast<uintptr_t>(w)));
  std::lock_guard<std::mutex> g(windowTable().lock);
  windowTable().monitors[w] = this;
}

void WindowsMessageMonitor::run() {
  WindowMessage msg;
  // A failing queue ends the loop rather than spinning on it.
  while (windowSystem().getMessage(&msg) == GetResult::Message) deliver(msg);
}

void WindowsMessageMonitor::finalise() {
  IWindowSystem& ws = windowSystem();
  WindowHandle w = window_.exchange(nullptr);
  if (w) {
    {
      std::lock_guard<std::mutex> g(windowTable().lock);
      windowTable().monitors.erase(w);
    }
    if (relayWindow() == static_cast<WindowId>(reinterpret_cast<uintptr_t>(w))) setRelayWindow(0);
    ws.destroyWindow(w);
  }
  ws.unregisterClass(kOldMessageWindowClass);
  ws.unregisterClass(kMessageWindowClass);
}

void WindowsMessageMonitor::deliver(const WindowMessage& msg) {
  boost::shared_ptr<IWindowsMessageHandler> handler;
  {
    std::lock_guard<std::mutex> g(windowTable().lock);
    auto it = windowTable().monitors.find(msg.window);
    if (it == windowTable().monitors.end()) return;
    handler = it->second->handlerFor(msg.message);
  }
  if (!handler) return;
  // The handler runs outside every lock, holding its own reference: a
  // replacement registered meanwhile cannot pull it from under the call.
  try {
    handler->ProcessMessage(msg.wparam, msg.lparam);
  } catch (const Exception&) {
  } catch (...) {
    // Nothing may end the loop but the quit message.
  }
}

boost::shared_ptr<IWindowsMessageHandler> WindowsMessageMonitor::handlerFor(uint32_t message) {
  std::lock_guard<std::mutex> g(handlersLock_);
  auto it = handlers_.find(message);
  return it == handlers_.end() ? nullptr : it->second;
}

void WindowsMessageMonitor::registerHandler(const boost::shared_ptr<IWindowsMessageHandler>& handler) {
  if (!isRunning()) throw Exception(DSSVCERR_NOT_INITIALISED);
  if (!handler) return;
  handler->SetWindowHandle(window_.load());
  uint32_t message = handler->MessageNumber();
  std::lock_guard<std::mutex> g(handlersLock_);
  handlers_[message] = handler;
}

void WindowsMessageMonitor::stop() {
  // Without a window the thread has already ended (or never began); a quit
  // posted to "no window" would land in the caller's own queue instead.
  if (WindowHandle w = window_.load()) windowSystem().postQuit(w);
  setRunning(false);
  waitForThreadEnd();
}

}  // namespace vcb
