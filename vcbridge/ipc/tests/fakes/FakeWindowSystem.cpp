#include "vcbridge/ipc/tests/fakes/FakeWindowSystem.h"

namespace vcb::testing {

void FakeWindowSystem::failNext(const std::string& operation, int count) {
  std::lock_guard<std::mutex> g(lock_);
  failures_[operation] += count;
}

bool FakeWindowSystem::shouldFail(const std::string& operation) {
  auto it = failures_.find(operation);
  if (it == failures_.end() || it->second <= 0) return false;
  --it->second;
  return true;
}

bool FakeWindowSystem::registerClass(const std::wstring& className) {
  std::lock_guard<std::mutex> g(lock_);
  if (shouldFail("registerClass")) return false;
  return classes_.insert(className).second;
}

WindowHandle FakeWindowSystem::createWindow(const std::wstring& className, const std::wstring& title) {
  std::lock_guard<std::mutex> g(lock_);
  if (shouldFail("createWindow") || !classes_.count(className)) return nullptr;
  lastWindow_ += 0x10;  // never reused, so a stale handle stays invalid
  auto w = reinterpret_cast<WindowHandle>(lastWindow_);
  windows_[w] = Window{className, title, std::this_thread::get_id()};
  queues_[std::this_thread::get_id()];
  return w;
}

GetResult FakeWindowSystem::getMessage(WindowMessage* out) {
  std::unique_lock<std::mutex> g(lock_);
  if (shouldFail("getMessage")) return GetResult::Failed;
  auto& queue = queues_[std::this_thread::get_id()];
  queued_.wait(g, [&] { return !queue.empty(); });
  Item item = queue.front();
  queue.pop_front();
  if (item.quit) return GetResult::Quit;
  *out = item.msg;
  return GetResult::Message;
}

bool FakeWindowSystem::enqueue(WindowHandle windowOfThread, const Item& item) {
  {
    std::lock_guard<std::mutex> g(lock_);
    auto it = windows_.find(windowOfThread);
    if (it == windows_.end()) return false;
    queues_[it->second.owner].push_back(item);
  }
  queued_.notify_all();
  return true;
}

bool FakeWindowSystem::postQuit(WindowHandle window) {
  {
    std::lock_guard<std::mutex> g(lock_);
    if (shouldFail("postQuit")) return false;
  }
  Item item;
  item.msg.window = window;
  item.quit = true;
  return enqueue(window, item);
}

bool FakeWindowSystem::post(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  Item item;
  item.msg = WindowMessage{window, message, wparam, lparam};
  return enqueue(window, item);
}

bool FakeWindowSystem::postToThreadOf(WindowHandle windowOfThread, const WindowMessage& msg) {
  Item item;
  item.msg = msg;
  return enqueue(windowOfThread, item);
}

bool FakeWindowSystem::destroyWindow(WindowHandle window) {
  std::lock_guard<std::mutex> g(lock_);
  if (shouldFail("destroyWindow")) return false;
  auto it = windows_.find(window);
  if (it == windows_.end() || it->second.owner != std::this_thread::get_id()) return false;
  std::thread::id owner = it->second.owner;
  windows_.erase(it);
  // Messages still queued for the window go with it; a thread without
  // windows loses its queue, as when a thread ends.
  auto& queue = queues_[owner];
  std::erase_if(queue, [&](const Item& i) { return i.msg.window == window; });
  bool ownsMore = false;
  for (const auto& [h, w] : windows_) ownsMore = ownsMore || w.owner == owner;
  if (!ownsMore) queues_.erase(owner);
  return true;
}

bool FakeWindowSystem::unregisterClass(const std::wstring& className) {
  std::lock_guard<std::mutex> g(lock_);
  if (shouldFail("unregisterClass")) return false;
  for (const auto& [h, w] : windows_)
    if (w.className == className) return false;
  return classes_.erase(className) != 0;
}

WindowHandle FakeWindowSystem::findWindow(const std::wstring& className, const std::wstring& title) const {
  std::lock_guard<std::mutex> g(lock_);
  for (const auto& [h, w] : windows_)
    if (w.className == className && w.title == title) return h;
  return nullptr;
}

bool FakeWindowSystem::isWindow(WindowHandle window) const {
  std::lock_guard<std::mutex> g(lock_);
  return windows_.count(window) != 0;
}

bool FakeWindowSystem::isClassRegistered(const std::wstring& className) const {
  std::lock_guard<std::mutex> g(lock_);
  return classes_.count(className) != 0;
}

int FakeWindowSystem::windowCount() const {
  std::lock_guard<std::mutex> g(lock_);
  return static_cast<int>(windows_.size());
}

}  // namespace vcb::testing
