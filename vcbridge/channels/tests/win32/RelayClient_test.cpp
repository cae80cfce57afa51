// The application end of the relay, driven in-process against the fake relay
// program: round trips through the segment, the relay's local answers,
// failures that must end a wait early, and the notices a subscriber collects.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "vcbridge/channels/tests/win32/RelaySupport.h"
#include "vcbridge/channels/win32/RelayClient.h"

namespace vcb {
namespace {

using Result = RelayClient::Result;
using testing::FakeRelay;

std::vector<uint8_t> patterned(uint32_t n, uint8_t seed) {
  std::vector<uint8_t> d(n);
  for (uint32_t i = 0; i < n; ++i) d[i] = uint8_t(i * 13 + seed);
  return d;
}

uint32_t word(const std::vector<uint8_t>& d, size_t at) {
  return d.size() < at + 4 ? 0xDEADBEEF : uint32_t(d[at]) | uint32_t(d[at + 1]) << 8 | uint32_t(d[at + 2]) << 16 | uint32_t(d[at + 3]) << 24;
}

int32_t nextKeyB() {
  static int32_t k = 100;
  return ++k;
}

class RelayClientTest : public ::testing::Test {
 protected:
  RelayClient client{static_cast<int32_t>(GetCurrentProcessId()), nextKeyB()};
  FakeRelay relay;
};

TEST_F(RelayClientTest, LocalCommandZeroComesBackWithStatusTenAndTheSameBytes) {
  ASSERT_TRUE(relay.start(L""));
  ASSERT_EQ(Result::ok, client.open());
  for (uint32_t n : {0u, 4u, 4000u, RelayClient::kMaxData}) {
    SCOPED_TRACE(n);
    std::vector<uint8_t> data = patterned(n, uint8_t(n));
    if (n >= 4) data[0] = 1;  // first word not 2: the relay answers itself
    RelayClient::Answer a;
    ASSERT_EQ(Result::ok, client.request(0, data, 5000, &a));
    EXPECT_EQ(0u, a.header.command);
    EXPECT_EQ(10u, a.header.statusCode);
    EXPECT_EQ(0u, a.header.resultCode);
    EXPECT_EQ(n, a.header.dataLength);
    EXPECT_EQ(uint32_t(client.keyA()), a.header.segmentKeyA);
    EXPECT_EQ(uint32_t(client.keyB()), a.header.segmentKeyB);
    EXPECT_EQ(uint32_t(reinterpret_cast<uintptr_t>(client.replyWindow())), a.header.replyWindow);
    EXPECT_EQ(data, a.data);
    EXPECT_GT(a.roundTripMs, 0.0);
  }
}

TEST_F(RelayClientTest, ForwardedRequestsComeBackFromTheClientSideOrWithResultNine) {
  struct Case {
    const wchar_t* relayArgs;
    uint32_t command;
    uint32_t resultCode;
  } cases[] = {
      {L"--channel open", 0, 0},  // first word 2: forwarded
      {L"--channel open", 7, 0},
      {L"--channel closed", 7, 9},
      {L"--channel closed", 0, 9},
  };
  ASSERT_EQ(Result::ok, client.open());
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.relayArgs << " command " << c.command);
    FakeRelay r;
    ASSERT_TRUE(r.start(c.relayArgs));
    std::vector<uint8_t> data = patterned(300, 5);
    data[0] = 2, data[1] = data[2] = data[3] = 0;
    RelayClient::Answer a;
    ASSERT_EQ(Result::ok, client.request(c.command, data, 5000, &a));
    EXPECT_EQ(c.command, a.header.command);
    EXPECT_EQ(c.resultCode, a.header.resultCode);
    EXPECT_EQ(0u, a.header.statusCode);
    EXPECT_EQ(data, a.data);
  }
}

TEST_F(RelayClientTest, ChannelStateIsWhatTheRelayReports) {
  ASSERT_EQ(Result::ok, client.open());
  for (bool open : {true, false}) {
    FakeRelay r;
    ASSERT_TRUE(r.start(open ? L"--channel open" : L"--channel closed"));
    bool reported = !open;
    RelayClient::Answer a;
    ASSERT_EQ(Result::ok, client.queryChannelOpen(5000, &reported, &a));
    EXPECT_EQ(open, reported);
    EXPECT_EQ(133u, a.header.command);
    EXPECT_EQ(4u, a.header.dataLength);
  }
}

TEST_F(RelayClientTest, RequestsThatCannotGoOutAreRefusedAtOnce) {
  RelayClient::Answer a;
  EXPECT_EQ(Result::notOpen, client.request(0, {}, 5000, &a));
  ASSERT_EQ(Result::ok, client.open());
  EXPECT_EQ(Result::relayNotFound, client.request(0, {}, 5000, &a));
  ASSERT_TRUE(relay.start(L""));
  EXPECT_EQ(Result::tooLarge, client.request(0, std::vector<uint8_t>(RelayClient::kMaxData + 1), 5000, &a));
}

TEST_F(RelayClientTest, OnlyItsOwnCompletionEndsTheWait) {
  ASSERT_TRUE(relay.start(L"--silent"));
  ASSERT_EQ(Result::ok, client.open());
  const UINT command = client.commandMessage();
  // Left over from an earlier request that timed out.
  PostMessageW(client.replyWindow(), command, 0, client.keyB());
  // For another segment's keyB, arriving during the wait.
  HWND w = client.replyWindow();
  const int32_t otherKeyB = client.keyB() + 1;
  std::thread other([&] {
    Sleep(100);
    PostMessageW(w, command, 0, otherKeyB);
  });
  RelayClient::Answer a;
  EXPECT_EQ(Result::timedOut, client.request(0, {1, 0, 0, 0}, 1000, &a));
  other.join();
}

TEST_F(RelayClientTest, AnswerClaimingMoreThanTheSegmentIsReadOnlyToItsEnd) {
  ASSERT_TRUE(relay.start(L"--oversize"));
  ASSERT_EQ(Result::ok, client.open());
  RelayClient::Answer a;
  EXPECT_EQ(Result::badAnswer, client.request(0, {1, 0, 0, 0}, 5000, &a));
  EXPECT_EQ(50000u, a.header.dataLength);
  EXPECT_EQ(RelayClient::kMaxData, a.data.size());
}

TEST_F(RelayClientTest, RelayEndingDuringTheWaitEndsItLongBeforeTheTimeOut) {
  ASSERT_TRUE(relay.start(L"--vanish"));
  ASSERT_EQ(Result::ok, client.open());
  const ULONGLONG start = GetTickCount64();
  RelayClient::Answer a;
  EXPECT_EQ(Result::relayGone, client.request(0, {1, 0, 0, 0}, 60000, &a));
  EXPECT_LT(GetTickCount64() - start, 30000u);
}

TEST_F(RelayClientTest, EndRelayIsAnsweredAndTheRelayEnds) {
  ASSERT_TRUE(relay.start(L""));
  ASSERT_EQ(Result::ok, client.open());
  EXPECT_EQ(Result::ok, client.endRelay(5000));
  EXPECT_EQ(0, relay.process().wait(10000));
  RelayClient::Answer a;
  EXPECT_EQ(Result::relayNotFound, client.request(0, {}, 1000, &a));
}

TEST_F(RelayClientTest, SubscriberCollectsNoticesAndCopiesEachNotificationOut) {
  ASSERT_TRUE(relay.start(L"--notices 2 --notifications 3 --bad-notifications"));
  ASSERT_EQ(Result::ok, client.open());
  ASSERT_EQ(Result::ok, client.subscribe(5000));
  ASSERT_TRUE(client.waitForEvents(7, 10000)) << client.events().size() << " events";

  auto& e = client.events();
  ASSERT_EQ(7u, e.size());
  EXPECT_EQ(RelayClient::Event::sessionNotice, e[0].kind);
  EXPECT_FALSE(e[0].connected);
  EXPECT_EQ(RelayClient::Event::sessionNotice, e[1].kind);
  EXPECT_TRUE(e[1].connected);
  for (uint32_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const RelayClient::Event& n = e[2 + i];
    EXPECT_EQ(RelayClient::Event::notification, n.kind);
    EXPECT_TRUE(n.readable);
    EXPECT_EQ(i + 1, n.slot) << "the first notification goes to slot 1";
    EXPECT_EQ(1000u, n.header.command);
    EXPECT_EQ(i, word(n.data, 0));
    EXPECT_EQ(i + 1, word(n.data, 4));
  }
  EXPECT_EQ(50u, e[5].slot);
  EXPECT_FALSE(e[5].readable) << "slot outside the ring";
  EXPECT_EQ(53u, e[6].header.dataLength);
  EXPECT_FALSE(e[6].readable) << "notification overrunning its slot";

  // The last subscriber going away ends the relay.
  EXPECT_EQ(Result::ok, client.unsubscribe(5000));
  EXPECT_EQ(0, relay.process().wait(10000));
}

TEST_F(RelayClientTest, SegmentHeldByAnotherUserIsBusyUntilReleased) {
  ASSERT_TRUE(relay.start(L""));
  ASSERT_EQ(Result::ok, client.open());
  HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const std::wstring mutexName = segmentMutexName(client.keyA(), client.keyB());
  std::thread partner([&] {
    HANDLE m = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, mutexName.c_str());
    WaitForSingleObject(m, INFINITE);
    SetEvent(held);
    WaitForSingleObject(release, 10000);
    ReleaseMutex(m);
    CloseHandle(m);
  });
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held, 10000));
  RelayClient::Answer a;
  EXPECT_EQ(Result::busy, client.request(0, {1, 0, 0, 0}, 300, &a));
  SetEvent(release);
  partner.join();
  EXPECT_EQ(Result::ok, client.request(0, {1, 0, 0, 0}, 5000, &a));
  CloseHandle(held);
  CloseHandle(release);
}

TEST_F(RelayClientTest, PartnersSharingASegmentEachGetTheirOwnAnswer) {
  ASSERT_TRUE(relay.start(L""));
  ASSERT_EQ(Result::ok, client.open());
  RelayClient partner(client.keyA(), client.keyB());
  ASSERT_EQ(Result::ok, partner.open());
  for (int round = 0; round < 3; ++round) {
    RelayClient::Answer mine, theirs;
    ASSERT_EQ(Result::ok, client.request(0, {1, 1, 1, 1}, 5000, &mine));
    ASSERT_EQ(Result::ok, partner.request(0, {3, 3, 3, 3, 3}, 5000, &theirs));
    EXPECT_EQ(std::vector<uint8_t>({1, 1, 1, 1}), mine.data);
    EXPECT_EQ(std::vector<uint8_t>({3, 3, 3, 3, 3}), theirs.data);
  }
}

TEST_F(RelayClientTest, SegmentMadeTooSmallBySomeoneElseIsNotUsed) {
  HANDLE small = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096,
                                    segmentName(client.keyA(), client.keyB()).c_str());
  ASSERT_NE(nullptr, small);
  EXPECT_EQ(Result::setupFailed, client.open());
  EXPECT_FALSE(client.isOpen());
  CloseHandle(small);
}

}  // namespace
}  // namespace vcb
