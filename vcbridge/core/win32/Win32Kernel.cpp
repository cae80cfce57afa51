#include "vcbridge/core/win32/Win32Kernel.h"

#include <windows.h>

#include <memory>

#include "vcbridge/core/win32/WinText.h"

namespace vcb {

namespace {

// Security attributes with a NULL DACL: full access for everyone, inheritable.
struct NullDacl {
  SECURITY_DESCRIPTOR sd;
  SECURITY_ATTRIBUTES sa;
  NullDacl() {
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);
    sa.nLength = sizeof(sa);
    sa.lpSecurityDescriptor = &sd;
    sa.bInheritHandle = TRUE;
  }
};

SECURITY_ATTRIBUTES* attributes(Security sec, NullDacl& storage) {
  return sec == Security::NullDaclInheritable ? &storage.sa : nullptr;
}

const wchar_t* nameOrNull(const std::wstring& name) { return name.empty() ? nullptr : name.c_str(); }

DWORD WINAPI threadStart(LPVOID p) {
  std::unique_ptr<std::function<uint32_t()>> body(static_cast<std::function<uint32_t()>*>(p));
  return (*body)();
}

}  // namespace

uint32_t Win32Kernel::lastError() { return GetLastError(); }
void Win32Kernel::setLastError(uint32_t error) { SetLastError(error); }
void Win32Kernel::closeHandle(Handle h) {
  if (h) CloseHandle(h);
}

Handle Win32Kernel::createMutex(const std::wstring& name, bool initialOwner, Security sec,
                                bool* alreadyExisted) {
  NullDacl storage;
  HANDLE h = CreateMutexW(attributes(sec, storage), initialOwner ? TRUE : FALSE, nameOrNull(name));
  DWORD err = GetLastError();
  if (alreadyExisted) *alreadyExisted = h && err == ERROR_ALREADY_EXISTS;
  SetLastError(err);
  return h;
}

bool Win32Kernel::releaseMutex(Handle h) { return ReleaseMutex(h) != FALSE; }

Handle Win32Kernel::createEvent(const std::wstring& name, bool manualReset, bool initialState,
                                Security sec) {
  NullDacl storage;
  return CreateEventW(attributes(sec, storage), manualReset, initialState, nameOrNull(name));
}

bool Win32Kernel::setEvent(Handle h) { return SetEvent(h) != FALSE; }
bool Win32Kernel::resetEvent(Handle h) { return ResetEvent(h) != FALSE; }

WaitResult Win32Kernel::wait(Handle h, uint32_t timeoutMs) {
  switch (WaitForSingleObject(h, timeoutMs)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:
      return WaitResult::Signaled;
    case WAIT_TIMEOUT:
      return WaitResult::Timeout;
    default:
      return WaitResult::Failed;
  }
}

WaitResult Win32Kernel::waitAny(const Handle* handles, uint32_t count, uint32_t timeoutMs,
                                uint32_t* which) {
  if (count == 0 || count > MAXIMUM_WAIT_OBJECTS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WaitResult::Failed;
  }
  DWORD r = WaitForMultipleObjects(count, handles, FALSE, timeoutMs);
  if (r == WAIT_TIMEOUT) return WaitResult::Timeout;
  if (r < WAIT_OBJECT_0 + count) {
    if (which) *which = r - WAIT_OBJECT_0;
    return WaitResult::Signaled;
  }
  if (r >= WAIT_ABANDONED_0 && r < WAIT_ABANDONED_0 + count) {
    if (which) *which = r - WAIT_ABANDONED_0;
    return WaitResult::Signaled;
  }
  return WaitResult::Failed;
}

Handle Win32Kernel::openFileMapping(const std::wstring& name) {
  return OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
}

Handle Win32Kernel::createFileMapping(const std::wstring& name, uint32_t size, Security sec) {
  NullDacl storage;
  return CreateFileMappingW(INVALID_HANDLE_VALUE, attributes(sec, storage), PAGE_READWRITE, 0, size,
                            nameOrNull(name));
}

void* Win32Kernel::mapView(Handle mapping) {
  return MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
}

void Win32Kernel::unmapView(void* view) {
  if (view) UnmapViewOfFile(view);
}

uint32_t Win32Kernel::viewSize(void* view) {
  MEMORY_BASIC_INFORMATION info{};
  if (!view || VirtualQuery(view, &info, sizeof(info)) != sizeof(info)) return 0;
  return info.RegionSize > 0xFFFFFFFEu ? 0xFFFFFFFEu : static_cast<uint32_t>(info.RegionSize);
}

Handle Win32Kernel::createThread(std::function<uint32_t()> body, uint32_t* threadId) {
  auto* heap = new std::function<uint32_t()>(std::move(body));
  DWORD id = 0;
  HANDLE h = CreateThread(nullptr, 0, threadStart, heap, CREATE_SUSPENDED, &id);
  if (!h) {
    delete heap;
    return nullptr;
  }
  if (threadId) *threadId = id;
  ResumeThread(h);
  return h;
}

bool Win32Kernel::threadExitCode(Handle thread, uint32_t* code) {
  DWORD c = 0;
  if (!GetExitCodeThread(thread, &c)) return false;
  if (code) *code = c;
  return true;
}

void Win32Kernel::sleep(uint32_t ms) { Sleep(ms); }
uint32_t Win32Kernel::tickCount() { return GetTickCount(); }
void Win32Kernel::debugOutput(const std::string& utf8) { OutputDebugStringW(widen(utf8).c_str()); }

void useWin32Kernel() {
  static Win32Kernel k;
  setKernel(&k);
}

}  // namespace vcb
