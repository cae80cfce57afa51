// vcb_relay_bench.exe: what the relay costs, measured in a simulated Remote
// Desktop session under Wine (run it through scripts/bench, which sets
// WINEDLLOVERRIDES with "wtsapi32=n,b" for the whole Wine run).
//
//   1. The relay (vcbridge_testhost.exe) started against a client emulator;
//      its memory once started.
//   2. The relay left idle: the CPU time it used (GetProcessTimes).
//   3. Round trips of 16 bytes, then of 4000 bytes, by two paths in turns:
//      - direct: "VRVCDSS" of a second emulator opened through the wtsapi32
//        double, the request written with WTSVirtualChannelWrite (cut into
//        packets as the relay cuts it), the echo read with overlapped
//        ReadFile on the channel's file handle;
//      - relay: as a dictation application, through RelayClient, the relay
//        and its channel to the first emulator.
//   4. The relay's memory after that load, and after a second one like it.
//
// Options: --requests N (16-byte round trips each way, default 2000)
//          --messages N (4000-byte messages each way, default 2000)
//          --idle S     (seconds of idling, default 30)
// Every figure is printed as one "name: value" line; exit code 0 when every
// answer came back intact, 1 otherwise, 2 without the wtsapi32 double.
#include <windows.h>
#include <psapi.h>
#include <wtsapi32.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

#include "vcbridge/channels/ChunkAssembler.h"
#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/channels/win32/RelayClient.h"
#include "vcbridge/core/app/tests/win32/SessionRig.h"

namespace {

using vcb::CBinary;
using vcb::PacketHeader;
using vcb::RelayClient;

constexpr uint32_t kCommand = 5;  // forwarded to the client side and echoed there
constexpr int kWarmUp = 100;
constexpr DWORD kAnswerTimeoutMs = 10000;

struct Options {
  int requests = 2000;
  int messages = 2000;
  int idleSeconds = 30;
};

struct Failed {
  std::string what;
};

void require(bool ok, const std::string& what) {
  if (!ok) throw Failed{what};
}

double nowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

std::vector<uint8_t> payload(uint32_t n, uint32_t seed) {
  std::vector<uint8_t> d(n);
  for (uint32_t i = 0; i < n; ++i) d[i] = uint8_t(i * 7 + seed);
  return d;
}

struct Summary {
  size_t count = 0;
  double min = 0, median = 0, p99 = 0, max = 0, mean = 0;
};

Summary summarise(std::vector<double> ms) {
  Summary s;
  if (ms.empty()) return s;
  std::sort(ms.begin(), ms.end());
  s.count = ms.size();
  s.min = ms.front();
  s.max = ms.back();
  s.median = ms.size() % 2 ? ms[ms.size() / 2] : (ms[ms.size() / 2 - 1] + ms[ms.size() / 2]) / 2;
  s.p99 = ms[size_t(std::ceil(0.99 * double(ms.size()))) - 1];
  double sum = 0;
  for (double v : ms) sum += v;
  s.mean = sum / double(ms.size());
  return s;
}

void print(const char* name, const Summary& s) {
  std::printf("%s: n %u, median %.3f ms, p99 %.3f ms, mean %.3f ms, min %.3f ms, max %.3f ms\n", name, unsigned(s.count),
              s.median, s.p99, s.mean, s.min, s.max);
  std::fflush(stdout);
}

void note(const char* format, ...) __attribute__((format(printf, 1, 2)));
void note(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// ---- straight to the emulator ---------------------------------------------

// "VRVCDSS" through the wtsapi32 double, used the way the relay's transport
// uses it: writes through the channel handle, overlapped reads of the file.
class DirectChannel {
 public:
  ~DirectChannel() {
    close();
    if (readDone_) CloseHandle(readDone_);
  }

  void close() {
    if (channel_) WTSVirtualChannelClose(channel_);
    channel_ = nullptr;
  }

  bool open() {
    char name[] = "VRVCDSS";
    channel_ = WTSVirtualChannelOpen(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, name);
    if (!channel_) return false;
    void* data = nullptr;
    DWORD length = 0;
    if (!WTSVirtualChannelQuery(channel_, WTSVirtualFileHandle, &data, &length)) return false;
    if (data && length >= sizeof(HANDLE)) file_ = *static_cast<HANDLE*>(data);
    if (data) WTSFreeMemory(data);
    readDone_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return file_ && readDone_;
  }

  // One request out (cut into packets as the relay cuts it), its echo back.
  bool roundTrip(const std::vector<uint8_t>& data, std::vector<uint8_t>* echo) {
    CBinary message(PacketHeader::kSize + uint32_t(data.size()));
    PacketHeader h;
    h.magic = PacketHeader::kMagic;
    h.command = kCommand;
    h.dataLength = uint32_t(data.size());
    h.fragmentLast = h.dataLength;
    h.replyWindow = 0x10010;
    h.segmentKeyA = GetCurrentProcessId();
    h.segmentKeyB = 1;
    h.writeTo(message);
    if (!data.empty()) std::memcpy(message.data() + PacketHeader::kSize, data.data(), data.size());
    if (!sender_.TakeMessage(message)) return false;
    for (; !sender_.currentPacket().empty(); sender_.NextPacket()) {
      const CBinary& p = sender_.currentPacket();
      ULONG written = 0;
      if (!WTSVirtualChannelWrite(channel_, reinterpret_cast<PCHAR>(const_cast<uint8_t*>(p.data())), p.size(),
                                  &written) ||
          written != p.size())
        return false;
    }
    for (;;) {
      uint32_t n = 0;
      if (!read(&n)) return false;
      boost::shared_ptr<CBinary> whole = receiver_.AddPacket(buffer_, n);
      if (!whole) continue;
      PacketHeader answer;
      answer.readFrom(*whole);
      if (answer.command != kCommand || answer.sequenceNo == 0 || answer.dataLength > whole->size() - PacketHeader::kSize) return false;
      echo->assign(whole->data() + PacketHeader::kSize, whole->data() + PacketHeader::kSize + answer.dataLength);
      return true;
    }
  }

 private:
  bool read(uint32_t* n) {
    OVERLAPPED ov{};
    ov.hEvent = readDone_;
    ResetEvent(readDone_);
    DWORD got = 0;
    if (!ReadFile(file_, buffer_.data(), buffer_.size(), nullptr, &ov)) {
      if (GetLastError() != ERROR_IO_PENDING) return false;
      if (WaitForSingleObject(readDone_, kAnswerTimeoutMs) != WAIT_OBJECT_0) {
        CancelIo(file_);
        GetOverlappedResult(file_, &ov, &got, TRUE);
        return false;
      }
    }
    if (!GetOverlappedResult(file_, &ov, &got, FALSE)) return false;
    *n = got;
    return true;
  }

  HANDLE channel_ = nullptr;
  HANDLE file_ = nullptr;
  HANDLE readDone_ = nullptr;
  CBinary buffer_{vcb::ChunkAssembler::kReceiveBufferSize};
  vcb::ChunkAssembler sender_, receiver_;
};

// ---- measuring --------------------------------------------------------------

using RoundTrip = std::function<bool(const std::vector<uint8_t>&, std::vector<uint8_t>*)>;

// Times `count` round trips of `size` bytes, each with data of its own.
void timeRoundTrips(int count, uint32_t size, const RoundTrip& roundTrip, std::vector<double>* ms) {
  static uint32_t seed = 0;
  for (int i = 0; i < count; ++i) {
    const std::vector<uint8_t> data = payload(size, ++seed);
    std::vector<uint8_t> echo;
    const double start = nowMs();
    require(roundTrip(data, &echo), "a round trip of " + std::to_string(size) + " bytes failed");
    const double took = nowMs() - start;
    require(echo == data, "a round trip of " + std::to_string(size) + " bytes came back altered");
    if (ms) ms->push_back(took);
  }
}

// A thread of its own for one path. Under Wine, waits in a thread that owns
// a window cost more, so the application's client (which has one) and the
// direct channel (which needs none) each get a thread.
class PathThread {
 public:
  PathThread() : thread_([this] { loop(); }) {}
  ~PathThread() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

  // Runs job on the thread and waits for it; a failure there is rethrown here.
  void run(std::function<void()> job) {
    std::unique_lock<std::mutex> hold(lock_);
    job_ = std::move(job);
    done_ = false;
    failure_.reset();
    wake_.notify_all();
    wake_.wait(hold, [this] { return done_; });
    if (failure_) throw *failure_;
  }

 private:
  void loop() {
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
      wake_.wait(hold, [this] { return quit_ || job_; });
      if (quit_) return;
      std::function<void()> job = std::move(job_);
      job_ = nullptr;
      hold.unlock();
      std::unique_ptr<Failed> failure;
      try {
        job();
      } catch (const Failed& f) {
        failure.reset(new Failed(f));
      }
      hold.lock();
      failure_ = std::move(failure);
      done_ = true;
      wake_.notify_all();
    }
  }

  std::mutex lock_;
  std::condition_variable wake_;
  std::function<void()> job_;
  bool done_ = false;
  bool quit_ = false;
  std::unique_ptr<Failed> failure_;
  std::thread thread_;
};

struct Path {
  PathThread& thread;
  RoundTrip roundTrip;

  void time(int count, uint32_t size, std::vector<double>* ms) {
    thread.run([&] { timeRoundTrips(count, size, roundTrip, ms); });
  }
};

struct Pair {
  std::vector<double> direct, relay;
};

// Both paths in turns of kBlock round trips, so that whatever else the
// machine does at the time weighs on both alike.
Pair interleaved(int count, uint32_t size, Path& direct, Path& relay) {
  constexpr int kBlock = 50;
  direct.time(kWarmUp, size, nullptr);
  relay.time(kWarmUp, size, nullptr);
  Pair p;
  for (int done = 0; done < count; done += kBlock) {
    const int n = std::min(kBlock, count - done);
    direct.time(n, size, &p.direct);
    relay.time(n, size, &p.relay);
  }
  return p;
}

double total(const std::vector<double>& ms) {
  double t = 0;
  for (double v : ms) t += v;
  return t;
}

// Messages per second of round trips one after another.
double rate(const char* name, const std::vector<double>& ms, uint32_t size) {
  const double perSecond = double(ms.size()) * 1000.0 / total(ms);
  note("%s: %u messages of %u bytes each way in %.0f ms: %.0f messages/s, %.2f MB/s each way", name, unsigned(ms.size()),
       size, total(ms), perSecond, perSecond * size / 1e6);
  return perSecond;
}

double cpuMs(HANDLE process) {
  FILETIME created, exited, kernel, user;
  require(GetProcessTimes(process, &created, &exited, &kernel, &user), "GetProcessTimes failed");
  auto ms = [](const FILETIME& f) { return double((uint64_t(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000.0; };
  return ms(kernel) + ms(user);
}

void memory(const char* when, HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX m{};
  m.cb = sizeof(m);
  require(GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof(m)),
          "GetProcessMemoryInfo failed");
  note("relay memory %s: working set %.0f KiB (peak %.0f KiB), pagefile usage %.0f KiB, private usage %.0f KiB", when,
       m.WorkingSetSize / 1024.0, m.PeakWorkingSetSize / 1024.0, m.PagefileUsage / 1024.0, m.PrivateUsage / 1024.0);
}

bool parse(int argc, wchar_t** argv, Options* o) {
  for (int i = 1; i + 1 < argc; i += 2) {
    std::wstring a = argv[i];
    int v = _wtoi(argv[i + 1]);
    if (v < 1 || v > 1000000) return false;
    if (a == L"--requests")
      o->requests = v;
    else if (a == L"--messages")
      o->messages = v;
    else if (a == L"--idle")
      o->idleSeconds = v;
    else
      return false;
  }
  return argc % 2 == 1;
}

int run(const Options& o) {
  if (!vcb::rig::channelDoubleInUse()) {
    note("bench: the wtsapi32 double is not in use; run under WINEDLLOVERRIDES with wtsapi32=n,b (scripts/bench does)");
    return 2;
  }
  // The relay's client side. The relay takes the emulator's name with it at
  // start; this process is pointed at a second copy of the emulator for the
  // direct path, since one emulator serves one opening of "VRVCDSS".
  vcb::rig::Emulator relaySide;
  require(relaySide.start(L"vcbbench_relay"), "the client emulator did not start");

  vcb::rig::Relay relay;
  require(relay.start(), "the relay's window did not appear");
  require(vcb::rig::waitFor([&] { return relaySide.stat("dssopen") == 1; }, 5000), "the relay did not open VRVCDSS");
  HANDLE process = relay.process().handle();
  Sleep(1000);
  memory("after start-up", process);

  // Idle: no request comes. Its session observer still asks the connect
  // state every 3 s and its read loop renews a 3-s read; the emulator's
  // share shows what those polls cost on the other side of the double.
  HANDLE emulatorProcess = relaySide.process().handle();
  const double idleBefore = cpuMs(process), emulatorBefore = cpuMs(emulatorProcess);
  note("relay idle: from now on nothing is asked of it for %d s", o.idleSeconds);
  Sleep(DWORD(o.idleSeconds) * 1000);
  const double idleCpu = cpuMs(process) - idleBefore, emulatorIdle = cpuMs(emulatorProcess) - emulatorBefore;
  note("relay idle CPU: %.1f ms over %d s (%.4f %% of one core); the emulator meanwhile: %.1f ms", idleCpu,
       o.idleSeconds, idleCpu / (o.idleSeconds * 10.0), emulatorIdle);

  vcb::rig::Emulator directSide;
  require(directSide.start(L"vcbbench_direct"), "the second client emulator did not start");
  PathThread directThread, clientThread;
  DirectChannel channel;
  directThread.run([&] { require(channel.open(), "VRVCDSS could not be opened through the double"); });
  Path direct{directThread,
              [&](const std::vector<uint8_t>& d, std::vector<uint8_t>* e) { return channel.roundTrip(d, e); }};

  // The client belongs to the thread that opens it.
  std::unique_ptr<RelayClient> client;
  clientThread.run([&] {
    client.reset(new RelayClient(int32_t(GetCurrentProcessId()), 1));
    require(client->open() == RelayClient::Result::ok, "the relay client could not be set up");
  });
  Path viaRelay{clientThread, [&](const std::vector<uint8_t>& d, std::vector<uint8_t>* e) {
                  RelayClient::Answer a;
                  if (client->request(kCommand, d, kAnswerTimeoutMs, &a) != RelayClient::Result::ok) return false;
                  // The segment still holds the request until the answer overwrites
                  // it: only the emulator's marks tell the two apart.
                  if (a.header.magic != PacketHeader::kMagic || a.header.sequenceNo == 0) return false;
                  *e = std::move(a.data);
                  return true;
                }};

  const double loadCpuBefore = cpuMs(process);
  const long answeredBefore = relaySide.stat("answered");
  Pair small = interleaved(o.requests, 16, direct, viaRelay);
  const Summary d16 = summarise(small.direct), r16 = summarise(small.relay);
  print("round trip, 16 bytes, direct", d16);
  print("round trip, 16 bytes, relay", r16);
  note("ratio relay/direct, 16 bytes: median %.2f, p99 %.2f (the relay adds %.3f ms at the median)",
       r16.median / d16.median, r16.p99 / d16.p99, r16.median - d16.median);

  Pair large = interleaved(o.messages, 4000, direct, viaRelay);
  const double directRate = rate("4000-byte messages, direct", large.direct, 4000);
  print("round trip, 4000 bytes, direct", summarise(large.direct));
  const double relayRate = rate("4000-byte messages, relay", large.relay, 4000);
  print("round trip, 4000 bytes, relay", summarise(large.relay));
  note("ratio relay/direct, 4000-byte messages per second: %.2f", relayRate / directRate);

  const long forwarded = relaySide.stat("answered") - answeredBefore;
  require(forwarded == o.requests + o.messages + 2 * kWarmUp, "the emulator did not answer every forwarded request");
  const double loadCpu = cpuMs(process) - loadCpuBefore;
  note("relay CPU under load: %.0f ms for %ld forwarded requests (%.1f us each)", loadCpu, forwarded,
       loadCpu * 1000.0 / double(forwarded));

  // Memory after the load, and after the same load again: a leak grows it.
  memory("after load 1", process);
  viaRelay.time(o.requests, 16, nullptr);
  viaRelay.time(o.messages, 4000, nullptr);
  memory("after load 2", process);

  clientThread.run([&] {
    require(client->endRelay(kAnswerTimeoutMs) == RelayClient::Result::ok, "the relay did not take command 134");
    client.reset();
  });
  require(relay.process().wait(15000) >= 0, "the relay did not end after command 134");
  directThread.run([&] { channel.close(); });
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options o;
  if (!parse(argc, argv, &o)) {
    std::fputs("usage: vcb_relay_bench.exe [--requests N] [--messages N] [--idle S]\n", stderr);
    return 9;
  }
  try {
    return run(o);
  } catch (const Failed& f) {
    note("bench: FAILED: %s", f.what.c_str());
    return 1;
  }
}
