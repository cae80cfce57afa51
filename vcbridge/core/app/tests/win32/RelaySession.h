#pragma once
// The relay as a program in a remote session played by the client emulator:
// vcbridge_testhost.exe (the relay's own composition, with the session made
// to count as remote) started after vcb_client_emulator.exe, so the channel
// doubles it loads reach that emulator. Its log is read back from the file.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "testsupport/win32/WinTest.h"
#include "vcbridge/channels/tests/win32/ClientEmulatorProcess.h"
#include "vcbridge/channels/win32/RelayClient.h"
#include "vcbridge/core/app/tests/win32/RelayLog.h"

namespace vcb::testing {

// The wtsapi32.dll double is in use only under WINEDLLOVERRIDES=wtsapi32=n,b;
// where it is expected (KIT_WTS_DOUBLE=1) its absence is a failure, elsewhere a skip.
inline bool wtsDoubleMissing() {
  HMODULE m = LoadLibraryW(L"wtsapi32.dll");
  bool found = m && GetProcAddress(m, "KitChannelDouble");
  if (found) return false;
  wchar_t v[4] = {};
  EXPECT_EQ(0u, GetEnvironmentVariableW(L"KIT_WTS_DOUBLE", v, 4))
      << "the wtsapi32.dll double was expected but Wine loaded its own";
  return true;
}

// Lines of the relay's log ("[LEVEL]\tmessage").
using Lines = std::vector<std::string>;

inline bool contains(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

inline size_t countOf(const Lines& lines, const std::string& line) {
  return size_t(std::count(lines.begin(), lines.end(), line));
}

// Whether `wanted` appear in `lines` in this order (other lines may come between).
inline bool inOrder(const Lines& lines, const Lines& wanted) {
  auto at = lines.begin();
  for (const std::string& w : wanted) {
    at = std::find(at, lines.end(), w);
    if (at == lines.end()) return false;
    ++at;
  }
  return true;
}

inline std::string joined(const Lines& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\n";
  return s;
}

// vcbridge_testhost.exe for one test; killed when the test ends, whatever happened.
class RelayProcess {
 public:
  // component: the log file the relay writes, "TerminalServiceDriver" or "CitrixDriver".
  explicit RelayProcess(const std::wstring& component = L"TerminalServiceDriver")
      : log_(kit::enableRelayLog(component)) {}
  ~RelayProcess() { process_.kill(); }

  bool start() { return process_.start(L"vcbridge_testhost.exe", L""); }

  // Started and through its start-up: the main thread waits for the read loop.
  bool startAndWaitReady() {
    return start() && waitForLog("[INFO]\tvcbridge.exe process start.", 20000) &&
           kit::waitFor([] { return RelayClient::findRelay() != nullptr; }, 5000);
  }

  Lines lines() const { return kit::relayLines(log_); }
  bool waitForLog(const std::string& line, DWORD timeoutMs) {
    return kit::waitFor([&] { return contains(lines(), line) || !process_.running(); }, timeoutMs) &&
           contains(lines(), line);
  }
  bool waitForLogCount(const std::string& line, size_t count, DWORD timeoutMs) {
    return kit::waitFor([&] { return countOf(lines(), line) >= count; }, timeoutMs);
  }

  // The exit code, or -1 while it still runs after timeoutMs.
  long waitForExit(DWORD timeoutMs) { return process_.wait(timeoutMs); }
  bool running() { return process_.running(); }
  void kill() { process_.kill(); }
  const std::wstring& logFile() const { return log_; }

 private:
  std::wstring log_;
  kit::Child process_;
};

// A test with the emulator running and no relay window left from an earlier test.
class RelaySessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (wtsDoubleMissing()) GTEST_SKIP() << "needs WINEDLLOVERRIDES=wtsapi32=n,b";
    ASSERT_TRUE(kit::waitFor([] { return !RelayClient::findRelay(); }, 10000)) << "a relay is still running";
    ASSERT_TRUE(emulator.start());
  }

  void TearDown() override {
    emulator.stop();
    SetEnvironmentVariableW(L"KIT_WTS_STATION", nullptr);
  }

  // One emulator command that must succeed.
  void control(const std::string& line) { ASSERT_EQ("ok", emulator.command(line)) << line; }

  ClientEmulatorProcess emulator;
};

// A RelayClient with keys no other test uses.
inline int32_t nextSegmentKey() {
  static int32_t k = 7100;
  return ++k;
}

}  // namespace vcb::testing
