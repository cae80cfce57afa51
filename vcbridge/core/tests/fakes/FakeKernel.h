#pragma once
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "vcbridge/core/Kernel.h"

namespace vcb::testing {

// In-process stand-in for the Win32 kernel objects: named mutexes (owned by
// a thread, recursive), events, file mappings backed by heap memory, and
// threads. Named objects live while a handle to them is open, as on Windows.
// Any operation can be made to fail, to reach the relay's failure paths.
class FakeKernel : public IKernel {
 public:
  FakeKernel();
  ~FakeKernel() override;

  // The next `count` calls of `operation` (e.g. "createFileMapping") fail.
  void failNext(const std::string& operation, int count = 1);
  // Bytes of a named mapping that is still open, or nullptr.
  uint8_t* mappingBytes(const std::wstring& name, uint32_t* size = nullptr);
  bool objectExists(const std::wstring& name);
  int openHandles();
  int mappedViews();
  std::atomic<uint32_t> fakeTicks{0};  // added to the real tick count, to jump time in tests

  uint32_t lastError() override;
  void setLastError(uint32_t error) override;
  void closeHandle(Handle h) override;
  Handle createMutex(const std::wstring& name, bool initialOwner, Security sec,
                     bool* alreadyExisted) override;
  bool releaseMutex(Handle h) override;
  Handle createEvent(const std::wstring& name, bool manualReset, bool initialState,
                     Security sec) override;
  bool setEvent(Handle h) override;
  bool resetEvent(Handle h) override;
  WaitResult wait(Handle h, uint32_t timeoutMs) override;
  WaitResult waitAny(const Handle* handles, uint32_t count, uint32_t timeoutMs,
                     uint32_t* which) override;
  Handle openFileMapping(const std::wstring& name) override;
  Handle createFileMapping(const std::wstring& name, uint32_t size, Security sec) override;
  void* mapView(Handle mapping) override;
  void unmapView(void* view) override;
  uint32_t viewSize(void* view) override;
  Handle createThread(std::function<uint32_t()> body, uint32_t* threadId) override;
  bool threadExitCode(Handle thread, uint32_t* code) override;
  void sleep(uint32_t ms) override;
  uint32_t tickCount() override;
  void debugOutput(const std::string& utf8) override;

  std::string debugText();  // everything written with debugOutput

  struct Object;

 private:
  bool shouldFail(const std::string& operation);
  Handle newHandle(std::shared_ptr<Object> obj);
  Handle addHandle(std::shared_ptr<Object> obj);  // caller holds lock_
  std::shared_ptr<Object> object(Handle h);
  std::shared_ptr<Object> named(const std::wstring& name);  // caller holds lock_

  std::mutex lock_;
  std::map<std::string, int> failures_;
  std::map<std::wstring, std::weak_ptr<Object>> names_;
  std::map<Handle, std::shared_ptr<Object>> handles_;
  std::multimap<void*, std::shared_ptr<Object>> views_;
  std::string debug_;
  uint32_t nextThreadId_ = 100;
};

// Installs a FakeKernel for the life of a test.
class ScopedFakeKernel {
 public:
  ScopedFakeKernel() { setKernel(&k); }
  ~ScopedFakeKernel() { setKernel(nullptr); }
  FakeKernel* operator->() { return &k; }
  FakeKernel& operator*() { return k; }
  FakeKernel k;
};

}  // namespace vcb::testing
