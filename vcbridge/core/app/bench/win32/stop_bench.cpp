// vcb_stop_bench.exe: how soon the relay lets go, measured in simulated
// Remote Desktop and Citrix sessions under Wine (scripts/bench runs it with
// WINEDLLOVERRIDES holding "wtsapi32=n,b").
//
//   1. Command 134 to the end of the process: from the moment an application
//      posts the command to the moment the relay's process has ended, with
//      the relay idle and with a CFA read pending that the application made
//      wait for ever (time-out 0xFFFFFFFF).
//   2. A reopen while such a CFA read is pending: the DSS channel is cut
//      without a change of connect state (the client emulator's "cut dss");
//      the relay notices the failed read at its next session poll and
//      reopens both channels. Timed from the DSS reopen (the emulator counts
//      the opening) to the CFA reopen, and to the pending read's answer.
//
// Options: --runs N (per session kind and case, default 10)
// Every figure is one "name: value" line; exit code 0 when every run
// ended as expected, 1 otherwise, 2 without the wtsapi32 double.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "vcbridge/channels/win32/RelayClient.h"
#include "vcbridge/core/app/tests/win32/CfaApp.h"
#include "vcbridge/core/app/tests/win32/SessionRig.h"

namespace {

using vcb::RelayClient;
using vcb::testing::CfaApp;
namespace cfa = vcb::testing::cfa;

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

void print(const std::string& name, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  const double median = ms.size() % 2 ? ms[ms.size() / 2] : (ms[ms.size() / 2 - 1] + ms[ms.size() / 2]) / 2;
  std::printf("%s: n %u, median %.1f ms, min %.1f ms, max %.1f ms\n", name.c_str(), unsigned(ms.size()), median,
              ms.front(), ms.back());
  std::fflush(stdout);
}

struct Session {
  const wchar_t* station;
  const char* name;
};

// A relay in a fresh session; with longRead, a CFA read waiting for ever.
struct Run {
  vcb::rig::Emulator emulator;
  vcb::rig::Relay relay;
  CfaApp cfaApp;

  explicit Run(const Session& s, bool longRead) {
    SetEnvironmentVariableW(L"KIT_WTS_STATION", s.station);
    require(emulator.start(L"vcbstop"), "the client emulator did not start");
    require(relay.start(), "the relay's window did not appear");
    require(vcb::rig::waitFor([&] { return emulator.stat("dssopen") == 1 && emulator.stat("cfaopen") == 1; }, 10000),
            "the relay did not open its channels");
    if (!longRead) return;
    require(cfaApp.open(), "the CFA segment could not be opened");
    require(cfaApp.post([](uint8_t* seg) {
      vcb::testing::putWord(seg, cfa::kRequest, cfa::kRead);
      vcb::testing::putWord(seg, cfa::kTimeout, 0xFFFFFFFF);
    }), "the CFA request could not be left");
    require(vcb::rig::waitFor([&] { return cfaApp.mutexHeldElsewhere(); }, 10000), "the relay did not take the read");
  }
  ~Run() { emulator.stop(); }
};

double endByCommand134(const Session& s, bool longRead) {
  Run run(s, longRead);
  RelayClient app(int32_t(GetCurrentProcessId()), 1);
  require(app.open() == RelayClient::Result::ok, "the relay client could not be set up");
  // The window exists a moment before its handler is bound: ask until it answers.
  require(vcb::rig::waitFor([&] {
    bool open = false;
    return app.queryChannelOpen(500, &open) == RelayClient::Result::ok && open;
  }, 10000), "the relay did not answer");
  const double start = nowMs();
  require(app.endRelay(10000) == RelayClient::Result::ok, "the relay did not answer command 134");
  require(WaitForSingleObject(run.relay.process().handle(), 30000) == WAIT_OBJECT_0, "the relay did not end");
  return nowMs() - start;
}

void reopenBehindALongRead(const Session& s, std::vector<double>* cfaAfterDss, std::vector<double>* answerAfterDss) {
  Run run(s, true);
  require(run.emulator.command("cut dss") == "ok", "the DSS channel could not be cut");
  double dss = 0, cfaReopened = 0;
  require(vcb::rig::waitFor([&] {
    if (!dss && run.emulator.stat("dssopens") == 2) dss = nowMs();
    if (dss && run.emulator.stat("cfaopens") == 2) cfaReopened = nowMs();
    return cfaReopened != 0;
  }, 20000), "the channels were not reopened");
  require(run.cfaApp.waitForAnswer(10000), "the pending CFA read was not answered");
  const double answered = nowMs();
  cfaAfterDss->push_back(cfaReopened - dss);
  answerAfterDss->push_back(answered - dss);
}

int run(int runs) {
  if (!vcb::rig::channelDoubleInUse()) {
    std::puts("bench: the wtsapi32 double is not in use; run under WINEDLLOVERRIDES with wtsapi32=n,b");
    return 2;
  }
  const Session sessions[] = {{L"RDP-Tcp#0", "Remote Desktop"}, {L"ICA-tcp#1", "Citrix"}};
  for (const Session& s : sessions) {
    for (bool longRead : {false, true}) {
      std::vector<double> ms;
      for (int i = 0; i < runs; ++i) ms.push_back(endByCommand134(s, longRead));
      print(std::string("command 134 to the end of the process, ") + s.name +
                (longRead ? ", a CFA read waiting for ever" : ", idle"),
            ms);
    }
    std::vector<double> cfaAfterDss, answerAfterDss;
    for (int i = 0; i < runs; ++i) reopenBehindALongRead(s, &cfaAfterDss, &answerAfterDss);
    print(std::string("reopen with a CFA read waiting for ever, ") + s.name + ": CFA reopened after the DSS reopen",
          cfaAfterDss);
    print(std::string("reopen with a CFA read waiting for ever, ") + s.name + ": the read answered after the DSS reopen",
          answerAfterDss);
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int runs = 10;
  if (argc == 3 && std::wstring(argv[1]) == L"--runs") runs = std::max(1, _wtoi(argv[2]));
  else if (argc != 1) {
    std::fputs("usage: vcb_stop_bench.exe [--runs N]\n", stderr);
    return 9;
  }
  try {
    return run(runs);
  } catch (const Failed& f) {
    std::printf("bench: FAILED: %s\n", f.what.c_str());
    return 1;
  }
}
