#include "vcbridge/ipc/tests/fakes/FakeMessagePort.h"

namespace vcb::testing {

uint32_t FakeMessagePort::registerMessage(const std::wstring& name) {
  std::lock_guard<std::mutex> g(lock_);
  auto [it, added] = numbers_.emplace(name, 0);
  if (added) it->second = 0xC000u + static_cast<uint32_t>(numbers_.size() - 1);
  return it->second;
}

bool FakeMessagePort::post(WindowId window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  bool ok;
  {
    std::lock_guard<std::mutex> g(lock_);
    ok = window != 0 && window != 0xFFFF && !gone_.count(window);
    posts_.push_back(Post{window, message, wparam, lparam, ok});
  }
  posted_.notify_all();
  return ok;
}

void FakeMessagePort::windowGone(WindowId window, bool gone) {
  std::lock_guard<std::mutex> g(lock_);
  if (gone)
    gone_.insert(window);
  else
    gone_.erase(window);
}

std::vector<FakeMessagePort::Post> FakeMessagePort::posts() const {
  std::lock_guard<std::mutex> g(lock_);
  return posts_;
}

std::vector<FakeMessagePort::Post> FakeMessagePort::delivered() const {
  std::lock_guard<std::mutex> g(lock_);
  std::vector<Post> out;
  for (const auto& p : posts_)
    if (p.delivered) out.push_back(p);
  return out;
}

std::vector<FakeMessagePort::Post> FakeMessagePort::postsTo(WindowId window) const {
  std::lock_guard<std::mutex> g(lock_);
  std::vector<Post> out;
  for (const auto& p : posts_)
    if (p.window == window) out.push_back(p);
  return out;
}

void FakeMessagePort::clear() {
  std::lock_guard<std::mutex> g(lock_);
  posts_.clear();
}

bool FakeMessagePort::waitForPosts(size_t n, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> g(lock_);
  return posted_.wait_for(g, timeout, [&] { return posts_.size() >= n; });
}

uint32_t FakeMessagePort::numberOf(const std::wstring& name) const {
  std::lock_guard<std::mutex> g(lock_);
  auto it = numbers_.find(name);
  return it == numbers_.end() ? 0 : it->second;
}

}  // namespace vcb::testing
