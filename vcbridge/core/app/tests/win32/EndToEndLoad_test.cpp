// The relay program under load: four sample applications send their
// requests at once, each with its own data, while the session drops and
// comes back twice. Every request must be answered in its own segment with
// its own data (resultCode 9 while the channel is down); none may be lost.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "vcbridge/channels/tests/win32/RelaySupport.h"
#include "vcbridge/core/app/tests/win32/RelaySession.h"

namespace vcb {
namespace {

using testing::CapturedRun;
using testing::joined;
using testing::ProgramRun;
using testing::RelayProcess;
using Result = RelayClient::Result;

constexpr int kRequestsPerApp = 2500;
constexpr DWORD kHardLimitMs = 4 * 60 * 1000;

struct AppPlan {
  uint32_t dataLength;
  uint32_t pattern;  // each application's data differs
};
const AppPlan kApps[] = {{16, 11}, {300, 22}, {4000, 33}, {16, 44}};

// What one application's output says about its requests.
struct Tally {
  int answered = 0, failedSends = 0, mismatched = 0, otherResult = 0;
};

std::string field(const std::string& line, const std::string& name) {
  size_t at = line.find(name + " ");
  if (at == std::string::npos) return "";
  size_t from = at + name.size() + 1, to = line.find(',', from);
  return line.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

Tally tally(const ProgramRun& run, const std::string& expectedChecksum) {
  Tally t;
  for (const std::string& l : run.lines()) {
    if (l.rfind("response received:", 0) != 0) continue;
    if (field(l, "checksum") != expectedChecksum) ++t.mismatched;
    const std::string result = field(l, "resultCode");
    if (result == "0") ++t.answered;
    else if (result == "9") ++t.failedSends;
    else ++t.otherResult;
  }
  return t;
}

// Disconnected notices the window has had so far.
size_t disconnections(RelayClient& c) {
  c.waitForEvents(SIZE_MAX, 0);
  size_t n = 0;
  for (const RelayClient::Event& e : c.events()) n += e.kind == RelayClient::Event::sessionNotice && !e.connected;
  return n;
}

template <size_t N>
bool anyRunning(CapturedRun (&runs)[N]) {
  for (CapturedRun& r : runs)
    if (r.running()) return true;
  return false;
}

using EndToEndLoad = testing::RelaySessionTest;

TEST_F(EndToEndLoad, FourApplicationsThroughTwoDisconnections) {
  const DWORD start = GetTickCount();
  auto remaining = [&] {
    DWORD spent = GetTickCount() - start;
    return spent >= kHardLimitMs ? DWORD(0) : kHardLimitMs - spent;
  };
  RelayProcess relay;
  ASSERT_TRUE(relay.startAndWaitReady());
  // Hears the session observer's notices: when the relay has seen a drop.
  RelayClient watcher(testing::nextSegmentKey(), 99);
  ASSERT_EQ(Result::ok, watcher.open());
  ASSERT_EQ(Result::ok, watcher.subscribe(5000));

  const int apps = int(std::size(kApps));
  CapturedRun runs[std::size(kApps)];
  for (int a = 0; a < apps; ++a) {
    std::wstring args = L"--keyA " + std::to_wstring(testing::nextSegmentKey()) + L" --keyB " +
                        std::to_wstring(a + 1) + L" --request 5 --data-len " + std::to_wstring(kApps[a].dataLength) +
                        L" --pattern " + std::to_wstring(kApps[a].pattern) + L" --repeat " +
                        std::to_wstring(kRequestsPerApp) + L" --timeout 20000 --retry-pause 50";
    ASSERT_TRUE(runs[a].start(L"vcb_sample_app.exe", args));
  }

  // Two disconnections, at a quarter and at three fifths of the traffic; each
  // lasts until the relay has seen it, and the next starts after the reopen.
  const long total = long(apps) * kRequestsPerApp;
  long opens = emulator.stat("dssopens");
  for (long mark : {total / 4, total * 3 / 5}) {
    // The applications' outputs below say why, should this not come.
    if (!kit::waitFor([&] { return emulator.stat("answered") >= mark || !anyRunning(runs); }, remaining())) break;
    if (emulator.stat("answered") < mark) {
      ADD_FAILURE() << "the applications ended before " << mark << " answers: " << emulator.command("stats");
      break;
    }
    // Restored before the session observer's next turn, the drop would go unseen.
    const size_t heard = disconnections(watcher);
    control("drop");
    EXPECT_TRUE(kit::waitFor([&] { return disconnections(watcher) > heard; }, 10000)) << "the relay saw the drop";
    control("restore");
    EXPECT_TRUE(kit::waitFor([&] { return emulator.stat("dssopens") > opens; }, 10000)) << "reopened";
    opens = emulator.stat("dssopens");
    std::printf("disconnection at %ld answers: %lu ms into the run\n", mark, GetTickCount() - start);
  }

  int answered = 0, failedSends = 0;
  for (int a = 0; a < apps; ++a) {
    SCOPED_TRACE(::testing::Message() << "application " << a);
    ProgramRun run = runs[a].finish(remaining());
    ASSERT_EQ(0, run.exitCode) << "every answer came (-1: still running at the time limit)\n"
                               << run.out.substr(run.out.size() > 3000 ? run.out.size() - 3000 : 0);
    const std::string checksum = field(run.line("request sent:"), "checksum");
    Tally t = tally(run, checksum);
    EXPECT_EQ(0, t.mismatched) << "an answer carried another application's data or a garbled one";
    EXPECT_EQ(0, t.otherResult);
    EXPECT_EQ(kRequestsPerApp, t.answered + t.failedSends);
    answered += t.answered;
    failedSends += t.failedSends;
  }
  std::printf("%d answered, %d with resultCode 9, %lu ms\n", answered, failedSends, GetTickCount() - start);
  EXPECT_GT(failedSends, 0) << "requests while the channel was down come back with resultCode 9";
  EXPECT_GT(answered, int(total / 2));
  EXPECT_TRUE(relay.running()) << joined(relay.lines());
}

}  // namespace
}  // namespace vcb
