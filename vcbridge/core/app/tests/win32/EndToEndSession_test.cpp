// The session goes away and comes back while the relay runs: subscribed
// windows hear about it every turn of the session observer (3 s), both
// channels are reopened after the reconnection, and requests work again.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "vcbridge/channels/tests/win32/RelaySupport.h"
#include "vcbridge/core/app/tests/win32/RelaySession.h"

namespace vcb {
namespace {

using testing::joined;
using testing::RelayProcess;
using Result = RelayClient::Result;

// Session notices a window has been sent so far, oldest first: 0 disconnected, 1 connected again.
std::vector<int> notices(RelayClient& c) {
  c.waitForEvents(0, 0);  // takes what has been posted
  std::vector<int> v;
  for (const RelayClient::Event& e : c.events())
    if (e.kind == RelayClient::Event::sessionNotice) v.push_back(e.connected ? 1 : 0);
  return v;
}

size_t disconnectedCount(RelayClient& c) {
  std::vector<int> v = notices(c);
  return size_t(std::count(v.begin(), v.end(), 0));
}

// Pumps every client until cond holds.
bool waitAll(std::vector<RelayClient*> clients, const std::function<bool()>& cond, DWORD timeoutMs) {
  return kit::waitFor([&] {
    for (RelayClient* c : clients) c->waitForEvents(0, 0);
    return cond();
  }, timeoutMs);
}

using EndToEndSessionNotices = testing::RelaySessionTest;

TEST_F(EndToEndSessionNotices, SubscribersHearOfTheDisconnectionEveryTurnAndOfTheReconnectionOnce) {
  RelayProcess relay;
  ASSERT_TRUE(relay.startAndWaitReady());
  // first and second stay subscribed; leaving unsubscribes while disconnected;
  // late subscribes while disconnected.
  RelayClient first(testing::nextSegmentKey(), 1), second(testing::nextSegmentKey(), 2),
      leaving(testing::nextSegmentKey(), 3), late(testing::nextSegmentKey(), 4);
  std::vector<RelayClient*> all = {&first, &second, &leaving, &late};
  for (RelayClient* c : all) ASSERT_EQ(Result::ok, c->open());
  for (RelayClient* c : {&first, &second, &leaving}) ASSERT_EQ(Result::ok, c->subscribe(5000));

  control("drop");
  ASSERT_TRUE(waitAll(all, [&] { return disconnectedCount(first) >= 1 && disconnectedCount(leaving) >= 1; }, 10000));
  ASSERT_EQ(Result::ok, late.subscribe(5000));
  ASSERT_EQ(Result::ok, leaving.unsubscribe(5000));
  const size_t leavingHeard = disconnectedCount(leaving);
  // Another turn or two while disconnected: everyone still subscribed hears it again.
  ASSERT_TRUE(waitAll(all, [&] { return disconnectedCount(late) >= 1 && disconnectedCount(first) >= 3; }, 15000))
      << disconnectedCount(first) << " / " << disconnectedCount(late);

  const long dssOpens = emulator.stat("dssopens"), cfaOpens = emulator.stat("cfaopens");
  control("restore");
  ASSERT_TRUE(waitAll(all, [&] {
    return !notices(first).empty() && notices(first).back() == 1 && !notices(second).empty() &&
           notices(second).back() == 1 && !notices(late).empty() && notices(late).back() == 1;
  }, 10000));
  EXPECT_EQ(dssOpens + 1, emulator.stat("dssopens")) << "the DSS channel was reopened";
  EXPECT_EQ(cfaOpens + 1, emulator.stat("cfaopens")) << "the CFA channel was reopened";
  EXPECT_EQ(1, emulator.stat("dssopen"));
  EXPECT_EQ(1, emulator.stat("cfaopen"));

  // A whole turn more (3 s) brings nothing new.
  const std::vector<int> before[] = {notices(first), notices(second), notices(leaving), notices(late)};
  waitAll(all, [] { return false; }, 4000);
  const std::vector<int> after[] = {notices(first), notices(second), notices(leaving), notices(late)};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(before[i], after[i]) << "client " << i;

  for (int i : {0, 1, 3}) {
    SCOPED_TRACE(i);
    const std::vector<int>& v = after[i];
    ASSERT_GE(v.size(), 2u);
    EXPECT_EQ(std::vector<int>(v.size() - 1, 0), std::vector<int>(v.begin(), v.end() - 1))
        << "disconnected notices, then exactly one connected-again notice";
    EXPECT_EQ(1, v.back());
  }
  EXPECT_GE(after[0].size(), 4u) << "one disconnected notice per turn";
  EXPECT_EQ(std::vector<int>(leavingHeard, 0), after[2]) << "no connected-again notice after unsubscribing";

  // The reopened channel carries requests again, hello first.
  RelayClient::Answer a;
  ASSERT_EQ(Result::ok, first.request(5, {1, 2, 3}, 10000, &a));
  EXPECT_EQ(0u, a.header.resultCode);
  EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), a.data);
  EXPECT_TRUE(relay.running());
}

// Remote Desktop and Citrix sessions: the transports close and open differently.
class EndToEndReconnection : public testing::RelaySessionTest,
                             public ::testing::WithParamInterface<const wchar_t*> {};

INSTANTIATE_TEST_SUITE_P(Sessions, EndToEndReconnection, ::testing::Values(L"RDP-Tcp#0", L"ICA-tcp#1"));

TEST_P(EndToEndReconnection, RequestsWhileDisconnectedComeBackWithResultCode9AndWorkAgainAfterwards) {
  const bool citrix = GetParam()[0] == L'I';
  SetEnvironmentVariableW(L"KIT_WTS_STATION", GetParam());
  RelayProcess relay(citrix ? L"CitrixDriver" : L"TerminalServiceDriver");
  ASSERT_TRUE(relay.startAndWaitReady()) << joined(relay.lines());
  RelayClient app(testing::nextSegmentKey(), 1);
  ASSERT_EQ(Result::ok, app.open());
  ASSERT_EQ(Result::ok, app.subscribe(5000));
  control("drop");
  RelayClient::Answer a;
  ASSERT_EQ(Result::ok, app.request(5, std::vector<uint8_t>(4000, 7), 10000, &a));
  EXPECT_EQ(9u, a.header.resultCode);
  EXPECT_EQ(std::vector<uint8_t>(4000, 7), a.data) << "the request itself comes back";

  // The session observer must see the disconnection (one turn) to reopen after it.
  ASSERT_TRUE(app.waitForEvents(1, 10000));
  control("restore");
  ASSERT_TRUE(app.waitForEvents(2, 10000)) << "connected again";
  EXPECT_TRUE(kit::waitFor([&] { return emulator.stat("dssopens") == 2 && emulator.stat("cfaopens") == 2; }, 5000));
  // What the failed write left unsent belonged to the old connection: the
  // first request on the new one goes through on its own.
  ASSERT_EQ(Result::ok, app.request(5, {9, 8, 7}, 10000, &a));
  EXPECT_EQ(0u, a.header.resultCode) << joined(relay.lines());
  EXPECT_TRUE(testing::contains(relay.lines(), "[WARN]\tUnsent packets of the last connection dropped"))
      << joined(relay.lines());
  EXPECT_EQ((std::vector<uint8_t>{9, 8, 7}), a.data);
}

}  // namespace
}  // namespace vcb
