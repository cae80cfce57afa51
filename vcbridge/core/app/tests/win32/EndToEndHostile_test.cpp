// The relay against applications and a client that misbehave: windows that
// name the relay itself, reads made to wait for ever, connections that break
// for a moment, fragments that do not belong together. Whatever they do, the
// relay neither loops nor hangs nor misroutes, and it stops at once.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/channels/SegmentMessage.h"
#include "vcbridge/channels/tests/emulator/EmulatorWire.h"
#include "vcbridge/core/app/tests/win32/CfaApp.h"
#include "vcbridge/core/app/tests/win32/RelaySession.h"
#include "vcbridge/ipc/SharedMemory.h"

namespace vcb {
namespace {

using testing::CfaApp;
using testing::contains;
using testing::countOf;
using testing::joined;
using testing::RelayProcess;
using testing::putWord;
using Result = RelayClient::Result;
namespace cfa = testing::cfa;

uint32_t idOf(HWND w) { return uint32_t(reinterpret_cast<uintptr_t>(w)); }

std::string hex32(uint32_t v) {
  char s[16];
  std::snprintf(s, sizeof s, "0x%08X", v);
  return s;
}

// The segment of a client, as another program of the session sees it.
class Segment {
 public:
  explicit Segment(const RelayClient& c)
      : mapping_(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, c.segmentName().c_str())),
        view_(mapping_ ? static_cast<uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0)) : nullptr) {}
  ~Segment() {
    if (view_) UnmapViewOfFile(view_);
    if (mapping_) CloseHandle(mapping_);
  }
  uint8_t* view() { return view_; }
  PacketHeader header() {
    PacketHeader h;
    h.readFrom(view_, kSegmentSize);
    return h;
  }

 private:
  HANDLE mapping_;
  uint8_t* view_;
};

// Leaves a request routed to `window` in the client's segment and posts it
// to the relay, as an application that names some other window would.
bool postNaming(RelayClient& c, uint32_t command, uint32_t window, const std::vector<uint8_t>& data) {
  Segment s(c);
  if (!s.view()) return false;
  PacketHeader h;
  h.command = command;
  h.dataLength = uint32_t(data.size());
  h.fragmentLast = h.dataLength;
  h.replyWindow = window;
  h.segmentKeyA = uint32_t(c.keyA());
  h.segmentKeyB = uint32_t(c.keyB());
  std::memset(s.view(), 0, kSegmentSize);
  writeSegmentMessage(s.view(), kSegmentSize, h, data.data(), h.dataLength);
  return PostMessageW(RelayClient::findRelay(), c.commandMessage(), WPARAM(uint32_t(c.keyA())), LPARAM(c.keyB()));
}

// One packet from the client: header routed to c, the range [first, last]
// of a message of dataLength bytes, each data byte `fill`.
std::string rawFragment(const RelayClient& c, uint32_t seq, uint32_t dataLength, uint32_t first, uint32_t last,
                        uint8_t fill) {
  PacketHeader h;
  h.magic = PacketHeader::kMagic;
  h.command = 7;
  h.dataLength = dataLength;
  h.fragmentFirst = first;
  h.fragmentLast = last;
  h.sequenceNo = seq;
  h.replyWindow = idOf(c.replyWindow());
  h.segmentKeyA = uint32_t(c.keyA());
  h.segmentKeyB = uint32_t(c.keyB());
  std::vector<uint8_t> p(PacketHeader::kSize + last - first + 1, fill);
  h.writeTo(p.data(), uint32_t(p.size()));
  return "raw dss " + emulator::toHex(p);
}

size_t completions(RelayClient& c) {
  c.waitForEvents(0, 0);
  size_t n = 0;
  for (const RelayClient::Event& e : c.events()) n += e.kind == RelayClient::Event::completion;
  return n;
}

// ---- the relay's own window -------------------------------------------------

using EndToEndOwnWindow = testing::RelaySessionTest;

// Before, the completion posted to the relay's own window came back as a new
// request: command 0 answered itself for ever, command 5 went to the client
// and its answer came back the same way. keyA 0 is what such a completion
// names, so this application's segment is the one the relay would re-read.
TEST_F(EndToEndOwnWindow, RequestsNamingTheRelaysWindowAreRefusedAndNothingLoops) {
  RelayProcess relay;
  ASSERT_TRUE(relay.startAndWaitReady());
  RelayClient app(0, testing::nextSegmentKey());
  ASSERT_EQ(Result::ok, app.open());
  const uint32_t own = idOf(RelayClient::findRelay());
  struct Case {
    uint32_t command;
    std::vector<uint8_t> data;
    uint32_t window;
  } cases[] = {
      {0, {7, 0, 0, 0}, own},
      {5, {1, 2, 3}, own},
      {134, {}, own},
      {5, {4}, own & 0xFFFF},  // the window manager takes the low word for the same window
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    const std::string line = "[ERROR]\tREQUEST REFUSED: replyWindow " + hex32(c.window) + " is the relay's own window";
    const size_t before = countOf(relay.lines(), line);
    ASSERT_TRUE(postNaming(app, c.command, c.window, c.data));
    ASSERT_TRUE(relay.waitForLogCount(line, before + 1, 10000)) << joined(relay.lines());
    Segment s(app);
    EXPECT_EQ(0u, s.header().statusCode) << "not answered";
    EXPECT_EQ(c.command, s.header().command);
  }
  EXPECT_EQ(1, emulator.stat("dss")) << "only the hello went to the client";
  EXPECT_TRUE(relay.running()) << "134 from the relay's own window ends nothing";

  RelayClient::Answer a;
  ASSERT_EQ(Result::ok, app.request(5, {9, 9}, 10000, &a)) << "the relay still serves";
  EXPECT_EQ((std::vector<uint8_t>{9, 9}), a.data);
  EXPECT_EQ(2, emulator.stat("dss"));
}

TEST_F(EndToEndOwnWindow, AnswersAndSubscriptionsNamingTheRelaysWindowAreRefused) {
  RelayProcess relay;
  ASSERT_TRUE(relay.startAndWaitReady());
  RelayClient app(0, testing::nextSegmentKey()), watcher(testing::nextSegmentKey(), 1);
  ASSERT_EQ(Result::ok, app.open());
  ASSERT_EQ(Result::ok, watcher.open());
  ASSERT_EQ(Result::ok, watcher.subscribe(5000));
  const uint32_t own = idOf(RelayClient::findRelay());

  // The client echoes the relay's window: an answer and a notification.
  control("send 5 " + std::to_string(own) + " 0 " + std::to_string(app.keyB()) + " 8");
  control("notify 1000 " + std::to_string(own) + " 4");
  EXPECT_TRUE(relay.waitForLog("[ERROR]\tMESSAGE REFUSED: command 5 for window " + hex32(own) +
                                   ", the relay's own window", 10000)) << joined(relay.lines());
  EXPECT_TRUE(relay.waitForLog("[ERROR]\tMESSAGE REFUSED: command 1000 for window " + hex32(own) +
                                   ", the relay's own window", 10000)) << joined(relay.lines());
  EXPECT_EQ(1, emulator.stat("dss")) << "nothing came back to the client";

  // Session notices for the relay's window would be read as requests for segment 0_0.
  PacketHeader h;
  h.command = 130;
  std::vector<uint8_t> data(8);
  putWord(data.data(), 0, own);
  putWord(data.data(), 4, app.commandMessage());
  ASSERT_EQ(Result::ok, app.request(h, data.data(), 8, 5000, nullptr, false)) << "the one who asked is answered";
  EXPECT_TRUE(relay.waitForLog("[ERROR]\tSUBSCRIPTION REFUSED: window " + hex32(own) + " is the relay's own window",
                               5000));
  control("drop");
  ASSERT_TRUE(watcher.waitForEvents(1, 10000));
  control("restore");
  ASSERT_TRUE(watcher.waitForEvents(2, 10000));
  EXPECT_FALSE(contains(relay.lines(), "[ERROR]\tEXCEPTION:RequestData::Read()")) << joined(relay.lines());
  EXPECT_TRUE(relay.running());
}

// ---- stopping and reopening while an application waits -----------------------

// Remote Desktop and Citrix sessions: their transports end a read differently.
class EndToEndNoWait : public testing::RelaySessionTest, public ::testing::WithParamInterface<const wchar_t*> {
 protected:
  void SetUp() override {
    RelaySessionTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    citrix = GetParam()[0] == L'I';
    SetEnvironmentVariableW(L"KIT_WTS_STATION", GetParam());
    relay.reset(new RelayProcess(citrix ? L"CitrixDriver" : L"TerminalServiceDriver"));
    ASSERT_TRUE(relay->startAndWaitReady()) << joined(relay->lines());
    ASSERT_TRUE(cfaApp.open());
  }
  void TearDown() override {
    relay.reset();
    RelaySessionTest::TearDown();
  }
  // A CFA read that waits as long as the application asked: for ever.
  void readForEver() {
    control("cfaecho off");
    ASSERT_TRUE(cfaApp.post([](uint8_t* s) {
      putWord(s, cfa::kRequest, cfa::kRead);
      putWord(s, cfa::kTimeout, 0xFFFFFFFF);
    }));
    ASSERT_TRUE(kit::waitFor([&] { return cfaApp.mutexHeldElsewhere(); }, 10000)) << "the relay took the request";
  }

  bool citrix = false;
  std::unique_ptr<RelayProcess> relay;
  CfaApp cfaApp;
};

INSTANTIATE_TEST_SUITE_P(Sessions, EndToEndNoWait, ::testing::Values(L"RDP-Tcp#0", L"ICA-tcp#1"));

TEST_P(EndToEndNoWait, Command134EndsTheRelayWhileACfaReadWaitsForEver) {
  readForEver();
  RelayClient app(testing::nextSegmentKey(), 1);
  ASSERT_EQ(Result::ok, app.open());
  ASSERT_EQ(Result::ok, app.endRelay(10000));
  EXPECT_EQ(0, relay->waitForExit(15000)) << "the relay waited for the read\n" << joined(relay->lines());
  ASSERT_TRUE(cfaApp.waitForAnswer(0)) << "the read was answered before the end";
  EXPECT_EQ(0u, cfaApp.word(cfa::kResult));
  EXPECT_EQ("[INFO]\tvcbridge.exe process end.", relay->lines().back());
}

// A connection that breaks too briefly for the connect state to show it:
// the failed read makes the relay reopen both channels, and the CFA channel
// does not wait for the read an application made long.
TEST_P(EndToEndNoWait, ABriefBreakReopensBothChannelsWithoutWaitingForACfaRead) {
  readForEver();
  control("cut dss");
  EXPECT_TRUE(kit::waitFor([&] { return emulator.stat("dssopens") == 2 && emulator.stat("cfaopens") == 2; }, 15000))
      << "dss opens " << emulator.stat("dssopens") << ", cfa opens " << emulator.stat("cfaopens") << "\n"
      << joined(relay->lines());
  EXPECT_TRUE(contains(relay->lines(), "[WARN]\tChannel read failed while connected: channels reopened"))
      << joined(relay->lines());
  ASSERT_TRUE(cfaApp.waitForAnswer(5000));
  EXPECT_EQ(0u, cfaApp.word(cfa::kResult)) << "the read ended with the old connection";

  // Both channels carry traffic again.
  RelayClient app(testing::nextSegmentKey(), 1);
  ASSERT_EQ(Result::ok, app.open());
  RelayClient::Answer a;
  ASSERT_EQ(Result::ok, app.request(5, {1, 2, 3}, 10000, &a));
  EXPECT_EQ(0u, a.header.resultCode);
  const long cfaPackets = emulator.stat("cfa");
  ASSERT_TRUE(cfaApp.call([](uint8_t* s) {
    putWord(s, cfa::kRequest, cfa::kWrite);
    putWord(s, cfa::kLength, 3);
    s[cfa::kData] = 'a';
  }));
  EXPECT_EQ(1u, cfaApp.word(cfa::kResult));
  EXPECT_EQ(cfaPackets + 1, emulator.stat("cfa"));
}

// A drop and a restore in quick succession: whether or not the poll saw the
// drop, requests are carried again afterwards.
TEST_P(EndToEndNoWait, ASessionDropShorterThanAPollIsNoticed) {
  RelayClient app(testing::nextSegmentKey(), 1);
  ASSERT_EQ(Result::ok, app.open());
  control("drop");
  control("restore");
  EXPECT_TRUE(kit::waitFor([&] { return emulator.stat("dssopens") == 2; }, 15000)) << joined(relay->lines());
  RelayClient::Answer a;
  ASSERT_EQ(Result::ok, app.request(5, {4, 5}, 10000, &a));
  EXPECT_EQ(0u, a.header.resultCode) << joined(relay->lines());
  EXPECT_EQ((std::vector<uint8_t>{4, 5}), a.data);
}

// ---- fragments that do not belong together ------------------------------------

using EndToEndFragments = testing::RelaySessionTest;

TEST_F(EndToEndFragments, NoFragmentCompletesAMessageOfAnotherConnectionOrApplication) {
  RelayProcess relay;
  ASSERT_TRUE(relay.startAndWaitReady());
  const int32_t keyA = testing::nextSegmentKey();
  RelayClient first(keyA, 1), second(keyA, 2);
  ASSERT_EQ(Result::ok, first.open());
  ASSERT_EQ(Result::ok, second.open());
  // After each step a notification to `first`, sent behind it, tells that the step was taken.
  size_t marks = 0;
  auto mark = [&] {
    control("notify 1000 " + std::to_string(idOf(first.replyWindow())) + " 4");
    ++marks;
    ASSERT_TRUE(kit::waitFor([&] {
      first.waitForEvents(0, 0);
      size_t n = 0;
      for (const RelayClient::Event& e : first.events()) n += e.kind == RelayClient::Event::notification;
      return n >= marks;
    }, 10000));
  };

  // Half a message, then the connection breaks and is opened again.
  control(rawFragment(first, 77, 3000, 1, 1556, 0xA1));
  mark();
  control("cut dss");
  ASSERT_TRUE(kit::waitFor([&] { return emulator.stat("dssopens") == 2; }, 15000)) << joined(relay.lines());
  control(rawFragment(first, 77, 3000, 1557, 3000, 0xA1));
  mark();
  EXPECT_EQ(0u, completions(first)) << "the old half must not complete the new one";
  EXPECT_TRUE(contains(relay.lines(), "[WARN]\tpartial message dropped: sequenceNo 77, 1556 of 3000 data bytes "
                                      "received, the connection it came on has ended"))
      << joined(relay.lines());

  // Without a break: the second half names another application.
  control(rawFragment(first, 78, 3000, 1, 1556, 0xA1));
  control(rawFragment(second, 78, 3000, 1557, 3000, 0xB2));
  mark();
  EXPECT_EQ(0u, completions(first));
  EXPECT_EQ(0u, completions(second));
  const std::string refused = "[WARN]\tfragment refused: sequenceNo 78, [1557, 3000] for command 7, window " +
                              hex32(idOf(second.replyWindow())) + ", segment " + std::to_string(keyA) +
                              "_2; the message is for command 7, window " + hex32(idOf(first.replyWindow())) +
                              ", segment " + std::to_string(keyA) + "_1";
  EXPECT_TRUE(contains(relay.lines(), refused)) << joined(relay.lines());

  // Its own second half completes it, with its own bytes only.
  control(rawFragment(first, 78, 3000, 1557, 3000, 0xA1));
  ASSERT_TRUE(kit::waitFor([&] { return completions(first) == 1; }, 10000));
  for (const RelayClient::Event& e : first.events()) {
    if (e.kind != RelayClient::Event::completion) continue;
    EXPECT_EQ(3000u, e.header.dataLength);
    EXPECT_EQ(std::vector<uint8_t>(3000, 0xA1), e.data);
  }
  EXPECT_EQ(0u, completions(second));
}

}  // namespace
}  // namespace vcb
