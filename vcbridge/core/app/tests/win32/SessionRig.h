#pragma once
// A simulated Remote Desktop session inside one Wine prefix, for the demo and
// the relay benchmark: the client emulator, the relay as vcbridge_testhost.exe
// and the session's programs, all started from the folder of this program.
// The relay reaches the emulator through the wtsapi32 double, which Wine
// loads only under WINEDLLOVERRIDES with "wtsapi32=n,b".
#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/channels/tests/emulator/win32/PipeIo.h"
#include "vcbridge/channels/win32/RelayClient.h"

namespace vcb::rig {

inline std::wstring exeFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path);
  return p.substr(0, p.find_last_of(L"\\/") + 1);
}

// Polls every 10 ms until cond holds or timeoutMs passed.
inline bool waitFor(const std::function<bool()>& cond, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (cond()) return true;
    if (GetTickCount64() >= end) return cond();
    Sleep(10);
  }
}

// True when this process got the wtsapi32 double, so its children will too.
inline bool channelDoubleInUse() {
  HMODULE wts = LoadLibraryW(L"wtsapi32.dll");
  bool ours = wts && GetProcAddress(wts, "KitChannelDouble");
  if (wts) FreeLibrary(wts);
  return ours;
}

// A program beside this one. With capture, its standard output and error
// are read line by line on a thread of their own and handed to onLine as
// they come (trailing CR removed), and kept for waitForLine.
class Process {
 public:
  using LineSink = std::function<void(const std::string&)>;

  Process() = default;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() {
    kill();
    if (reader_.joinable()) reader_.join();
    if (process_) CloseHandle(process_);
  }

  bool start(const std::wstring& program, const std::wstring& args, bool capture = false, LineSink onLine = {}) {
    std::wstring cmd = L"\"" + exeFolder() + program + L"\"";
    if (!args.empty()) cmd += L" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (capture) {
      SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
      if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return false;
      SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
      si.dwFlags = STARTF_USESTDHANDLES;
      si.hStdInput = nullptr;
      si.hStdOutput = writeEnd;
      si.hStdError = writeEnd;
    }
    PROCESS_INFORMATION pi{};
    BOOL ok = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, capture, capture ? CREATE_NO_WINDOW : 0, nullptr,
                             nullptr, &si, &pi);
    // Our copy of the write end must go, or the reader never sees the end.
    if (writeEnd) CloseHandle(writeEnd);
    if (!ok) {
      if (readEnd) CloseHandle(readEnd);
      return false;
    }
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    id_ = pi.dwProcessId;
    if (capture) reader_ = std::thread([this, readEnd, onLine] { read(readEnd, onLine); });
    return true;
  }

  bool running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

  // The exit code, or -1 when it did not end within timeoutMs.
  long wait(DWORD timeoutMs) {
    if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    if (reader_.joinable()) reader_.join();  // every line is in once the pipe is closed
    return long(code);
  }

  void kill() {
    if (running()) {
      TerminateProcess(process_, 1);
      WaitForSingleObject(process_, 5000);
    }
  }

  HANDLE handle() const { return process_; }
  DWORD id() const { return id_; }

  // The first captured line starting with prefix, waiting up to timeoutMs; "" if none came.
  std::string waitForLine(const std::string& prefix, DWORD timeoutMs) {
    std::unique_lock<std::mutex> hold(lock_);
    std::string found;
    auto seen = [&] {
      for (const std::string& l : lines_)
        if (l.rfind(prefix, 0) == 0) {
          found = l;
          return true;
        }
      return ended_;
    };
    changed_.wait_for(hold, std::chrono::milliseconds(timeoutMs), seen);
    return found;
  }

  std::vector<std::string> lines() {
    std::lock_guard<std::mutex> hold(lock_);
    return lines_;
  }

 private:
  void read(HANDLE pipe, const LineSink& onLine) {
    std::string pending;
    char buf[1024];
    DWORD n = 0;
    auto emit = [&](std::string line) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (onLine) onLine(line);
      std::lock_guard<std::mutex> hold(lock_);
      lines_.push_back(std::move(line));
      changed_.notify_all();
    };
    while (ReadFile(pipe, buf, sizeof buf, &n, nullptr) && n) {
      pending.append(buf, n);
      for (size_t eol; (eol = pending.find('\n')) != std::string::npos;) {
        emit(pending.substr(0, eol));
        pending.erase(0, eol + 1);
      }
    }
    if (!pending.empty()) emit(pending);
    CloseHandle(pipe);
    std::lock_guard<std::mutex> hold(lock_);
    ended_ = true;
    changed_.notify_all();
  }

  HANDLE process_ = nullptr;
  DWORD id_ = 0;
  std::thread reader_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<std::string> lines_;
  bool ended_ = false;
};

// vcb_client_emulator.exe: the client machine's end of both channels. It
// ends with this process at the latest (--parent).
class Emulator {
 public:
  ~Emulator() { stop(); }

  // Starts it and points the channel doubles of this process and of every
  // child started afterwards at it.
  bool start(const std::wstring& stem) {
    base_ = stem + L"_" + std::to_wstring(GetCurrentProcessId());
    if (!process_.start(L"vcb_client_emulator.exe", base_ + L" --parent " + std::to_wstring(GetCurrentProcessId())))
      return false;
    SetEnvironmentVariableW(L"KIT_EMULATOR_PIPE", base_.c_str());
    return waitFor([this] { return command("ping") == "ok"; }, 10000);
  }

  void stop() {
    if (!process_.running()) return;
    command("quit");
    if (process_.wait(5000) < 0) process_.kill();
  }

  // One control line (EMULATOR.md); the reply, "" when it cannot be reached.
  std::string command(const std::string& line) { return emulator::control(base_, line); }

  // A number from "stats"; -1 when absent.
  long stat(const std::string& key) {
    std::string s = " " + command("stats") + " ";
    size_t at = s.find(" " + key + "=");
    return at == std::string::npos ? -1 : std::atol(s.c_str() + at + key.size() + 2);
  }

  // Bytes from a "packet"/"request" reply; empty when there is none.
  std::vector<uint8_t> bytes(const std::string& line) {
    std::string reply = command(line);
    std::vector<uint8_t> out;
    if (reply.rfind("ok ", 0) != 0 || !emulator::fromHex(reply.substr(3), out)) out.clear();
    return out;
  }

  const std::wstring& base() const { return base_; }
  Process& process() { return process_; }

 private:
  Process process_;
  std::wstring base_;
};

// The relay, composed as vcbridge.exe composes it, in a session that counts
// as remote.
class Relay {
 public:
  // False when it does not start or its window does not appear within 15 s.
  bool start() {
    if (!waitFor([] { return !RelayClient::findRelay(); }, 5000)) return false;
    if (!process_.start(L"vcbridge_testhost.exe", L"")) return false;
    waitFor([&] { return RelayClient::findRelay() || !process_.running(); }, 15000);
    return RelayClient::findRelay() != nullptr;
  }
  Process& process() { return process_; }

 private:
  Process process_;
};

// Switches the relay's log on for a component in this user's registry and
// makes Documents\VDMS, so the file lands in Documents\VDMS\Log. Returns the
// file's path (an old file is removed).
inline std::wstring enableRelayLog(const std::wstring& component, const std::wstring& documents) {
  HKEY key = nullptr;
  std::wstring name = L"Software\\Varneth\\DictaDeskPro\\Logging\\" + component;
  RegCreateKeyExW(HKEY_CURRENT_USER, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  DWORD one = 1, info = 4;
  RegSetValueExW(key, L"EnableLogging", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), sizeof one);
  RegSetValueExW(key, L"Level", 0, REG_DWORD, reinterpret_cast<BYTE*>(&info), sizeof info);
  RegCloseKey(key);
  std::wstring vdms = documents + L"\\VDMS";
  CreateDirectoryW(vdms.c_str(), nullptr);
  std::wstring file = vdms + L"\\Log\\" + component + L".log";
  DeleteFileW(file.c_str());
  return file;
}

// The header fields of a packet or message; false when it is shorter than a header.
inline bool headerOf(const std::vector<uint8_t>& bytes, PacketHeader* h) {
  return h->readFrom(bytes.data(), uint32_t(bytes.size()));
}

inline uint32_t fnv1a(const uint8_t* d, size_t n) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < n; ++i) h = (h ^ d[i]) * 16777619u;
  return h;
}

}  // namespace vcb::rig
