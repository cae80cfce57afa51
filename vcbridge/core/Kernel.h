#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace vcb {

// Opaque operating-system handle; nullptr means "none".
using Handle = void*;

inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;

// System error values the relay sets or tests.
inline constexpr uint32_t kErrorAlreadyExists = 183;
inline constexpr uint32_t kErrorIoPending = 997;
inline constexpr uint32_t kErrorIoIncomplete = 996;
inline constexpr uint32_t kErrorOperationAborted = 995;  // a read ended by its cancellation
inline constexpr uint32_t kWaitTimeout = 258;

enum class Security {
  Default,              // the creator's default security, handle not inheritable
  NullDaclInheritable,  // full access for everyone, inheritable handle
};

enum class WaitResult { Signaled, Timeout, Failed };

// The kernel port: every named object, thread and wait of the relay goes
// through this table, so the logic runs on Win32 (the product) and on an
// in-process fake (native tests) alike. No operation throws.
class IKernel {
 public:
  virtual ~IKernel() = default;

  virtual uint32_t lastError() = 0;                 // calling thread's last system error
  virtual void setLastError(uint32_t error) = 0;
  virtual void closeHandle(Handle h) = 0;           // any handle this port returned

  // Create-or-open; *alreadyExisted tells which. Empty name = unnamed. nullptr on failure.
  virtual Handle createMutex(const std::wstring& name, bool initialOwner, Security sec,
                             bool* alreadyExisted) = 0;
  virtual bool releaseMutex(Handle h) = 0;
  virtual Handle createEvent(const std::wstring& name, bool manualReset, bool initialState,
                             Security sec) = 0;
  virtual bool setEvent(Handle h) = 0;
  virtual bool resetEvent(Handle h) = 0;
  // Waits on a mutex, event or thread handle; an abandoned mutex counts as signaled. May block.
  virtual WaitResult wait(Handle h, uint32_t timeoutMs) = 0;
  // Waits until one of count (1..64) handles is signalled and acquires that
  // one only; *which is its index (the lowest when several are ready).
  virtual WaitResult waitAny(const Handle* handles, uint32_t count, uint32_t timeoutMs,
                             uint32_t* which) = 0;

  // Named shared memory. open fails when no object of that name exists.
  virtual Handle openFileMapping(const std::wstring& name) = 0;
  virtual Handle createFileMapping(const std::wstring& name, uint32_t size, Security sec) = 0;
  virtual void* mapView(Handle mapping) = 0;        // whole mapping, read-write; nullptr on failure
  virtual void unmapView(void* view) = 0;
  // Bytes that can be touched from a view's start (whole pages); kInfinite
  // when the port cannot tell. Guards against a segment that another program
  // made smaller than agreed.
  virtual uint32_t viewSize(void* view) { return kInfinite; }

  // Starts body on a new thread; its return value is the thread's exit code.
  virtual Handle createThread(std::function<uint32_t()> body, uint32_t* threadId) = 0;
  virtual bool threadExitCode(Handle thread, uint32_t* code) = 0;

  virtual void sleep(uint32_t ms) = 0;
  virtual uint32_t tickCount() = 0;                 // milliseconds, wraps like GetTickCount
  virtual void debugOutput(const std::string& utf8) = 0;
};

// The port in use; set once by the composition root (or a test) before use.
IKernel& kernel();
void setKernel(IKernel* k);

}  // namespace vcb
