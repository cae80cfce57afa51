// The sample dictation application as tests and the demo script run it:
// its words and exit codes for each way a conversation with the relay goes.
#include <gtest/gtest.h>
#include <windows.h>

#include <regex>

#include "vcbridge/channels/tests/win32/RelaySupport.h"

namespace vcb {
namespace {

using testing::FakeRelay;
using testing::ProgramRun;
using testing::runCaptured;

struct Case {
  const char* what;
  const wchar_t* relayArgs;  // nullptr: no relay
  const wchar_t* appArgs;
  long exitCode;
  std::vector<std::string> lines;  // each must start one line of the output
};

TEST(SampleApp, PrintsEachEventAndExitsByWhatCame) {
  const Case cases[] = {
      {"local command 0", L"", L"--request 0 --data-len 4000 --repeat 3", 0,
       {"request sent: command 0, dataLength 4000", "response received: command 0, dataLength 4000, resultCode 0, statusCode 10",
        "round trips: 3, min ", "done: 3 of 3 answers"}},
      {"forward with channel closed", L"--channel closed", L"--request 7 --data-len 10", 0,
       {"response received: command 7, dataLength 10, resultCode 9, statusCode 0"}},
      {"channel open", L"", L"--channel-state", 0, {"channel open: yes"}},
      {"channel closed", L"--channel closed", L"--channel-state", 0, {"channel open: no"}},
      {"notices", L"--notices 2 --notifications 1", L"--subscribe --expect-notices 2 --expect-notifications 1", 0,
       {"subscribed: window 0x", "session notice: disconnected", "session notice: connected",
        "notification: slot 1, command 1000, dataLength 8", "unsubscribed", "done: 2 of 2 answers, 2 notices, 1 notifications"}},
      {"fewer notices than expected", L"--notices 1", L"--subscribe --expect-notices 2 --timeout 500", 4,
       {"session notice: disconnected", "done: 2 of 2 answers, 1 notices"}},
      {"no answer", L"--silent", L"--request 0 --timeout 300", 3, {"failed: request 0: no answer in time"}},
      {"answer past the segment", L"--oversize", L"--request 0 --data-len 8", 5,
       {"response received: command 0, dataLength 50000 runs past the segment"}},
      {"no relay", nullptr, L"--request 0", 1, {"relay not running"}},
      {"request larger than a segment", L"", L"--request 5 --data-len 19957", 9, {"usage:"}},
      {"unknown option", L"", L"--frobnicate", 9, {"usage:"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeRelay relay;
    if (c.relayArgs) {
      ASSERT_TRUE(relay.start(c.relayArgs));
    }
    ProgramRun r = runCaptured(L"vcb_sample_app.exe", c.appArgs);
    EXPECT_EQ(c.exitCode, r.exitCode) << r.out;
    for (const std::string& l : c.lines) EXPECT_NE("", r.line(l)) << "missing: " << l << "\n" << r.out;
  }
}

TEST(SampleApp, DataComesBackWithTheChecksumItWasSentWith) {
  FakeRelay relay;
  ASSERT_TRUE(relay.start(L""));
  ProgramRun r = runCaptured(L"vcb_sample_app.exe", L"--keyA 1234 --keyB 5 --request 0 --data-len 4000 --pattern 9 --first-word 2");
  ASSERT_EQ(0, r.exitCode) << r.out;
  EXPECT_NE("", r.line("client ready: segment VARNETH_DSS_SMEM=00001234_5, reply window 0x")) << r.out;
  std::smatch sent, received;
  const std::string s = r.line("request sent:"), g = r.line("response received:");
  ASSERT_TRUE(std::regex_search(s, sent, std::regex("checksum (0x[0-9A-F]{8})"))) << r.out;
  ASSERT_TRUE(std::regex_search(g, received, std::regex("checksum (0x[0-9A-F]{8})"))) << r.out;
  EXPECT_EQ(sent[1], received[1]);
  EXPECT_NE(std::string::npos, g.find("statusCode 0")) << "first word 2 is forwarded: " << g;
}

TEST(SampleApp, EndRelayEndsTheRelay) {
  FakeRelay relay;
  ASSERT_TRUE(relay.start(L""));
  ProgramRun r = runCaptured(L"vcb_sample_app.exe", L"--end-relay");
  EXPECT_EQ(0, r.exitCode) << r.out;
  EXPECT_NE("", r.line("completion received: command 134")) << r.out;
  EXPECT_EQ(0, relay.process().wait(10000));
}

}  // namespace
}  // namespace vcb
