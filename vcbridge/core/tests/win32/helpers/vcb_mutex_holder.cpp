// Second process for the named-mutex tests; it uses the relay's Mutex on the
// Win32 kernel port, as another relay (or an application) would.
//
//   own <mutex> <readyEvent> <goEvent>
//       create(true) must succeed; signals readyEvent, waits for goEvent,
//       then unlocks and closes.
//   abandon <mutex> <readyEvent> <goEvent>
//       create(true) must succeed; signals readyEvent, waits for goEvent and
//       ends still owning the mutex.
//   second <mutex>
//       The mutex is owned by another process: create(true) must report false,
//       keep the handle and not own the mutex.
//   lock <mutex> <lockingEvent> <goEvent>
//       Opens the mutex, signals lockingEvent and locks; once it holds the
//       mutex, goEvent must already be set (the owner sets it just before it
//       unlocks).
//
// Exit codes: 0 as expected, 2 create reported the wrong result, 3 time-out,
// 4 no handle, 5 owned when it must not be, 6 acquired too early, 9 bad arguments.
#include <windows.h>

#include <string>

#include "vcbridge/core/Kernel.h"
#include "vcbridge/core/Mutex.h"
#include "vcbridge/core/win32/Win32Kernel.h"

namespace {

bool setNamed(const wchar_t* name) {
  HANDLE e = OpenEventW(EVENT_MODIFY_STATE, FALSE, name);
  if (!e) return false;
  SetEvent(e);
  CloseHandle(e);
  return true;
}

// 0 when the event is set within timeoutMs.
int waitNamed(const wchar_t* name, DWORD timeoutMs) {
  HANDLE e = OpenEventW(SYNCHRONIZE, FALSE, name);
  if (!e) return 4;
  DWORD r = WaitForSingleObject(e, timeoutMs);
  CloseHandle(e);
  return r == WAIT_OBJECT_0 ? 0 : 3;
}

int own(const wchar_t* name, const wchar_t* ready, const wchar_t* go) {
  vcb::Mutex m;
  if (!m.create(true, name)) return 2;
  if (!setNamed(ready)) return 4;
  if (int r = waitNamed(go, 30000)) return r;
  m.unlock();
  m.releaseAndClose();
  return 0;
}

int abandon(const wchar_t* name, const wchar_t* ready, const wchar_t* go) {
  static vcb::Mutex m;  // never released: the process ends owning it
  if (!m.create(true, name)) return 2;
  if (!setNamed(ready)) return 4;
  if (int r = waitNamed(go, 30000)) return r;
  ExitProcess(0);
  return 0;
}

int second(const wchar_t* name) {
  vcb::Mutex m;
  if (m.create(true, name)) return 2;
  if (m.isNull()) return 4;
  if (vcb::kernel().wait(m.get(), 0) != vcb::WaitResult::Timeout) return 5;
  return 0;
}

int lock(const wchar_t* name, const wchar_t* locking, const wchar_t* go) {
  vcb::Mutex m;
  if (!m.create(false, name)) return 2;
  if (!setNamed(locking)) return 4;
  m.lock();
  int r = waitNamed(go, 0) == 0 ? 0 : 6;
  m.unlock();
  return r;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  vcb::useWin32Kernel();
  std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"own" && argc == 5) return own(argv[2], argv[3], argv[4]);
  if (mode == L"abandon" && argc == 5) return abandon(argv[2], argv[3], argv[4]);
  if (mode == L"second" && argc == 3) return second(argv[2]);
  if (mode == L"lock" && argc == 5) return lock(argv[2], argv[3], argv[4]);
  return 9;
}
