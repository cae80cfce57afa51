#pragma once
// Shared by the application-side suites: the fake relay as a child program,
// and running a sibling program with its output captured.
#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "testsupport/win32/WinTest.h"
#include "vcbridge/channels/win32/RelayClient.h"

namespace vcb::testing {

// vcb_fake_relay.exe, started only once no relay window is left over from
// an earlier test, and ready once its window can be found.
class FakeRelay {
 public:
  bool start(const std::wstring& args) {
    if (!kit::waitFor([] { return !RelayClient::findRelay(); }, 10000)) return false;
    if (!process_.start(L"vcb_fake_relay.exe", args)) return false;
    kit::waitFor([&] { return RelayClient::findRelay() || !process_.running(); }, 15000);
    return RelayClient::findRelay() != nullptr;
  }
  kit::Child& process() { return process_; }

 private:
  kit::Child process_;
};

struct ProgramRun {
  long exitCode = -1;  // -1: did not end in time
  std::string out;     // standard output and error, as written

  bool has(const std::string& text) const { return out.find(text) != std::string::npos; }
  std::vector<std::string> lines() const {
    std::vector<std::string> v;
    std::istringstream in(out);
    for (std::string l; std::getline(in, l);) {
      if (!l.empty() && l.back() == '\r') l.pop_back();
      v.push_back(l);
    }
    return v;
  }
  // The first line starting with `prefix`, or "".
  std::string line(const std::string& prefix) const {
    for (const std::string& l : lines())
      if (l.rfind(prefix, 0) == 0) return l;
    return "";
  }
};

// Starts <exeFolder><program> with standard output and error going to a
// scratch file; kills it after timeoutMs.
class CapturedRun {
 public:
  bool start(const std::wstring& program, const std::wstring& args) {
    wchar_t dir[MAX_PATH], file[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    if (!GetTempFileNameW(dir, L"out", 0, file)) return false;
    path_ = file;
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE out = CreateFileW(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    std::wstring cmd = L"\"" + kit::exeFolder() + program + L"\"";
    if (!args.empty()) cmd += L" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nullptr;
    si.hStdOutput = out;
    si.hStdError = out;
    PROCESS_INFORMATION pi{};
    BOOL ok = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
    CloseHandle(out);
    if (!ok) return false;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    return true;
  }

  bool running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

  ProgramRun finish(DWORD timeoutMs) {
    ProgramRun r;
    if (process_) {
      if (WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process_, &code);
        r.exitCode = long(code);
      } else {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
      }
      CloseHandle(process_);
      process_ = nullptr;
    }
    HANDLE in = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            0, nullptr);
    if (in != INVALID_HANDLE_VALUE) {
      char buf[4096];
      DWORD n = 0;
      while (ReadFile(in, buf, sizeof(buf), &n, nullptr) && n) r.out.append(buf, n);
      CloseHandle(in);
    }
    if (!path_.empty()) DeleteFileW(path_.c_str());
    path_.clear();
    return r;
  }

  ~CapturedRun() {
    if (process_) finish(0);
  }

 private:
  HANDLE process_ = nullptr;
  std::wstring path_;
};

inline ProgramRun runCaptured(const std::wstring& program, const std::wstring& args, DWORD timeoutMs = 30000) {
  CapturedRun run;
  if (!run.start(program, args)) return ProgramRun{};
  return run.finish(timeoutMs);
}

}  // namespace vcb::testing
