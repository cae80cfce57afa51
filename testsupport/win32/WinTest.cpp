#include "testsupport/win32/WinTest.h"

namespace kit {

std::wstring exeFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path);
  return p.substr(0, p.find_last_of(L"\\/") + 1);
}

Child::~Child() {
  if (process_) {
    if (running()) kill();
    CloseHandle(process_);
  }
}

bool Child::start(const std::wstring& program, const std::wstring& args) {
  std::wstring cmd = L"\"" + exeFolder() + program + L"\"";
  if (!args.empty()) cmd += L" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  return true;
}

long Child::wait(DWORD timeoutMs) {
  if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return static_cast<long>(code);
}

bool Child::running() { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

void Child::kill() {
  if (process_) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
}

bool waitFor(const std::function<bool()>& cond, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (cond()) return true;
    if (GetTickCount() - start > timeoutMs) return cond();
    Sleep(10);
  }
}

std::wstring uniqueName(const std::wstring& stem) {
  static LONG counter = 0;
  return stem + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
         std::to_wstring(InterlockedIncrement(&counter));
}

}  // namespace kit
