#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "vcbridge/channels/RequestHandler.h"
#include "vcbridge/channels/ResponceHandler.h"
#include "vcbridge/channels/tests/ProtocolFixture.h"
#include "vcbridge/channels/tests/Waiting.h"

namespace vcb {
namespace {

using testing::completion;
using testing::dssMessage;
using testing::headerOf;
using testing::kAppWindow;
using testing::kKeyA;
using testing::kKeyB;
using testing::kRelayWindow;
using testing::notification;
using testing::relayLine;
using Post = testing::FakeMessagePort::Post;
using Posts = std::vector<Post>;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::StartsWith;

constexpr WindowId kOtherWindow = 0x000D0E0F;

// ---- requests ----

class Requests : public testing::ProtocolTest {
 protected:
  // Leaves the request and posts "WMSZ_DSS_COMMAND" for it, as an application does.
  bool send(const CBinary& request) {
    leave(request);
    return handler.ProcessMessage(kKeyA, kKeyB);
  }
  std::vector<uint32_t> forwardedCommands() {
    std::vector<uint32_t> commands;
    for (const CBinary& p : transport->written()) commands.push_back(headerOf(p).command);
    return commands;
  }

  RequestHandler handler;
};

TEST_F(Requests, HandlesTheCommandRegisteredForRequests) {
  EXPECT_EQ(testing::kCommandMsg, handler.MessageNumber());
}

// Which commands the relay answers itself and which go to the client.
TEST_F(Requests, LocalCommandsAreAnsweredAndAllOthersForwarded) {
  struct Case {
    const char* name;
    CBinary request;
    bool forwarded;
    bool completed;
  } cases[] = {
      {"0, first word 2", dssMessage(0, {2, 9}), true, false},
      {"0, first word 7", dssMessage(0, {7}), false, true},
      {"0 without data", dssMessage(0), false, true},
      {"1", dssMessage(1, {0}), true, false},
      {"2", dssMessage(2), true, false},
      {"129", dssMessage(129), true, false},
      {"130", dssMessage(130, {kOtherWindow, 0xC0DE}), false, true},
      {"131", dssMessage(131, {kOtherWindow}), false, true},
      {"132", dssMessage(132), true, false},
      {"133", dssMessage(133), false, true},
      {"134", dssMessage(134), false, true},
      {"135", dssMessage(135, {1, 2, 3}), true, false},
      {"1000", dssMessage(1000), true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    port->clear();
    const size_t before = transport->written().size();
    EXPECT_TRUE(send(c.request));
    ASSERT_EQ(before + (c.forwarded ? 1 : 0), transport->written().size());
    if (c.forwarded) {
      // The client gets the request as it stands, framed by the relay.
      CBinary sent = transport->written().back();
      EXPECT_EQ(c.request.size(), sent.size());
      EXPECT_EQ(0, std::memcmp(c.request.data() + 44, sent.data() + 44, c.request.size() - 44));
      PacketHeader h = headerOf(sent), r = headerOf(c.request);
      EXPECT_EQ(r.command, h.command);
      EXPECT_EQ(r.replyWindow, h.replyWindow);
      EXPECT_EQ(r.segmentKeyB, h.segmentKeyB);
      EXPECT_NE(0u, h.sequenceNo);
    }
    EXPECT_EQ(c.completed ? Posts{completion()} : Posts{}, posts());
  }
}

TEST_F(Requests, CommandZeroIsAnsweredWithItsOwnRequestAndStatusTen) {
  CBinary request = dssMessage(0, {7, 8});
  ASSERT_TRUE(send(request));
  CBinary expected = request;
  expected.setWord(PacketHeader::statusCodeOffset, 10);
  EXPECT_TRUE(same(expected, contents(request.size())));
  EXPECT_EQ(0u, contents(kSegmentSize).word(request.size())) << "nothing behind the request";
}

TEST_F(Requests, OpenMarksTheLoopRunningAndTheWindowOpen) {
  ASSERT_FALSE(observer()->isRunning());
  ASSERT_TRUE(send(dssMessage(1)));
  EXPECT_TRUE(observer()->isRunning());
  DSSSessionEventManager::LockGuard g(*manager());
  EXPECT_EQ(DSSSessionEventManager::OpenWindowSet{kAppWindow}, manager()->openWindows());
}

TEST_F(Requests, SubscribeAndUnsubscribeKeepTheSessionNoticeMap) {
  const CBinary original = dssMessage(130, {kOtherWindow, 0xC0DE});
  ASSERT_TRUE(send(original));
  EXPECT_TRUE(observer()->isRunning());
  EXPECT_EQ((DSSSessionEventManager::SessionNoticeMap{{kOtherWindow, 0xC0DE}}), manager()->sessionNotices());
  EXPECT_TRUE(same(original, contents(original.size()))) << "nothing is written back";

  ASSERT_TRUE(send(dssMessage(131, {0x1234})));
  EXPECT_EQ(1u, manager()->sessionNotices().size()) << "an unknown window changes nothing";
  EXPECT_TRUE(observer()->isRunning());

  ASSERT_TRUE(send(dssMessage(131, {kOtherWindow})));
  EXPECT_TRUE(manager()->sessionNotices().empty());
  EXPECT_FALSE(observer()->isRunning()) << "nobody left to serve";
  EXPECT_EQ(Posts(3, completion()), posts());
}

TEST_F(Requests, UnsubscribeStopsTheLoopOnlyWhenNoWindowIsLeft) {
  struct Case {
    const char* name;
    bool openWindow;
    bool otherSubscription;
    bool running;
  } cases[] = {
      {"last one", false, false, false},
      {"a window is open", true, false, true},
      {"another subscription", false, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    {
      DSSSessionEventManager::LockGuard g(*manager());
      manager()->openWindows().clear();
      manager()->sessionNoticeMap().clear();
      manager()->subscribe(kAppWindow, 0xC0DE);
      if (c.openWindow) manager()->openWindows().insert(kOtherWindow);
      if (c.otherSubscription) manager()->subscribe(kOtherWindow, 0xC0DE);
    }
    observer()->setRunning(true);
    ASSERT_TRUE(send(dssMessage(131, {kAppWindow})));
    EXPECT_EQ(c.running, observer()->isRunning());
  }
}

TEST_F(Requests, TerminateStopsTheLoopAndWritesNothing) {
  observer()->setRunning(true);
  const CBinary request = dssMessage(134, {1});
  ASSERT_TRUE(send(request));
  EXPECT_FALSE(observer()->isRunning());
  EXPECT_TRUE(same(request, contents(request.size())));
  EXPECT_EQ(Posts{completion()}, posts());
}

// Its completion would come back to the relay as a new request, and its
// answer from the client too: the relay would loop for ever.
TEST_F(Requests, ARequestWhoseReplyWindowIsTheRelaysOwnIsRefused) {
  struct Case {
    const char* name;
    CBinary request;
  } cases[] = {
      {"0, answered here", dssMessage(0, {7}, kRelayWindow)},
      {"5, forwarded", dssMessage(5, {1, 2}, kRelayWindow)},
      {"133", dssMessage(133, {}, kRelayWindow)},
      {"134", dssMessage(134, {}, kRelayWindow)},
      {"130", dssMessage(130, {kOtherWindow, 0xC0DE}, kRelayWindow)},
      {"1, the low word alone", dssMessage(1, {}, kRelayWindow & 0xFFFF)},
      {"5, low word with high word FFFF", dssMessage(5, {}, 0xFFFF0000u | (kRelayWindow & 0xFFFF))},
  };
  observer()->setRunning(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(send(c.request));
    EXPECT_TRUE(same(c.request, contents(c.request.size()))) << "the segment is left alone";
    char line[128];
    std::snprintf(line, sizeof line, "REQUEST REFUSED: replyWindow 0x%08X is the relay's own window",
                  headerOf(c.request).replyWindow);
    ASSERT_FALSE(logs.lines().empty());
    EXPECT_EQ("[ERROR]\t" + relayLine(&handler, "RequestHandler", "ProcessMessage", line), logs.lines().back());
  }
  EXPECT_TRUE(posts().empty());
  EXPECT_TRUE(transport->written().empty());
  EXPECT_TRUE(observer()->isRunning()) << "134 from the relay's window stops nothing";
  EXPECT_TRUE(manager()->sessionNotices().empty());

  // Another window that shares the low word is somebody else's.
  const CBinary other = dssMessage(5, {}, 0x00130000u | (kRelayWindow & 0xFFFF));
  EXPECT_TRUE(send(other));
  EXPECT_EQ(1u, transport->written().size());
}

TEST_F(Requests, ASubscriptionForTheRelaysOwnWindowIsRefused) {
  EXPECT_TRUE(send(dssMessage(130, {kRelayWindow, testing::kCommandMsg})));
  EXPECT_TRUE(manager()->sessionNotices().empty());
  EXPECT_EQ(Posts{completion()}, posts()) << "the application that asked is answered";
  EXPECT_EQ(1, logs.count("[ERROR]\t" + relayLine(&handler, "RequestHandler", "ProcessMessage",
                                                   "SUBSCRIPTION REFUSED: window 0x00120034 is the relay's own window")));
}

// A close taken on the read loop while an application opens must not see
// "nobody left" between the relay marking itself running and counting the
// new window: the mark is made under the manager's lock, after the count.
TEST_F(Requests, AnOpenOrSubscriptionRacingTheLastCloseKeepsTheRelayRunning) {
  struct Case {
    const char* name;
    CBinary request;
  } cases[] = {
      {"1", dssMessage(1)},
      {"130", dssMessage(130, {kAppWindow, 0xC0DE})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    {
      DSSSessionEventManager::LockGuard g(*manager());
      manager()->openWindows() = {kOtherWindow};
      manager()->sessionNoticeMap().clear();
    }
    observer()->setRunning(true);
    segment(kKeyA, 77);
    // The client's answer to the other window's close gets the lock first.
    k.beforeNextLock(kSessionEventMutexName, [&] {
      observer()->responceHandler()->PerformProcess(dssMessage(2, {}, kOtherWindow, kKeyA, 77));
    });
    send(c.request);
    EXPECT_TRUE(observer()->isRunning()) << "the relay ended while an application was opening";
    DSSSessionEventManager::LockGuard g(*manager());
    EXPECT_FALSE(manager()->idle());
    EXPECT_EQ(0u, manager()->openWindows().count(kOtherWindow));
  }
}

// Command 133 asks the transport while the session observer may be
// reopening it; on Citrix that query would use a handle being closed.
TEST_F(Requests, TheChannelStateIsNeverAskedWhileTheTransportIsReopened) {
  std::atomic<bool> closing{false};
  transport->onClose([&] {
    closing = true;
    // An unguarded query shows up as an overlap; give it the chance.
    testing::waitFor([&] { return transport->openCloseOverlappedIo(); }, 300);
  });
  std::thread reopen([] { VirtualChannel::get()->Reopen(); });
  ASSERT_TRUE(testing::waitFor([&] { return closing.load(); }));
  EXPECT_TRUE(send(dssMessage(133)));
  reopen.join();
  transport->onClose(nullptr);
  EXPECT_FALSE(transport->openCloseOverlappedIo());
  EXPECT_EQ(1u, contents(48).word(44)) << "asked after the reopen: open";
}

// 134 cancels the read loop's reads so that it ends at once; an open that
// comes before the loop has ended keeps it, and its reads wait again.
TEST_F(Requests, AnOpenAfterTerminateLetsTheLoopReadAgain) {
  observer()->setRunning(true);
  ASSERT_TRUE(send(dssMessage(134)));
  CBinary buffer(2048);
  uint32_t n = 0;
  transport->pushRead(dssMessage(1000));
  EXPECT_FALSE(VirtualChannel::get()->Read(buffer, n, 3000)) << "reads are cancelled after 134";
  EXPECT_GE(transport->cancelCalls(), 1);
  ASSERT_TRUE(send(dssMessage(1)));
  EXPECT_TRUE(observer()->isRunning());
  EXPECT_TRUE(VirtualChannel::get()->Read(buffer, n, 3000));
}

TEST_F(Requests, ChannelStateIsA48ByteReplyWithOneWord) {
  struct Case {
    const char* name;
    void (*arrange)(testing::FakeDssTransport&);
    bool dropChannel;
    uint32_t state;
  } cases[] = {
      {"open", [](testing::FakeDssTransport&) {}, false, 1},
      {"closed", [](testing::FakeDssTransport& t) { t.Close(); }, false, 0},
      {"no channel", [](testing::FakeDssTransport&) {}, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.arrange(*transport);
    if (c.dropChannel) VirtualChannel::destroy();
    port->clear();
    // A longer request: only its first 48 bytes come back.
    CBinary request = dssMessage(133, {0xAAAAAAAA, 0xBBBBBBBB});
    request.setWord(PacketHeader::resultCodeOffset, 0x77);
    ASSERT_TRUE(send(request));

    CBinary expected(48);
    std::memcpy(expected.data(), request.data(), 48);
    expected.setWord(PacketHeader::dataLengthOffset, 4);
    expected.setWord(44, c.state);
    EXPECT_TRUE(same(expected, contents(48)));
    EXPECT_EQ(0xBBBBBBBBu, contents(52).word(48)) << "only the reply's bytes are written";
    EXPECT_EQ(Posts{completion()}, posts());
  }
}

TEST_F(Requests, AShortChannelStateRequestIsZeroFilled) {
  const CBinary request = dssMessage(133);  // header only
  ASSERT_TRUE(send(request));
  CBinary expected(48);
  std::memcpy(expected.data(), request.data(), 44);
  expected.setWord(PacketHeader::dataLengthOffset, 4);
  expected.setWord(44, 1);
  EXPECT_TRUE(same(expected, contents(48)));
}

// Answers go where the header says, except command 0's, which goes back to
// the segment the request came from.
TEST_F(Requests, AnswersGoToTheSegmentsTheHeaderNames) {
  // Each request sits in segment (1234, 5) but names segment (1234, 6).
  auto leaveMisnamed = [&](const CBinary& request) {
    std::memset(segment(kKeyA, kKeyB), 0, kSegmentSize);
    std::memcpy(segment(kKeyA, kKeyB), request.data(), request.size());
    std::memset(segment(kKeyA, 6), 0, kSegmentSize);
  };
  leaveMisnamed(dssMessage(133, {}, kAppWindow, kKeyA, 6));
  ASSERT_TRUE(handler.ProcessMessage(kKeyA, kKeyB));
  EXPECT_EQ(4u, contents(48, kKeyA, 6).word(PacketHeader::dataLengthOffset));
  EXPECT_EQ(0u, contents(48, kKeyA, kKeyB).word(PacketHeader::dataLengthOffset));

  leaveMisnamed(dssMessage(0, {7}, kAppWindow, kKeyA, 6));
  ASSERT_TRUE(handler.ProcessMessage(kKeyA, kKeyB));
  EXPECT_EQ(10u, contents(48, kKeyA, kKeyB).word(PacketHeader::statusCodeOffset));
  EXPECT_EQ(0u, contents(48, kKeyA, 6).word(PacketHeader::statusCodeOffset));
  EXPECT_EQ(Posts(2, completion(6)), posts()) << "LPARAM is the header's second key";
}

TEST_F(Requests, AFailedForwardComesBackWithResultNine) {
  transport->failNextWrites(1);
  const CBinary request = dssMessage(5, {1, 2});
  EXPECT_FALSE(send(request));
  CBinary expected = request;
  expected.setWord(PacketHeader::resultCodeOffset, 9);
  EXPECT_TRUE(same(expected, contents(request.size())));
  EXPECT_EQ(Posts{completion()}, posts());
  EXPECT_EQ(1, logs.count("[ERROR]\t" + relayLine(&handler, "RequestHandler", "ProcessMessage",
                                                   "FAILURE:VirtualChannel::Write()")));
}

TEST_F(Requests, AnOpenThatCannotBeSentStillCountsTheWindow) {
  observer()->setRunning(false);
  transport->failNextWrites(1);
  EXPECT_FALSE(send(dssMessage(1)));
  EXPECT_TRUE(observer()->isRunning());
  EXPECT_EQ(Posts{completion()}, posts());
  DSSSessionEventManager::LockGuard g(*manager());
  EXPECT_EQ(1u, manager()->openWindows().count(kAppWindow));
}

TEST_F(Requests, ARequestThatCannotBeReadGetsNoAnswer) {
  EXPECT_FALSE(handler.ProcessMessage(77, 1)) << "the application never made its segment";
  EXPECT_TRUE(posts().empty());
  EXPECT_TRUE(transport->written().empty());
  EXPECT_EQ(std::vector<std::string>{"[ERROR]\tEXCEPTION:RequestData::Read()"}, logs.lines());
}

TEST_F(Requests, WithoutTheChannelObjectNothingIsForwardedOrAnswered) {
  VirtualChannel::destroy();
  EXPECT_FALSE(send(dssMessage(5)));
  EXPECT_TRUE(posts().empty());
  EXPECT_EQ(std::vector<std::string>{"[ERROR]\t" + relayLine(&handler, "RequestHandler", "ProcessMessage",
                                                             "EXCEPTION:RequestHandler::ProcessMessage()")},
            logs.lines());
}

// The data length comes from the application: it must not take the relay
// past the end of the 20000-byte segment.
TEST_F(Requests, ADataLengthPastTheSegmentIsRefused) {
  struct Case {
    uint32_t dataLength;
    bool forwarded;
  } cases[] = {{19956, true}, {19957, false}, {0xFFFFFFD4, false}, {0xFFFFFFFF, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dataLength);
    port->clear();
    const size_t before = transport->written().size();
    CBinary request = dssMessage(5);
    request.setWord(PacketHeader::dataLengthOffset, c.dataLength);
    EXPECT_EQ(c.forwarded, send(request));
    EXPECT_EQ(c.forwarded, transport->written().size() > before);
    EXPECT_TRUE(posts().empty());
  }
  // The reader's line, with its own object field.
  auto refused = [](const char* length) {
    return AllOf(StartsWith("[ERROR]\t[0x"),
                 EndsWith("]\tVCB\tRequestData\tRead\tINVALID DATA LENGTH = " + std::string(length) + " (MAX 19956)"));
  };
  EXPECT_THAT(logs.lines(), ElementsAre(refused("19957"), refused("4294967252"), refused("4294967295")));
}

// ---- messages from the client ----

class Incoming : public testing::ProtocolTest {
 protected:
  ResponceHandler& handler() { return *observer()->responceHandler(); }
  // A response as one channel read leaves it: at the start of the 2048-byte buffer.
  static CBinary inReceiveBuffer(const CBinary& message) {
    CBinary buffer(2048);
    std::memcpy(buffer.data(), message.data(), message.size());
    return buffer;
  }
  uint8_t* ring() { return k.mappingBytes(L"VARNETH_DSS_SMEM_NOTIFY"); }
};

TEST_F(Incoming, KeepAliveIsConsumed) {
  segment();
  handler().PerformProcess(inReceiveBuffer(dssMessage(132, {1})));
  EXPECT_TRUE(posts().empty());
  EXPECT_EQ(0u, contents(48).word(4));
  EXPECT_EQ(0u, handler().notifyData().index());
}

TEST_F(Incoming, AResponseGoesToItsOwnSegmentAsReceived) {
  segment(kKeyA, kKeyB);
  std::memset(segment(kKeyA, kKeyB), 0xEE, kSegmentSize);
  const CBinary received = inReceiveBuffer(dssMessage(7, {0x01020304}));
  handler().PerformProcess(received);
  EXPECT_TRUE(same(received, contents(2048))) << "the whole receive buffer, zeros included";
  EXPECT_EQ(0xEEEEEEEEu, contents(2052).word(2048));
  EXPECT_EQ(Posts{completion()}, posts());
}

TEST_F(Incoming, AResponseWithoutItsSegmentIsStillAnnounced) {
  handler().PerformProcess(inReceiveBuffer(dssMessage(7, {}, kAppWindow, 99, 3)));
  EXPECT_EQ(Posts{completion(3)}, posts());
  EXPECT_EQ(std::vector<std::string>{"[ERROR]\tEXCEPTION:ResponceData::Write()"}, logs.lines());
}

TEST_F(Incoming, NotificationsGoRoundTheRingFromSlotOne) {
  std::vector<uint32_t> slots;
  for (uint32_t i = 0; i < 52; ++i) {
    const uint32_t command = 1000 + i % 3;
    handler().PerformProcess(inReceiveBuffer(dssMessage(command, {i, i * 3}, kAppWindow + i)));
    const Post p = posts().back();
    EXPECT_EQ(kAppWindow + i, p.window);
    EXPECT_EQ(testing::kNotifyMsg, p.message);
    EXPECT_EQ(0u, p.wparam);
    slots.push_back(static_cast<uint32_t>(p.lparam));
    // The slot holds exactly the message, header included.
    const uint8_t* slot = ring() + slots.back() * 96;
    const CBinary expected = dssMessage(command, {i, i * 3}, kAppWindow + i);
    EXPECT_EQ(0, std::memcmp(expected.data(), slot, expected.size())) << i;
  }
  std::vector<uint32_t> expected;
  for (uint32_t i = 0; i < 52; ++i) expected.push_back((i + 1) % 50);
  EXPECT_EQ(expected, slots);
}

TEST_F(Incoming, ANotificationZeroesWhatItUsesOfItsSlot) {
  std::memset(ring(), 0xEE, kNotifyRingSize);
  handler().PerformProcess(inReceiveBuffer(dssMessage(1000, {5})));
  EXPECT_EQ(5u, CBinary(ring() + 96, 96).word(44));
  EXPECT_EQ(0u, CBinary(ring() + 96, 96).word(PacketHeader::resultCodeOffset));
  EXPECT_EQ(0xEEu, ring()[96 + 48]) << "bytes behind the message stay";
  EXPECT_EQ(0xEEu, ring()[0]) << "other slots stay";
}

TEST_F(Incoming, ANotificationLargerThanASlotIsRefused) {
  struct Case {
    uint32_t dataLength;
    bool announced;
  } cases[] = {{52, true}, {53, false}, {0xFFFFFFFF, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dataLength);
    port->clear();
    const uint32_t before = handler().notifyData().index();
    CBinary message = inReceiveBuffer(dssMessage(1001, {}));
    message.setWord(PacketHeader::dataLengthOffset, c.dataLength);
    handler().PerformProcess(message);
    EXPECT_EQ(c.announced ? Posts{notification(before + 1)} : Posts{}, posts());
    EXPECT_EQ(c.announced ? before + 1 : before, handler().notifyData().index());
  }
  EXPECT_EQ(2, logs.count("[ERROR]\t" + relayLine(&handler(), "ResponceHandler", "PerformNotifyProcess",
                                                   "EXCEPTION:ResponceData::Write() ERROR CODE:0x00000001")));
}

TEST_F(Incoming, NothingFromTheClientIsDeliveredToTheRelaysOwnWindow) {
  segment();
  std::memset(segment(), 0xEE, 64);
  for (uint32_t command : {7u, 2u, 1000u, 1002u}) {
    SCOPED_TRACE(command);
    handler().PerformProcess(inReceiveBuffer(dssMessage(command, {1}, kRelayWindow)));
    char line[128];
    std::snprintf(line, sizeof line, "MESSAGE REFUSED: command %u for window 0x00120034, the relay's own window",
                  command);
    EXPECT_EQ(1, logs.count("[ERROR]\t" + relayLine(&handler(), "ResponceHandler", "PerformProcess", line)));
  }
  EXPECT_TRUE(posts().empty());
  EXPECT_EQ(0xEEEEEEEEu, contents(4).word(0)) << "the segment is left alone";
  EXPECT_EQ(0u, handler().notifyData().index()) << "no slot was used";
}

// The application waits for its answer; one that no segment can hold is
// announced with resultCode 1 and no data rather than never.
TEST_F(Incoming, AnAnswerTooBigForItsSegmentIsAnnouncedWithResultCode1) {
  struct Case {
    uint32_t command;
    bool announced;
  } cases[] = {{7, true}, {2, true}, {132, false}, {1001, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    port->clear();
    std::memset(segment(), 0xEE, 64);
    PacketHeader first = headerOf(dssMessage(c.command));
    first.dataLength = 19957;
    first.fragmentFirst = 1;
    first.fragmentLast = 1556;
    first.resultCode = 0;
    handler().PerformOversizeProcess(first);
    EXPECT_EQ(c.announced ? Posts{completion()} : Posts{}, posts());
    if (!c.announced) continue;
    const PacketHeader written = headerOf(contents(44));
    EXPECT_EQ(c.command, written.command);
    EXPECT_EQ(0u, written.dataLength);
    EXPECT_EQ(1u, written.resultCode);
    EXPECT_EQ(0u, written.fragmentFirst);
    EXPECT_EQ(0xEEEEEEEEu, contents(48).word(44)) << "nothing behind the header";
  }
}

TEST_F(Incoming, CloseRemovesTheWindowEvenWhenItsSegmentIsGone) {
  struct Case {
    const char* name;
    bool segmentExists;
    bool otherWindow;
    bool subscription;
    bool running;
  } cases[] = {
      {"last window", true, false, false, false},
      {"last window, segment gone", false, false, false, false},
      {"another window open", true, true, false, true},
      {"a subscription left", false, false, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    port->clear();
    {
      DSSSessionEventManager::LockGuard g(*manager());
      manager()->openWindows() = {kAppWindow};
      manager()->sessionNoticeMap().clear();
      if (c.otherWindow) manager()->openWindows().insert(kOtherWindow);
      if (c.subscription) manager()->subscribe(kOtherWindow, 0xC0DE);
    }
    observer()->setRunning(true);
    const int32_t keyB = c.segmentExists ? kKeyB : 404;
    if (c.segmentExists) segment(kKeyA, keyB);
    handler().PerformProcess(inReceiveBuffer(dssMessage(2, {}, kAppWindow, kKeyA, keyB)));
    EXPECT_EQ(Posts{completion(keyB)}, posts());
    EXPECT_EQ(c.running, observer()->isRunning());
    DSSSessionEventManager::LockGuard g(*manager());
    EXPECT_EQ(0u, manager()->openWindows().count(kAppWindow));
  }
}

TEST(NotifyRing, WithoutTheRingResponsesStillFlowAndNotificationsAreRefused) {
  testing::LogCapture logs;
  testing::ScopedFakeKernel k;
  testing::ScopedFakeMessagePort port;
  Singleton<SharedMemoryManager>::create()->initialise();
  {
    k->failNext("createFileMapping");
    ResponceHandler handler;
    EXPECT_EQ(nullptr, handler.notifyData().view());
    handler.PerformNotifyProcess(dssMessage(1000, {1}));
    EXPECT_TRUE(port->posts().empty());
    EXPECT_EQ(1, logs.count("[ERROR]\t" + relayLine(&handler, "ResponceHandler", "PerformNotifyProcess",
                                                     "EXCEPTION:ResponceData::Write() ERROR CODE:0x00000004")));
    handler.PerformResponceProcess(dssMessage(7));
    EXPECT_EQ(Posts{completion()}, port->posts());
  }
  Singleton<SharedMemoryManager>::get()->clear();
  Singleton<SharedMemoryManager>::destroy();
}

TEST(ResponceDataWrite, AMessageLargerThanTheSegmentLeavesItUnchanged) {
  testing::LogCapture logs;
  testing::ScopedFakeKernel k;
  Singleton<SharedMemoryManager>::create()->initialise();
  Handle mapping = k->createFileMapping(segmentName(kKeyA, kKeyB), kSegmentSize, Security::Default);
  uint8_t* bytes = k->mappingBytes(segmentName(kKeyA, kKeyB));
  ResponceData data;
  CBinary whole(kSegmentSize);
  std::memset(whole.data(), 0x11, kSegmentSize);
  EXPECT_TRUE(data.Write(whole, kKeyA, kKeyB));
  EXPECT_EQ(0x11, bytes[kSegmentSize - 1]);
  EXPECT_FALSE(data.Write(CBinary(kSegmentSize + 1), kKeyA, kKeyB));
  EXPECT_EQ(0x11, bytes[0]);
  EXPECT_FALSE(data.Write(CBinary(4), kKeyA, 6)) << "no such segment";
  EXPECT_EQ(2, logs.count("[ERROR]\tEXCEPTION:ResponceData::Write()"));
  Singleton<SharedMemoryManager>::get()->clear();
  Singleton<SharedMemoryManager>::destroy();
  k->closeHandle(mapping);
}

}  // namespace
}  // namespace vcb
