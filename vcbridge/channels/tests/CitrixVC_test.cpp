#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <string>
#include <vector>

#include "vcbridge/channels/CitrixVC.h"
#include "vcbridge/channels/tests/fakes/FakeWfApi.h"
#include "vcbridge/channels/tests/fakes/LogTap.h"
#include "vcbridge/core/tests/fakes/FakeKernel.h"

namespace vcb {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::FakeWfApi;
using testing::LogTap;
using testing::ScopedFakeKernel;

const std::string kDss = "VCB\tCitrixVC";
const std::string kCfa = "VCB\tCitrixVC_CFA";

std::string error(const void* self, const std::string& cls, const std::string& method,
                  const std::string& text) {
  return "ERROR " + LogTap::relayLine(self, cls, method, text);
}

CBinary bytes(const std::string& s) { return CBinary(s.data(), uint32_t(s.size())); }

class CitrixTransport : public ::testing::Test {
 protected:
  ScopedFakeKernel k;
  FakeWfApi wf;
  LogTap log;
};

TEST_F(CitrixTransport, WithoutTheLibraryEveryOperationFailsAsNotOpen) {
  wf.loadFails = true;
  wf.loadError = 126;
  CitrixVC dss(wf.loader());
  CitrixVC_CFA cfa(wf.loader());
  EXPECT_THAT(log.lines(), ElementsAre(error(&dss, kDss, "CitrixVC", "WfApi dll load fail Error Code:0x7e"),
                                       error(&cfa, kCfa, "CitrixVC_CFA", "WfApi dll load fail Error Code:0x7e")));
  log.clear();

  CBinary buffer(16);
  uint32_t got = 99;
  EXPECT_FALSE(dss.Open());
  EXPECT_FALSE(dss.Read(buffer, got, 0));
  EXPECT_EQ(0u, got);
  EXPECT_FALSE(dss.Write(bytes("x")));
  EXPECT_FALSE(dss.IsOpen());
  EXPECT_EQ(4, dss.GetConnectState()) << "a session without WFAPI counts as disconnected";
  dss.Close();

  EXPECT_FALSE(cfa.Open());
  EXPECT_FALSE(cfa.Read(buffer, got, 0));
  EXPECT_FALSE(cfa.Write(bytes("x")));
  EXPECT_FALSE(cfa.IsOpen());
  cfa.Refresh();
  cfa.Close();

  EXPECT_THAT(log.lines(),
              ElementsAre(error(&dss, kDss, "Open", "VirtualChannel is not open"),
                          error(&dss, kDss, "Read", "VirtualChannel is not open"),
                          error(&dss, kDss, "Write", "VirtualChannel is not open"),
                          error(&cfa, kCfa, "Open", "VirtualChannel is opened."),
                          error(&cfa, kCfa, "Read", "VirtualChannel is not open."),
                          error(&cfa, kCfa, "Write", "VirtualChannel is not open.")));
  EXPECT_THAT(wf.calls, IsEmpty());
}

TEST_F(CitrixTransport, DssOpenUsesTheCurrentSessionAndFreesTheQueryResult) {
  CitrixVC dss(wf.loader());
  EXPECT_TRUE(wf.libraryLoaded);
  ASSERT_TRUE(dss.Open());
  EXPECT_EQ("VRVCDSS", wf.openedName);
  EXPECT_EQ(0xFFFFFFFFu, wf.openedSession);
  EXPECT_THAT(wf.calls, ElementsAre("WFVirtualChannelOpen", "WFVirtualChannelQuery", "WFFreeMemory"));
  EXPECT_EQ(0, wf.allocations);
  EXPECT_THAT(log.lines(), IsEmpty());

  EXPECT_FALSE(dss.Open()) << "a second open while the handle is held";
  EXPECT_THAT(log.lines(), ElementsAre(error(&dss, kDss, "Open", "VirtualChannel is not open")));

  dss.Close();
  EXPECT_FALSE(dss.IsOpen());
  EXPECT_TRUE(dss.Open()) << "open again after close";
  EXPECT_EQ(0, wf.wrongHandles);
}

TEST_F(CitrixTransport, CfaOpenUsesItsOwnChannelAndFreesTheQueryResult) {
  CitrixVC_CFA cfa(wf.loader());
  ASSERT_TRUE(cfa.Open());
  EXPECT_EQ("VRVCCFA", wf.openedName);
  EXPECT_THAT(wf.calls, ElementsAre("WFVirtualChannelOpen", "WFVirtualChannelQuery", "WFFreeMemory"));
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(cfa.IsOpen());
  EXPECT_EQ(0, wf.allocations) << "every query result is given back";
  EXPECT_FALSE(cfa.Open());
  EXPECT_THAT(log.lines(), ElementsAre(error(&cfa, kCfa, "Open", "VirtualChannel is opened.")));
}

TEST_F(CitrixTransport, OpenFailuresAreLoggedPerTransport) {
  wf.openFails = true;
  CitrixVC dss(wf.loader());
  CitrixVC_CFA cfa(wf.loader());
  EXPECT_FALSE(dss.Open());
  EXPECT_FALSE(cfa.Open());
  EXPECT_THAT(log.lines(), ElementsAre(error(&dss, kDss, "Open", "FAILURE:CitrixVC::Open()"),
                                       error(&cfa, kCfa, "Open", "VirtualChannelOpen Error.")));
  EXPECT_EQ(wf.openError, k->lastError());
  EXPECT_FALSE(dss.IsOpen());
}

TEST_F(CitrixTransport, AChannelWhoseQueryFailsDoesNotCountAsOpen) {
  wf.queryFails = true;
  CitrixVC dss(wf.loader());
  EXPECT_FALSE(dss.Open());
  EXPECT_FALSE(dss.Open()) << "the handle is still held until Close";
  dss.Close();
  wf.queryFails = false;
  EXPECT_TRUE(dss.Open());
}

struct WriteCase {
  const char* name;
  FakeWfApi::WriteMode mode;
  bool dssResult;
  const char* dssLog;  // "" = nothing logged
  bool cfaResult;
  const char* cfaLog;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class CitrixWrite : public CitrixTransport, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(CitrixWrite, WrittenCountRule) {
  const WriteCase& c = GetParam();
  wf.writeMode = c.mode;
  wf.writeError = 0x1F;
  CitrixVC dss(wf.loader());
  CitrixVC_CFA cfa(wf.loader());
  ASSERT_TRUE(dss.Open());
  ASSERT_TRUE(cfa.Open());
  log.clear();

  EXPECT_EQ(c.dssResult, dss.Write(bytes("0123456789")));
  EXPECT_EQ(c.cfaResult, cfa.Write(bytes("0123456789")));
  std::vector<std::string> expected;
  if (*c.dssLog) expected.push_back(error(&dss, kDss, "Write", c.dssLog));
  if (*c.cfaLog) expected.push_back(error(&cfa, kCfa, "Write", c.cfaLog));
  EXPECT_EQ(expected, log.lines());
  if (c.mode == FakeWfApi::WriteMode::Fail) EXPECT_EQ(0x1Fu, k->lastError());
  else EXPECT_EQ(std::string("0123456789"), std::string(wf.written.back().begin(), wf.written.back().end()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CitrixWrite,
    ::testing::Values(
        WriteCase{"Full", FakeWfApi::WriteMode::Full, true, "", true, ""},
        WriteCase{"Short", FakeWfApi::WriteMode::Short, false, "FAILURE:CitrixVC::Write()", true, ""},
        WriteCase{"Failed", FakeWfApi::WriteMode::Fail, false, "FAILURE:CitrixVC::Write()", false,
                  "ERROR CODE = 0x0000001F"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CitrixTransport, ReadFillsTheBufferFromItsStartAndKeepsItsSize) {
  CitrixVC dss(wf.loader());
  ASSERT_TRUE(dss.Open());
  wf.incoming.push_back({'a', 'b', 'c'});
  CBinary buffer(8);
  uint32_t got = 0;
  ASSERT_TRUE(dss.Read(buffer, got, 3000));
  EXPECT_EQ(3u, got);
  EXPECT_EQ(8u, buffer.size());
  EXPECT_EQ(std::string("abc"), std::string(reinterpret_cast<char*>(buffer.data()), 3));
  EXPECT_EQ(kCitrixReadSliceMs, wf.lastTimeout) << "read in slices";

  wf.incoming.push_back(std::vector<uint8_t>(20, 'z'));
  ASSERT_TRUE(dss.Read(buffer, got, 0));
  EXPECT_EQ(8u, got) << "a count beyond the buffer is cut to the buffer";
}

TEST_F(CitrixTransport, ReadFailuresKeepTheSystemErrorAndOnlyTheCfaTransportLogsThem) {
  CitrixVC dss(wf.loader());
  CitrixVC_CFA cfa(wf.loader());
  ASSERT_TRUE(dss.Open());
  ASSERT_TRUE(cfa.Open());
  log.clear();
  CBinary buffer(8);
  uint32_t got = 0;
  EXPECT_FALSE(dss.Read(buffer, got, 10));
  EXPECT_EQ(258u, k->lastError());
  EXPECT_FALSE(cfa.Read(buffer, got, 10));
  EXPECT_EQ(258u, k->lastError());
  EXPECT_THAT(log.lines(), ElementsAre(error(&cfa, kCfa, "Read", "ERROR CODE = 0x00000102")));
}

// A read of any length is made of short WFAPI reads; a cancellation is
// seen between two of them, and lifting it lets reads wait again.
TEST_F(CitrixTransport, ALongReadEndsSoonAfterItsCancellation) {
  CitrixVC dss(wf.loader());
  CitrixVC_CFA cfa(wf.loader());
  ASSERT_TRUE(dss.Open());
  ASSERT_TRUE(cfa.Open());
  log.clear();
  struct Case {
    const char* name;
    std::function<bool(CBinary&, uint32_t&)> read;
    std::function<void(bool)> cancel;
  } cases[] = {
      {"dss", [&](CBinary& b, uint32_t& n) { return dss.Read(b, n, kInfinite); },
       [&](bool c) { dss.CancelReads(c); }},
      {"cfa", [&](CBinary& b, uint32_t& n) { return cfa.Read(b, n, kInfinite); },
       [&](bool c) { cfa.CancelReads(c); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int before = wf.reads;
    std::atomic<bool> done{false};
    uint32_t error = 0;
    std::thread reader([&] {
      CBinary buffer(8);
      uint32_t got = 0;
      EXPECT_FALSE(c.read(buffer, got));
      error = k->lastError();
      done = true;
    });
    // Several slices go by while nothing arrives.
    while (wf.reads < before + 3) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(done);
    c.cancel(true);
    reader.join();
    EXPECT_EQ(kErrorOperationAborted, error);
    EXPECT_EQ(kCitrixReadSliceMs, wf.lastTimeout) << "no WFAPI read waits longer than a slice";

    CBinary buffer(8);
    uint32_t got = 0;
    EXPECT_FALSE(c.read(buffer, got)) << "still cancelled: fails at once";
    c.cancel(false);
    wf.incoming.push_back({'x'});
    EXPECT_TRUE(c.read(buffer, got));
  }
  EXPECT_THAT(log.lines(), IsEmpty()) << "a cancellation is not an error";
}

TEST_F(CitrixTransport, ATimedReadKeepsItsTimeOutAcrossSlices) {
  CitrixVC dss(wf.loader());
  ASSERT_TRUE(dss.Open());
  CBinary buffer(8);
  uint32_t got = 0;
  wf.calls.clear();
  EXPECT_FALSE(dss.Read(buffer, got, 130));
  EXPECT_EQ(258u, k->lastError());
  EXPECT_GE(std::count(wf.calls.begin(), wf.calls.end(), "WFVirtualChannelRead"), 3)
      << "130 ms take three slices at least";
}

struct StateCase {
  const char* name;
  int32_t platformState;
  bool queryFails;
  uint32_t reportedBytes;
  const char* missing;  // entry point the library lacks, or ""
  int32_t expected;
};

void PrintTo(const StateCase& c, std::ostream* os) { *os << c.name; }

class CitrixConnectState : public CitrixTransport, public ::testing::WithParamInterface<StateCase> {};

TEST_P(CitrixConnectState, IsTheFirstWordOfTheResultOr4) {
  const StateCase& c = GetParam();
  wf.connectState = c.platformState;
  wf.sessionQueryFails = c.queryFails;
  wf.sessionQueryBytes = c.reportedBytes;
  if (*c.missing) wf.missing.insert(c.missing);
  CitrixVC dss(wf.loader());
  EXPECT_EQ(c.expected, dss.GetConnectState());
  EXPECT_EQ(0, wf.allocations) << "the result is freed";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CitrixConnectState,
    ::testing::Values(StateCase{"Active", 0, false, 4, "", 0},
                      StateCase{"Disconnected", 4, false, 4, "", 4},
                      StateCase{"Other", 1, false, 4, "", 1},
                      StateCase{"QueryFails", 0, true, 4, "", 4},
                      StateCase{"ResultTooShort", 0, false, 2, "", 4},
                      StateCase{"NoEntryPoint", 0, false, 4, "WFQuerySessionInformationW", 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CitrixTransport, MissingEntryPointsMakeTheOperationFailAsNotOpen) {
  wf.missing = {"WFFreeMemory", "WFVirtualChannelWrite"};
  CitrixVC dss(wf.loader());
  EXPECT_FALSE(dss.Open()) << "IsOpen needs the free entry point";
  log.clear();
  EXPECT_FALSE(dss.Write(bytes("x")));
  EXPECT_THAT(log.lines(), ElementsAre(error(&dss, kDss, "Write", "VirtualChannel is not open")));
}

TEST_F(CitrixTransport, CfaRefreshPurgesInputThenOutputOnlyWithAChannel) {
  CitrixVC_CFA cfa(wf.loader());
  cfa.Refresh();
  EXPECT_THAT(wf.calls, IsEmpty());
  ASSERT_TRUE(cfa.Open());
  wf.calls.clear();
  cfa.Refresh();
  EXPECT_THAT(wf.calls, ElementsAre("WFVirtualChannelPurgeInput", "WFVirtualChannelPurgeOutput"));
}

TEST_F(CitrixTransport, DestructionClosesTheChannelAndFreesTheLibrary) {
  {
    CitrixVC dss(wf.loader());
    ASSERT_TRUE(dss.Open());
    wf.calls.clear();
  }
  EXPECT_THAT(wf.calls, ElementsAre("WFVirtualChannelClose"));
  EXPECT_FALSE(wf.libraryLoaded);
  {
    CitrixVC_CFA cfa(wf.loader());
    wf.calls.clear();
  }
  EXPECT_THAT(wf.calls, IsEmpty()) << "nothing to close";
  EXPECT_FALSE(wf.libraryLoaded);
}

}  // namespace
}  // namespace vcb
