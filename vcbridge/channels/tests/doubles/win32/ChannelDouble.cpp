#include "vcbridge/channels/tests/doubles/win32/ChannelDouble.h"

#include <mutex>
#include <set>
#include <vector>

#include "vcbridge/channels/tests/emulator/EmulatorWire.h"
#include "vcbridge/channels/tests/emulator/win32/PipeIo.h"

namespace vcb::doubles {

struct Channel {
  std::string name;
  HANDLE pipe;
};

namespace {

std::mutex g_lock;
std::set<Channel*> g_channels;
LONG g_counter = 0;

bool call(const char* op, const std::string& channel, const void* payload, size_t size,
          uint32_t* value) {
  std::wstring base = emulator::baseFromEnvironment();
  if (base.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  std::vector<uint8_t> reply;
  if (!emulator::transact(emulator::pipePath(base, L".rpc"),
                          emulator::request(op, channel, payload, size), reply))
    return false;
  emulator::Reply r;
  if (!emulator::decode(reply.data(), reply.size(), r)) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  if (!r.ok) {
    SetLastError(r.value);
    return false;
  }
  if (value) *value = r.value;
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool connectPipe(HANDLE pipe) {
  OVERLAPPED ov{};
  ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  bool ok = ConnectNamedPipe(pipe, &ov) != FALSE;
  if (!ok) {
    DWORD error = GetLastError();
    if (error == ERROR_PIPE_CONNECTED) {
      ok = true;
    } else if (error == ERROR_IO_PENDING) {
      DWORD n;
      if (WaitForSingleObject(ov.hEvent, 5000) == WAIT_OBJECT_0)
        ok = GetOverlappedResult(pipe, &ov, &n, FALSE) != FALSE;
      else {
        CancelIo(pipe);
        GetOverlappedResult(pipe, &ov, &n, TRUE);
      }
    }
  }
  CloseHandle(ov.hEvent);
  return ok;
}

}  // namespace

Channel* openChannel(const char* name) {
  std::string channel = name ? name : "";
  std::wstring base = emulator::baseFromEnvironment();
  if (base.empty() || channel.empty() || channel.size() > 7) {
    SetLastError(base.empty() ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::wstring path = emulator::pipePath(
      base, (L"." + std::wstring(channel.begin(), channel.end()) + L"." +
             std::to_wstring(GetCurrentProcessId()) + L"." +
             std::to_wstring(InterlockedIncrement(&g_counter)))
                .c_str());
  HANDLE pipe = CreateNamedPipeW(path.c_str(),
                                 PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                 PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 0,
                                 1 << 16, 0, nullptr);
  if (pipe == INVALID_HANDLE_VALUE) return nullptr;
  emulator::trace("open %s", channel.c_str());
  if (!call(emulator::kOpOpen, channel, path.data(), path.size() * sizeof(wchar_t), nullptr) ||
      !connectPipe(pipe)) {
    DWORD error = GetLastError();
    CloseHandle(pipe);
    SetLastError(error ? error : ERROR_PIPE_NOT_CONNECTED);
    return nullptr;
  }
  emulator::trace("opened %s", channel.c_str());
  Channel* ch = new Channel{channel, pipe};
  std::lock_guard<std::mutex> hold(g_lock);
  g_channels.insert(ch);
  SetLastError(ERROR_SUCCESS);
  return ch;
}

bool isChannel(Channel* ch) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_channels.count(ch)) return true;
  SetLastError(ERROR_INVALID_HANDLE);
  return false;
}

bool closeChannel(Channel* ch) {
  {
    std::lock_guard<std::mutex> hold(g_lock);
    if (!g_channels.erase(ch)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return false;
    }
  }
  call(emulator::kOpClose, ch->name, nullptr, 0, nullptr);
  CloseHandle(ch->pipe);
  delete ch;
  SetLastError(ERROR_SUCCESS);
  return true;
}

HANDLE readHandle(Channel* ch) { return ch->pipe; }

bool writeChannel(Channel* ch, const void* data, uint32_t size, uint32_t* written) {
  uint32_t n = 0;
  if (!call(emulator::kOpWrite, ch->name, data, size, &n)) return false;
  if (written) *written = n;
  return true;
}

bool queryChannel(Channel* ch) { return call(emulator::kOpQuery, ch->name, nullptr, 0, nullptr); }

bool purgeChannel(Channel* ch, bool input) {
  return call(input ? emulator::kOpPurgeInput : emulator::kOpPurgeOutput, ch->name, nullptr, 0,
              nullptr);
}

bool readChannel(Channel* ch, uint32_t timeoutMs, void* buffer, uint32_t size,
                 uint32_t* bytesRead) {
  OVERLAPPED ov{};
  ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DWORD n = 0;
  bool ok = ReadFile(ch->pipe, buffer, size, nullptr, &ov) != FALSE;
  DWORD error = ok ? ERROR_SUCCESS : GetLastError();
  if (ok) {
    ok = GetOverlappedResult(ch->pipe, &ov, &n, FALSE) != FALSE;
  } else if (error == ERROR_IO_PENDING) {
    if (WaitForSingleObject(ov.hEvent, timeoutMs) == WAIT_OBJECT_0) {
      ok = GetOverlappedResult(ch->pipe, &ov, &n, FALSE) != FALSE;
      error = ok ? ERROR_SUCCESS : GetLastError();
    } else {
      CancelIo(ch->pipe);
      ok = GetOverlappedResult(ch->pipe, &ov, &n, TRUE) != FALSE;  // data that beat the cancel
      error = ok ? ERROR_SUCCESS : WAIT_TIMEOUT;
    }
  }
  CloseHandle(ov.hEvent);
  if (bytesRead) *bytesRead = ok ? n : 0;
  SetLastError(error);
  return ok;
}

bool sessionConnectState(int32_t* state) {
  uint32_t value = 0;
  if (!call(emulator::kOpState, "", nullptr, 0, &value)) return false;
  *state = int32_t(value);
  return true;
}

LONG g_outstanding = 0;

void* allocate(size_t size) {
  void* p = LocalAlloc(LPTR, size);
  if (p) InterlockedIncrement(&g_outstanding);
  return p;
}

void release(void* memory) {
  if (memory && !LocalFree(memory)) InterlockedDecrement(&g_outstanding);
}

int outstanding() { return int(g_outstanding); }

}  // namespace vcb::doubles
