// vcb_client_emulator.exe <base> [--parent <pid>]
//
// The client machine's end of the relay's virtual channels, for Wine tests.
// The channel doubles (WFAPI.dll, wtsapi32.dll) reach it through
// "\\.\pipe\<base>.rpc" (EmulatorWire.h); tests drive it with one-line
// commands on "\\.\pipe\<base>.control" (EMULATOR.md). It ends on "quit" or
// when the process given with --parent ends.
#include <windows.h>

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "vcbridge/channels/tests/emulator/EmulatorWire.h"
#include "vcbridge/channels/tests/emulator/win32/PipeIo.h"
#include "vcbridge/channels/tests/fakes/ClientEmulator.h"

namespace {

using vcb::testing::ClientEmulator;
using Bytes = std::vector<uint8_t>;

// The emulator's write end of the pipe a double reads one channel from. A
// thread of its own writes, so nothing else ever waits for the relay to read.
class Connection {
 public:
  explicit Connection(HANDLE pipe)
      : pipe_(pipe),
        wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
        stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        io_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        writer_([this] { run(); }) {}

  ~Connection() {
    SetEvent(stop_);
    writer_.join();
    CloseHandle(pipe_);
    CloseHandle(wake_);
    CloseHandle(stop_);
    CloseHandle(io_);
  }

  void post(const Bytes& packet) {
    std::lock_guard<std::mutex> hold(lock_);
    queue_.push_back(packet);
    SetEvent(wake_);
  }

 private:
  void run() {
    HANDLE waits[2] = {stop_, wake_};
    while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
      for (;;) {
        Bytes packet;
        {
          std::lock_guard<std::mutex> hold(lock_);
          if (queue_.empty()) break;
          packet = std::move(queue_.front());
          queue_.pop_front();
        }
        if (!write(packet)) return;
      }
    }
  }

  bool write(const Bytes& packet) {
    OVERLAPPED ov{};
    ov.hEvent = io_;
    ResetEvent(io_);
    DWORD n = 0;
    if (WriteFile(pipe_, packet.data(), DWORD(packet.size()), nullptr, &ov)) return true;
    if (GetLastError() != ERROR_IO_PENDING) return false;  // the double has gone
    HANDLE waits[2] = {io_, stop_};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
      CancelIo(pipe_);
      GetOverlappedResult(pipe_, &ov, &n, TRUE);
      return false;
    }
    return GetOverlappedResult(pipe_, &ov, &n, FALSE) != FALSE;
  }

  HANDLE pipe_, wake_, stop_, io_;
  std::mutex lock_;
  std::deque<Bytes> queue_;
  std::thread writer_;
};

class PipeLink : public ClientEmulator::Link {
 public:
  bool deliver(ClientEmulator::Channel ch, const Bytes& packet) override {
    std::lock_guard<std::mutex> hold(lock_);
    if (!connections_[ch]) return false;
    connections_[ch]->post(packet);
    return true;
  }
  void disconnect(ClientEmulator::Channel ch) override { attach(ch, nullptr); }

  void attach(ClientEmulator::Channel ch, HANDLE pipe) {
    std::unique_ptr<Connection> old;
    {
      std::lock_guard<std::mutex> hold(lock_);
      old = std::move(connections_[ch]);
      if (pipe) connections_[ch] = std::make_unique<Connection>(pipe);
    }
  }

 private:
  std::mutex lock_;
  std::unique_ptr<Connection> connections_[2];
};

PipeLink g_link;
ClientEmulator g_emulator(g_link);
HANDLE g_quit = CreateEventW(nullptr, TRUE, FALSE, nullptr);

bool channelOf(const uint8_t* name8, ClientEmulator::Channel& ch) {
  std::string name(reinterpret_cast<const char*>(name8), strnlen(reinterpret_cast<const char*>(name8), 8));
  if (name == "VRVCDSS") ch = ClientEmulator::Dss;
  else if (name == "VRVCCFA") ch = ClientEmulator::Cfa;
  else return false;
  return true;
}

Bytes handleRequest(const Bytes& m) {
  using namespace vcb::emulator;
  auto reply = [](bool ok, uint32_t value) { return encode(Reply{ok ? 1u : 0u, value}); };
  if (m.size() < kRequestHead) return reply(false, ERROR_INVALID_PARAMETER);
  std::string op(reinterpret_cast<const char*>(m.data()), 4);
  const uint8_t* payload = m.data() + kRequestHead;
  size_t size = m.size() - kRequestHead;
  if (op == kOpState) {
    ClientEmulator::Result r = g_emulator.connectState();
    return reply(r.ok, r.value);
  }
  if (op == kOpOpen) {
    std::string name(reinterpret_cast<const char*>(m.data() + 4), strnlen(reinterpret_cast<const char*>(m.data() + 4), 8));
    ClientEmulator::Channel ch;
    ClientEmulator::Result r = g_emulator.open(name, &ch);
    if (!r.ok) return reply(false, r.value);
    std::wstring path(reinterpret_cast<const wchar_t*>(payload), size / sizeof(wchar_t));
    HANDLE pipe = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) {
      DWORD error = GetLastError();
      g_emulator.close(ch);
      return reply(false, error);
    }
    g_link.attach(ch, pipe);
    return reply(true, 0);
  }
  ClientEmulator::Channel ch;
  if (!channelOf(m.data() + 4, ch)) return reply(false, ERROR_FILE_NOT_FOUND);
  if (op == kOpClose) {
    g_emulator.close(ch);
    g_link.attach(ch, nullptr);
    return reply(true, 0);
  }
  if (op == kOpWrite) {
    ClientEmulator::Result r = g_emulator.write(ch, payload, size);
    return reply(r.ok, r.value);
  }
  if (op == kOpQuery) {
    ClientEmulator::Result r = g_emulator.query(ch);
    return reply(r.ok, r.value);
  }
  if (op == kOpPurgeInput || op == kOpPurgeOutput) {
    g_emulator.purge(ch, op == kOpPurgeInput);
    return reply(true, 0);
  }
  return reply(false, ERROR_INVALID_FUNCTION);
}

Bytes handleControl(const Bytes& m) {
  std::string line(m.begin(), m.end());
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  std::string reply = g_emulator.control(line);
  return Bytes(reply.begin(), reply.end());
}

// Serves one client: request, reply, until it goes.
void serveConnection(HANDLE pipe, Bytes (*handler)(const Bytes&)) {
  Bytes request;
  while (vcb::emulator::readMessage(pipe, request)) {
    vcb::emulator::trace("serve %.4s", reinterpret_cast<const char*>(request.data()));
    Bytes reply = handler(request);
    if (!vcb::emulator::writeMessage(pipe, reply.data(), reply.size())) break;
    if (g_emulator.quitRequested()) SetEvent(g_quit);
  }
}

// One instance, one client at a time, served on this pipe's own thread:
// requests are short, and others wait for the pipe (ERROR_PIPE_BUSY). The
// instance exists before this returns, so the program is ready then.
bool listen(const std::wstring& path, Bytes (*handler)(const Bytes&)) {
  HANDLE pipe = CreateNamedPipeW(path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                 PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 1 << 16,
                                 1 << 16, 0, nullptr);
  if (pipe == INVALID_HANDLE_VALUE) return false;
  std::thread([pipe, handler] {
    for (;;) {
      if (ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED)
        serveConnection(pipe, handler);
      DisconnectNamedPipe(pipe);
    }
  }).detach();
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  std::wstring base = argv[1];
  HANDLE parent = nullptr;
  if (argc >= 4 && std::wstring(argv[2]) == L"--parent")
    parent = OpenProcess(SYNCHRONIZE, FALSE, DWORD(_wtoi(argv[3])));

  if (!listen(vcb::emulator::pipePath(base, L".rpc"), handleRequest) ||
      !listen(vcb::emulator::pipePath(base, L".control"), handleControl))
    return 3;

  HANDLE waits[2] = {g_quit, parent};
  WaitForMultipleObjects(parent ? 2 : 1, waits, FALSE, INFINITE);
  g_link.disconnect(ClientEmulator::Dss);
  g_link.disconnect(ClientEmulator::Cfa);
  ExitProcess(0);
}
