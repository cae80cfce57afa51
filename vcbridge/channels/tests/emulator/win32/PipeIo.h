#pragma once
// Message-mode named pipe helpers shared by vcb_client_emulator.exe, the
// channel doubles and the tests that drive the emulator.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "vcbridge/channels/tests/emulator/EmulatorWire.h"

namespace vcb::emulator {

// Steps worth seeing when a test hangs: visible with WINEDEBUG=+debugstr.
inline void trace(const char* format, ...) {
  char line[512];
  int n = std::snprintf(line, sizeof line, "kit-emulator %lu.%lu: ", GetCurrentProcessId(),
                        GetCurrentThreadId());
  va_list args;
  va_start(args, format);
  std::vsnprintf(line + n, sizeof line - n, format, args);
  va_end(args);
  OutputDebugStringA(line);
}

inline std::wstring pipePath(const std::wstring& base, const wchar_t* suffix) {
  return L"\\\\.\\pipe\\" + base + suffix;
}

// The emulator's base name from KIT_EMULATOR_PIPE; empty when unset.
inline std::wstring baseFromEnvironment() {
  wchar_t value[256] = {};
  DWORD n = GetEnvironmentVariableW(L"KIT_EMULATOR_PIPE", value, 256);
  return n && n < 256 ? std::wstring(value, n) : std::wstring();
}

// One whole message from a synchronous message-mode pipe.
inline bool readMessage(HANDLE pipe, std::vector<uint8_t>& message) {
  message.clear();
  std::vector<uint8_t> buffer(65536);
  for (;;) {
    DWORD n = 0;
    BOOL ok = ReadFile(pipe, buffer.data(), DWORD(buffer.size()), &n, nullptr);
    if (!ok && GetLastError() != ERROR_MORE_DATA) return false;
    message.insert(message.end(), buffer.begin(), buffer.begin() + n);
    if (message.size() > kMaxMessage) {
      SetLastError(ERROR_MESSAGE_EXCEEDS_MAX_SIZE);
      return false;
    }
    if (ok) return true;
  }
}

inline bool writeMessage(HANDLE pipe, const void* data, size_t size) {
  DWORD written = 0;
  return WriteFile(pipe, data, DWORD(size), &written, nullptr) && written == size;
}

// One request and its reply over a fresh connection to a server pipe,
// within timeoutMs. False with the system error set: 2 when nobody serves
// that pipe, 1460 (ERROR_TIMEOUT) when the answer does not come.
inline bool transact(const std::wstring& path, const std::vector<uint8_t>& request,
                     std::vector<uint8_t>& reply, DWORD timeoutMs = 10000) {
  DWORD start = GetTickCount();
  HANDLE pipe;
  for (;;) {
    pipe = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) break;
    DWORD error = GetLastError();
    if (error != ERROR_PIPE_BUSY || GetTickCount() - start > timeoutMs) {
      SetLastError(error);
      return false;
    }
    WaitNamedPipeW(path.c_str(), 50);
  }
  DWORD mode = PIPE_READMODE_MESSAGE;
  SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
  OVERLAPPED ov{};
  ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  // Ends one overlapped operation by the deadline: its byte count and its
  // error (0, or ERROR_MORE_DATA for a message longer than the buffer).
  auto finish = [&](BOOL started, DWORD& n, DWORD& error) -> bool {
    if (!started && GetLastError() == ERROR_IO_PENDING) {
      DWORD spent = GetTickCount() - start;
      if (WaitForSingleObject(ov.hEvent, spent < timeoutMs ? timeoutMs - spent : 0) !=
          WAIT_OBJECT_0) {
        CancelIo(pipe);
        GetOverlappedResult(pipe, &ov, &n, TRUE);
        error = ERROR_TIMEOUT;
        return false;
      }
    } else if (!started && GetLastError() != ERROR_MORE_DATA) {
      error = GetLastError();
      return false;
    }
    error = GetOverlappedResult(pipe, &ov, &n, FALSE) ? 0 : GetLastError();
    return error == 0 || error == ERROR_MORE_DATA;
  };
  DWORD n = 0, error = 0;
  bool ok = finish(WriteFile(pipe, request.data(), DWORD(request.size()), nullptr, &ov), n, error) &&
            n == request.size();
  reply.clear();
  std::vector<uint8_t> buffer(65536);
  while (ok) {
    ResetEvent(ov.hEvent);
    ok = finish(ReadFile(pipe, buffer.data(), DWORD(buffer.size()), nullptr, &ov), n, error);
    if (!ok) break;
    reply.insert(reply.end(), buffer.begin(), buffer.begin() + n);
    if (error != ERROR_MORE_DATA) break;
    if (reply.size() > kMaxMessage) {
      error = ERROR_MESSAGE_EXCEEDS_MAX_SIZE;
      ok = false;
    }
  }
  CloseHandle(ov.hEvent);
  CloseHandle(pipe);
  trace("transact %.4s ok=%d error=%lu", reinterpret_cast<const char*>(request.data()), ok, error);
  SetLastError(ok ? ERROR_SUCCESS : error);
  return ok;
}

// A control line for the emulator serving `base`; its reply, or "" when the
// emulator cannot be reached.
inline std::string control(const std::wstring& base, const std::string& line) {
  std::vector<uint8_t> reply;
  if (!transact(pipePath(base, L".control"), std::vector<uint8_t>(line.begin(), line.end()), reply))
    return std::string();
  return std::string(reply.begin(), reply.end());
}

}  // namespace vcb::emulator
