#include "vcbridge/core/tests/fakes/FakeKernel.h"

#include <chrono>
#include <condition_variable>
#include <thread>
#include <vector>

namespace vcb::testing {

namespace {
thread_local uint32_t t_lastError = 0;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorNotOwner = 288;
constexpr uint32_t kErrorInjected = 8;  // "not enough memory"
constexpr uint32_t kErrorInvalidParameter = 87;
}  // namespace

struct FakeKernel::Object {
  enum Kind { MutexKind, EventKind, MappingKind, ThreadKind } kind;
  explicit Object(Kind k) : kind(k) {}
  std::mutex m;
  std::condition_variable cv;
  // mutex
  std::thread::id owner;
  int recursion = 0;
  // event
  bool manualReset = false;
  bool signalled = false;
  // mapping
  std::vector<uint8_t> bytes;
  // open handles, guarded by FakeKernel::lock_: the name goes with the last
  // handle, even while a view still keeps a mapping's bytes alive
  int handles = 0;
  // thread
  bool done = false;
  uint32_t exitCode = 0;

  bool ready() {  // caller holds m
    switch (kind) {
      case MutexKind:
        return recursion == 0 || owner == std::this_thread::get_id();
      case EventKind:
        return signalled;
      case ThreadKind:
        return done;
      default:
        return false;
    }
  }
  void acquire() {  // caller holds m, ready() is true
    if (kind == MutexKind) {
      owner = std::this_thread::get_id();
      ++recursion;
    } else if (kind == EventKind && !manualReset) {
      signalled = false;
    }
  }
};

namespace {

// Mutexes the calling thread owns. When the thread ends they are abandoned:
// freed for the next waiter, as Windows does, instead of blocking for ever.
class HeldMutexes {
 public:
  ~HeldMutexes() { abandonAll(); }
  void add(const std::shared_ptr<FakeKernel::Object>& obj) { held_[obj.get()] = obj; }
  void remove(FakeKernel::Object* obj) { held_.erase(obj); }
  void abandonAll();

 private:
  std::map<FakeKernel::Object*, std::weak_ptr<FakeKernel::Object>> held_;
};

thread_local HeldMutexes t_held;

void HeldMutexes::abandonAll() {
  for (auto& [raw, weak] : held_) {
    auto obj = weak.lock();
    if (!obj) continue;
    std::lock_guard<std::mutex> g(obj->m);
    if (obj->recursion > 0 && obj->owner == std::this_thread::get_id()) {
      obj->recursion = 0;
      obj->owner = {};
      obj->cv.notify_all();
    }
  }
  held_.clear();
}

}  // namespace

FakeKernel::FakeKernel() = default;

FakeKernel::~FakeKernel() = default;

void FakeKernel::failNext(const std::string& operation, int count) {
  std::lock_guard<std::mutex> g(lock_);
  failures_[operation] += count;
}

bool FakeKernel::shouldFail(const std::string& operation) {
  std::lock_guard<std::mutex> g(lock_);
  auto it = failures_.find(operation);
  if (it == failures_.end() || it->second <= 0) return false;
  --it->second;
  t_lastError = kErrorInjected;
  return true;
}

Handle FakeKernel::newHandle(std::shared_ptr<Object> obj) {
  std::lock_guard<std::mutex> g(lock_);
  return addHandle(std::move(obj));
}

Handle FakeKernel::addHandle(std::shared_ptr<Object> obj) {
  // A fresh heap address per handle keeps handles unique and never null.
  auto* token = new char;
  ++obj->handles;
  handles_[token] = std::move(obj);
  return token;
}

std::shared_ptr<FakeKernel::Object> FakeKernel::named(const std::wstring& name) {
  auto it = names_.find(name);
  if (it == names_.end()) return nullptr;
  auto obj = it->second.lock();
  return obj && obj->handles > 0 ? obj : nullptr;
}

std::shared_ptr<FakeKernel::Object> FakeKernel::object(Handle h) {
  std::lock_guard<std::mutex> g(lock_);
  auto it = handles_.find(h);
  return it == handles_.end() ? nullptr : it->second;
}

uint8_t* FakeKernel::mappingBytes(const std::wstring& name, uint32_t* size) {
  std::lock_guard<std::mutex> g(lock_);
  auto obj = named(name);
  if (!obj || obj->kind != Object::MappingKind) return nullptr;
  if (size) *size = static_cast<uint32_t>(obj->bytes.size());
  return obj->bytes.data();
}

bool FakeKernel::objectExists(const std::wstring& name) {
  std::lock_guard<std::mutex> g(lock_);
  return named(name) != nullptr;
}

int FakeKernel::openHandles() {
  std::lock_guard<std::mutex> g(lock_);
  return static_cast<int>(handles_.size());
}

int FakeKernel::mappedViews() {
  std::lock_guard<std::mutex> g(lock_);
  return static_cast<int>(views_.size());
}

uint32_t FakeKernel::lastError() { return t_lastError; }
void FakeKernel::setLastError(uint32_t error) { t_lastError = error; }

void FakeKernel::closeHandle(Handle h) {
  std::shared_ptr<Object> obj;
  {
    std::lock_guard<std::mutex> g(lock_);
    auto it = handles_.find(h);
    if (it == handles_.end()) {
      t_lastError = kErrorInvalidHandle;
      return;
    }
    obj = std::move(it->second);
    --obj->handles;
    handles_.erase(it);
  }
  delete static_cast<char*>(h);
}

Handle FakeKernel::createMutex(const std::wstring& name, bool initialOwner, Security,
                               bool* alreadyExisted) {
  if (alreadyExisted) *alreadyExisted = false;
  if (shouldFail("createMutex")) return nullptr;
  // Looking up, creating, owning and the new handle are one step, as on
  // Windows: no other thread can see the name in between.
  std::lock_guard<std::mutex> g(lock_);
  std::shared_ptr<Object> obj;
  if (!name.empty()) {
    obj = named(name);
    if (obj && obj->kind != Object::MutexKind) {
      t_lastError = kErrorInvalidHandle;
      return nullptr;
    }
  }
  bool existed = static_cast<bool>(obj);
  if (!obj) {
    obj = std::make_shared<Object>(Object::MutexKind);
    if (!name.empty()) names_[name] = obj;
    if (initialOwner) {
      std::lock_guard<std::mutex> own(obj->m);
      obj->acquire();
      t_held.add(obj);
    }
  }
  if (alreadyExisted) *alreadyExisted = existed;
  t_lastError = existed ? kErrorAlreadyExists : 0;
  return addHandle(obj);
}

bool FakeKernel::releaseMutex(Handle h) {
  auto obj = object(h);
  if (!obj || obj->kind != Object::MutexKind) {
    t_lastError = kErrorInvalidHandle;
    return false;
  }
  std::lock_guard<std::mutex> g(obj->m);
  if (obj->recursion == 0 || obj->owner != std::this_thread::get_id()) {
    t_lastError = kErrorNotOwner;
    return false;
  }
  if (--obj->recursion == 0) {
    t_held.remove(obj.get());
    obj->owner = {};
    obj->cv.notify_all();
  }
  return true;
}

Handle FakeKernel::createEvent(const std::wstring& name, bool manualReset, bool initialState,
                               Security) {
  if (shouldFail("createEvent")) return nullptr;
  std::lock_guard<std::mutex> g(lock_);
  std::shared_ptr<Object> obj;
  if (!name.empty()) obj = named(name);
  if (obj && obj->kind != Object::EventKind) {
    t_lastError = kErrorInvalidHandle;
    return nullptr;
  }
  t_lastError = obj ? kErrorAlreadyExists : 0;
  if (!obj) {
    obj = std::make_shared<Object>(Object::EventKind);
    obj->manualReset = manualReset;
    obj->signalled = initialState;
    if (!name.empty()) names_[name] = obj;
  }
  return addHandle(obj);
}

bool FakeKernel::setEvent(Handle h) {
  auto obj = object(h);
  if (!obj || obj->kind != Object::EventKind) return false;
  std::lock_guard<std::mutex> g(obj->m);
  obj->signalled = true;
  obj->cv.notify_all();
  return true;
}

bool FakeKernel::resetEvent(Handle h) {
  auto obj = object(h);
  if (!obj || obj->kind != Object::EventKind) return false;
  std::lock_guard<std::mutex> g(obj->m);
  obj->signalled = false;
  return true;
}

WaitResult FakeKernel::wait(Handle h, uint32_t timeoutMs) {
  auto obj = object(h);
  if (!obj || obj->kind == Object::MappingKind) {
    t_lastError = kErrorInvalidHandle;
    return WaitResult::Failed;
  }
  std::unique_lock<std::mutex> g(obj->m);
  if (timeoutMs == kInfinite) {
    obj->cv.wait(g, [&] { return obj->ready(); });
  } else if (!obj->cv.wait_for(g, std::chrono::milliseconds(timeoutMs), [&] { return obj->ready(); })) {
    return WaitResult::Timeout;
  }
  obj->acquire();
  if (obj->kind == Object::MutexKind) t_held.add(obj);
  return WaitResult::Signaled;
}

WaitResult FakeKernel::waitAny(const Handle* handles, uint32_t count, uint32_t timeoutMs,
                               uint32_t* which) {
  if (count == 0 || count > 64) {
    t_lastError = kErrorInvalidParameter;
    return WaitResult::Failed;
  }
  // Polled: simple, and the objects each have their own condition variable.
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    for (uint32_t i = 0; i < count; ++i) {
      WaitResult r = FakeKernel::wait(handles[i], 0);
      if (r == WaitResult::Timeout) continue;
      if (r == WaitResult::Signaled && which) *which = i;
      return r;
    }
    if (timeoutMs != kInfinite &&
        std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(timeoutMs))
      return WaitResult::Timeout;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

Handle FakeKernel::openFileMapping(const std::wstring& name) {
  if (shouldFail("openFileMapping")) return nullptr;
  std::lock_guard<std::mutex> g(lock_);
  auto obj = named(name);
  if (!obj || obj->kind != Object::MappingKind) {
    t_lastError = kErrorFileNotFound;
    return nullptr;
  }
  return addHandle(obj);
}

Handle FakeKernel::createFileMapping(const std::wstring& name, uint32_t size, Security) {
  if (shouldFail("createFileMapping")) return nullptr;
  std::lock_guard<std::mutex> g(lock_);
  std::shared_ptr<Object> obj;
  if (!name.empty()) obj = named(name);
  if (obj && obj->kind != Object::MappingKind) {
    t_lastError = kErrorInvalidHandle;
    return nullptr;
  }
  t_lastError = obj ? kErrorAlreadyExists : 0;
  if (!obj) {
    obj = std::make_shared<Object>(Object::MappingKind);
    obj->bytes.assign(size, 0);
    if (!name.empty()) names_[name] = obj;
  }
  return addHandle(obj);
}

void* FakeKernel::mapView(Handle mapping) {
  if (shouldFail("mapView")) return nullptr;
  auto obj = object(mapping);
  if (!obj || obj->kind != Object::MappingKind) {
    t_lastError = kErrorInvalidHandle;
    return nullptr;
  }
  // A view keeps its mapping alive, as on Windows.
  void* view = obj->bytes.data();
  std::lock_guard<std::mutex> g(lock_);
  views_.emplace(view, obj);
  return view;
}

void FakeKernel::unmapView(void* view) {
  std::lock_guard<std::mutex> g(lock_);
  auto it = views_.find(view);
  if (it != views_.end()) views_.erase(it);
}

uint32_t FakeKernel::viewSize(void* view) {
  std::lock_guard<std::mutex> g(lock_);
  auto it = views_.find(view);
  return it == views_.end() ? 0 : static_cast<uint32_t>(it->second->bytes.size());
}

Handle FakeKernel::createThread(std::function<uint32_t()> body, uint32_t* threadId) {
  if (shouldFail("createThread")) return nullptr;
  auto obj = std::make_shared<Object>(Object::ThreadKind);
  {
    std::lock_guard<std::mutex> g(lock_);
    if (threadId) *threadId = nextThreadId_++;
  }
  Handle h = newHandle(obj);
  std::thread([obj, body = std::move(body)] {
    uint32_t code = body();
    t_held.abandonAll();  // before the thread counts as ended, as on Windows
    std::lock_guard<std::mutex> g(obj->m);
    obj->exitCode = code;
    obj->done = true;
    obj->cv.notify_all();
  }).detach();
  return h;
}

bool FakeKernel::threadExitCode(Handle thread, uint32_t* code) {
  auto obj = object(thread);
  if (!obj || obj->kind != Object::ThreadKind) return false;
  std::lock_guard<std::mutex> g(obj->m);
  if (code) *code = obj->done ? obj->exitCode : 259;  // STILL_ACTIVE
  return true;
}

void FakeKernel::sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

uint32_t FakeKernel::tickCount() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()) +
         fakeTicks;
}

void FakeKernel::debugOutput(const std::string& utf8) {
  std::lock_guard<std::mutex> g(lock_);
  debug_ += utf8;
}

std::string FakeKernel::debugText() {
  std::lock_guard<std::mutex> g(lock_);
  return debug_;
}

}  // namespace vcb::testing
