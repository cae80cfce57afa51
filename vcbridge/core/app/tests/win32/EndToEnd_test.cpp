// The relay as a whole program in a remote session played by the client
// emulator: start-up, requests and responses, notifications, the ways it
// ends, and the administrator's check against it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/channels/tests/win32/RelaySupport.h"
#include "vcbridge/core/app/tests/win32/RelaySession.h"

namespace vcb {
namespace {

using testing::inOrder;
using testing::joined;
using testing::Lines;
using testing::ProgramRun;
using testing::RelayProcess;
using testing::runCaptured;

const Lines kStartUp = {
    "[INFO]\tVirtualChannel Initialize.",     "[INFO]\tVirtualChannel_CFA Initialize.",
    "[INFO]\tCFAEventObserver start.",        "[INFO]\tEventManager Initialize.",
    "[INFO]\tSharedMemoryManager Initialize.", "[INFO]\tVirtualChannelObserver start.",
    "[INFO]\tSessionObserver start.",         "[INFO]\tMessageWindowCreate.",
    "[INFO]\tvcbridge.exe process start.",
};
const char kEnd[] = "[INFO]\tvcbridge.exe process end.";

Lines startUpAfter(const std::string& session) {
  Lines l{session};
  l.insert(l.end(), kStartUp.begin(), kStartUp.end());
  return l;
}

PacketHeader headerOf(const std::vector<uint8_t>& packet) {
  PacketHeader h;
  h.readFrom(packet.data(), uint32_t(packet.size()));
  return h;
}

bool fileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// "checksum 0x1234ABCD" of a sample application's line, or "".
std::string checksumIn(const std::string& line) {
  size_t at = line.find("checksum 0x");
  return at == std::string::npos ? "" : line.substr(at + 9, 10);
}

// ---- start-up ---------------------------------------------------------------

using EndToEndStartUp = testing::RelaySessionTest;

TEST_F(EndToEndStartUp, RemoteDesktopLogsEveryStepInOrderAndGreetsBothChannelsOnce) {
  RelayProcess relay;
  ASSERT_TRUE(relay.startAndWaitReady()) << joined(relay.lines());
  EXPECT_EQ(startUpAfter("[INFO]\tSession:TerminalService"), relay.lines());

  EXPECT_EQ(1, emulator.stat("dssopens"));
  ASSERT_EQ(1, emulator.stat("dss")) << "one hello and nothing else";
  std::vector<uint8_t> hello = emulator.packet("dss", 0);
  ASSERT_EQ(44u, hello.size());
  EXPECT_EQ("VRVC", std::string(hello.begin(), hello.begin() + 4));
  EXPECT_EQ(132u, headerOf(hello).command);
  std::fill(hello.begin(), hello.begin() + 8, 0);
  EXPECT_EQ(std::vector<uint8_t>(44, 0), hello) << "all other fields zero";

  EXPECT_EQ(1, emulator.stat("cfaopens"));
  ASSERT_EQ(1, emulator.stat("cfa"));
  EXPECT_EQ(std::vector<uint8_t>(12, 0), emulator.packet("cfa", 0));
}

TEST_F(EndToEndStartUp, CitrixLogsTheSessionIntoItsOwnFileAndSendsNoGreeting) {
  SetEnvironmentVariableW(L"KIT_WTS_STATION", L"ICA-tcp#1");
  const std::wstring otherLog = kit::enableRelayLog(L"TerminalServiceDriver");
  RelayProcess relay(L"CitrixDriver");
  ASSERT_TRUE(relay.startAndWaitReady()) << joined(relay.lines());
  EXPECT_EQ(startUpAfter("[INFO]\tSession:Citrix"), relay.lines());
  EXPECT_NE(std::wstring::npos, relay.logFile().find(L"\\VDMS\\Log\\CitrixDriver.log"));
  EXPECT_FALSE(fileExists(otherLog)) << "nothing in the Remote Desktop log";
  EXPECT_EQ(1, emulator.stat("dssopen"));
  EXPECT_EQ(1, emulator.stat("cfaopen"));
  EXPECT_EQ(0, emulator.stat("dss")) << "the Citrix transports send no hello";
  EXPECT_EQ(0, emulator.stat("cfa"));
}

TEST_F(EndToEndStartUp, ASecondCopyInTheSameSessionLeavesAtOnceWithoutTouchingAnything) {
  RelayProcess relay;
  ASSERT_TRUE(relay.startAndWaitReady());
  const testing::Lines before = relay.lines();
  kit::Child second;
  ASSERT_TRUE(second.start(L"vcbridge_testhost.exe", L""));
  EXPECT_EQ(0, second.wait(20000));
  EXPECT_EQ(before, relay.lines()) << "not a line from the second copy";
  EXPECT_EQ(1, emulator.stat("dssopens"));
  EXPECT_EQ(1, emulator.stat("cfaopens"));
  EXPECT_TRUE(relay.running());
  EXPECT_EQ(0, runCaptured(L"vcbridge-check.exe", L"").exitCode) << "the first one still answers";
}

// ---- requests and responses -------------------------------------------------

using EndToEndRequests = testing::RelaySessionTest;

TEST_F(EndToEndRequests, LongMessagesTravelInPacketsAndComeBackWhole) {
  RelayProcess relay;
  ASSERT_TRUE(relay.startAndWaitReady()) << joined(relay.lines());
  struct Case {
    uint32_t dataLength;
    bool outOfOrder;  // the emulator sends the response's packets last first
    std::vector<std::pair<uint32_t, uint32_t>> ranges;  // fragmentFirst, fragmentLast of each packet
  } cases[] = {
      {1556, false, {{0, 1556}}},
      {1557, false, {{1, 1556}, {1557, 1557}}},
      {4000, false, {{1, 1556}, {1557, 3112}, {3113, 4000}}},
      {4000, true, {{1, 1556}, {1557, 3112}, {3113, 4000}}},
      {19956, true, {}},  // 13 packets; only the answer is checked
  };
  uint32_t pattern = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.dataLength << (c.outOfOrder ? " out of order" : " in order"));
    control("reset");
    control(c.outOfOrder ? "outoforder on" : "outoforder off");
    ProgramRun app = runCaptured(L"vcb_sample_app.exe",
                                 L"--request 5 --data-len " + std::to_wstring(c.dataLength) + L" --pattern " +
                                     std::to_wstring(++pattern) + L" --timeout 15000");
    ASSERT_EQ(0, app.exitCode) << app.out;
    const std::string sent = app.line("request sent: command 5, dataLength " + std::to_string(c.dataLength));
    const std::string back = app.line("response received: command 5, dataLength " + std::to_string(c.dataLength) +
                                      ", resultCode 0, statusCode 0");
    ASSERT_NE("", back) << app.out;
    EXPECT_EQ(checksumIn(sent), checksumIn(back)) << app.out;

    if (c.ranges.empty()) continue;
    ASSERT_EQ(long(c.ranges.size()), emulator.stat("dss"));
    uint32_t sequenceNo = 0;
    for (size_t i = 0; i < c.ranges.size(); ++i) {
      SCOPED_TRACE(i);
      std::vector<uint8_t> p = emulator.packet("dss", int(i));
      PacketHeader h = headerOf(p);
      const uint32_t first = c.ranges[i].first, last = c.ranges[i].second;
      const uint32_t carried = first ? last - first + 1 : last;
      EXPECT_EQ(44u + carried, p.size());
      EXPECT_EQ(5u, h.command);
      EXPECT_EQ(c.dataLength, h.dataLength);
      EXPECT_EQ(first, h.fragmentFirst);
      EXPECT_EQ(last, h.fragmentLast);
      EXPECT_NE(0u, h.sequenceNo);
      if (i == 0) sequenceNo = h.sequenceNo;
      EXPECT_EQ(sequenceNo, h.sequenceNo) << "all packets of one message share its number";
      const uint32_t offset = first ? first - 1 : 0;
      for (uint32_t b = 0; b < carried && b < p.size() - 44; ++b)
        ASSERT_EQ(uint8_t((offset + b) * 7 + pattern), p[44 + b]) << "data byte " << offset + b;
    }
  }
  EXPECT_TRUE(relay.running());
}

TEST_F(EndToEndRequests, SequenceNumbersCountUpFromOneAcrossMessages) {
  RelayProcess relay;
  ASSERT_TRUE(relay.startAndWaitReady());
  ProgramRun app = runCaptured(L"vcb_sample_app.exe", L"--request 9 --data-len 2000 --repeat 3 --timeout 15000");
  ASSERT_EQ(0, app.exitCode) << app.out;
  // The hello is packet 0; then three messages of two packets each.
  ASSERT_EQ(7, emulator.stat("dss"));
  const uint32_t expected[] = {1, 1, 2, 2, 3, 3};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(expected[i], headerOf(emulator.packet("dss", i + 1)).sequenceNo) << i;
}

TEST_F(EndToEndRequests, CommandsTheRelayAnswersItselfNeverReachTheClient) {
  RelayProcess relay;
  ASSERT_TRUE(relay.startAndWaitReady());
  ProgramRun local = runCaptured(L"vcb_sample_app.exe", L"--request 0 --data-len 8 --first-word 1");
  EXPECT_EQ(0, local.exitCode) << local.out;
  EXPECT_NE("", local.line("response received: command 0, dataLength 8, resultCode 0, statusCode 10")) << local.out;
  ProgramRun state = runCaptured(L"vcb_sample_app.exe", L"--channel-state");
  EXPECT_EQ(0, state.exitCode) << state.out;
  EXPECT_NE("", state.line("channel open: yes")) << state.out;
  EXPECT_EQ(1, emulator.stat("dss")) << "only the hello went out";

  ProgramRun forwarded = runCaptured(L"vcb_sample_app.exe", L"--request 0 --data-len 8 --first-word 2");
  EXPECT_EQ(0, forwarded.exitCode) << forwarded.out;
  EXPECT_NE("", forwarded.line("response received: command 0, dataLength 8, resultCode 0, statusCode 0"))
      << "command 0 with first word 2 is the client's to answer\n" << forwarded.out;
  EXPECT_EQ(2, emulator.stat("dss"));
}

TEST_F(EndToEndRequests, ARequestTheChannelRefusesComesBackWithResultCode9) {
  RelayProcess relay;
  ASSERT_TRUE(relay.startAndWaitReady());
  control("fail dss write on");
  ProgramRun app = runCaptured(L"vcb_sample_app.exe", L"--request 7 --data-len 3000");
  EXPECT_EQ(0, app.exitCode) << app.out;
  const std::string back = app.line("response received: command 7, dataLength 3000, resultCode 9");
  EXPECT_NE("", back) << app.out;
  EXPECT_EQ(checksumIn(app.line("request sent:")), checksumIn(back)) << "its own request, unchanged";
  EXPECT_TRUE(relay.waitForLog("[ERROR]\tFAILURE:VirtualChannel::Write()", 5000)) << joined(relay.lines());
}

// ---- notifications ----------------------------------------------------------

using EndToEndNotifications = testing::RelaySessionTest;

TEST_F(EndToEndNotifications, EachLandsInTheNextSlotOfTheRingAndIsAnnounced) {
  RelayProcess relay;
  ASSERT_TRUE(relay.startAndWaitReady());
  RelayClient app(testing::nextSegmentKey(), 1);
  ASSERT_EQ(RelayClient::Result::ok, app.open());
  const uint32_t window = uint32_t(reinterpret_cast<uintptr_t>(app.replyWindow()));
  const uint32_t commands[] = {1000, 1001, 1002};
  for (uint32_t command : commands)
    control("notify " + std::to_string(command) + " " + std::to_string(window) + " 8");
  ASSERT_TRUE(app.waitForEvents(3, 10000)) << app.events().size() << " notifications";
  for (uint32_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const RelayClient::Event& e = app.events()[i];
    EXPECT_EQ(RelayClient::Event::notification, e.kind);
    EXPECT_EQ(i + 1, e.slot) << "the first notification after start goes to slot 1";
    ASSERT_TRUE(e.readable);
    EXPECT_EQ(commands[i], e.header.command);
    EXPECT_EQ(window, e.header.replyWindow);
    EXPECT_EQ((std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6, 7}), e.data);
  }
  // Too long for a 96-byte slot: refused, and nothing announced.
  control("notify 1000 " + std::to_string(window) + " 53");
  EXPECT_TRUE(relay.waitForLog("[ERROR]\tEXCEPTION:ResponceData::Write() ERROR CODE:0x00000001", 10000))
      << joined(relay.lines());
  control("notify 1000 " + std::to_string(window) + " 52");
  ASSERT_TRUE(app.waitForEvents(4, 10000));
  EXPECT_EQ(4u, app.events()[3].slot) << "the refused one took no slot";
  EXPECT_EQ(52u, app.events()[3].data.size());
}

// ---- the end ----------------------------------------------------------------

using EndToEndShutdown = testing::RelaySessionTest;

TEST_F(EndToEndShutdown, Command134EndsTheRelay) {
  RelayProcess relay;
  ASSERT_TRUE(relay.startAndWaitReady());
  ProgramRun app = runCaptured(L"vcb_sample_app.exe", L"--end-relay");
  EXPECT_EQ(0, app.exitCode) << app.out;
  EXPECT_NE("", app.line("completion received: command 134")) << app.out;
  EXPECT_TRUE(relay.waitForLog(kEnd, 6000)) << "the read loop notices within one 3-second read\n"
                                            << joined(relay.lines());
  EXPECT_EQ(0, relay.waitForExit(15000));
  EXPECT_EQ(kEnd, relay.lines().back());
  EXPECT_EQ(1, emulator.stat("dsscloses"));
  EXPECT_EQ(1, emulator.stat("cfacloses"));
}

TEST_F(EndToEndShutdown, TheLastSubscriberLeavingEndsTheRelayUnlessAWindowIsOpen) {
  RelayProcess relay;
  ASSERT_TRUE(relay.startAndWaitReady());
  RelayClient first(testing::nextSegmentKey(), 1), second(testing::nextSegmentKey(), 2);
  ASSERT_EQ(RelayClient::Result::ok, first.open());
  ASSERT_EQ(RelayClient::Result::ok, second.open());
  ASSERT_EQ(RelayClient::Result::ok, first.subscribe(5000));
  ASSERT_EQ(RelayClient::Result::ok, second.subscribe(5000));

  // Command 1 keeps its window in the open set until a response of type 2.
  RelayClient::Answer a;
  ASSERT_EQ(RelayClient::Result::ok, second.request(1, {1, 2, 3}, 10000, &a));
  ASSERT_EQ(RelayClient::Result::ok, first.unsubscribe(5000));
  ASSERT_EQ(RelayClient::Result::ok, second.unsubscribe(5000));
  EXPECT_EQ(-1, relay.waitForExit(4000)) << "a window is still open";

  ASSERT_EQ(RelayClient::Result::ok, second.request(2, {}, 10000, &a));
  EXPECT_TRUE(relay.waitForLog(kEnd, 6000)) << joined(relay.lines());
  EXPECT_EQ(0, relay.waitForExit(15000));
}

TEST_F(EndToEndShutdown, UnsubscribingTheOnlyWindowEndsTheRelay) {
  RelayProcess relay;
  ASSERT_TRUE(relay.startAndWaitReady());
  ProgramRun app = runCaptured(L"vcb_sample_app.exe", L"--subscribe");
  EXPECT_EQ(0, app.exitCode) << app.out;
  EXPECT_NE("", app.line("unsubscribed")) << app.out;
  EXPECT_TRUE(relay.waitForLog(kEnd, 6000)) << joined(relay.lines());
  EXPECT_EQ(0, relay.waitForExit(15000));
}

// ---- the administrator's check ---------------------------------------------

using EndToEndCheck = testing::RelaySessionTest;

TEST_F(EndToEndCheck, FindsTheRelayWithItsChannelOpen) {
  RelayProcess relay;
  ASSERT_TRUE(relay.startAndWaitReady());
  ProgramRun check = runCaptured(L"vcbridge-check.exe", L"");
  EXPECT_EQ(0, check.exitCode) << check.out;
  EXPECT_NE("", check.line("relay: running (process ")) << check.out;
  EXPECT_NE("", check.line("DSS channel: open")) << check.out;
  EXPECT_NE("", check.line("round trip: ")) << check.out;
  EXPECT_NE("", check.line("logging for TerminalServiceDriver (Remote Desktop sessions): on")) << check.out;
  EXPECT_EQ(1, emulator.stat("dss")) << "the check's questions stay in the relay";
  EXPECT_TRUE(relay.running());
}

TEST_F(EndToEndCheck, WithoutARelaySaysSoAndExits2) {
  ProgramRun check = runCaptured(L"vcbridge-check.exe", L"");
  EXPECT_EQ(2, check.exitCode) << check.out;
  EXPECT_NE("", check.line("relay: not running")) << check.out;
}

}  // namespace
}  // namespace vcb
