#pragma once
#include "vcbridge/core/Kernel.h"

namespace vcb {

// The kernel port on the real Win32 API.
class Win32Kernel : public IKernel {
 public:
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
};

// Installs a process-wide Win32Kernel as the kernel port.
void useWin32Kernel();

}  // namespace vcb
