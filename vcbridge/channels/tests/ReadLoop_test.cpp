#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "vcbridge/channels/RequestHandler.h"
#include "vcbridge/channels/tests/ProtocolFixture.h"
#include "vcbridge/channels/tests/Waiting.h"

namespace vcb {
namespace {

using testing::completion;
using testing::dssMessage;
using testing::kAppWindow;
using testing::kKeyA;
using testing::kKeyB;
using testing::notification;
using testing::relayLine;
using Post = testing::FakeMessagePort::Post;
using Posts = std::vector<Post>;
using Clock = std::chrono::steady_clock;

// A message of dataLength patterned bytes for the application's segment.
CBinary longResponse(uint32_t dataLength) {
  CBinary m = dssMessage(7);
  CBinary out(PacketHeader::kSize + dataLength);
  std::memcpy(out.data(), m.data(), PacketHeader::kSize);
  out.setWord(PacketHeader::dataLengthOffset, dataLength);
  for (uint32_t i = 0; i < dataLength; ++i) out.data()[PacketHeader::kSize + i] = uint8_t(i * 13 + 1);
  return out;
}

// The packet of message that carries data bytes [first, last] (1-based).
CBinary fragment(const CBinary& message, uint32_t sequenceNo, uint32_t first, uint32_t last) {
  CBinary p(PacketHeader::kSize + last - first + 1);
  std::memcpy(p.data(), message.data(), PacketHeader::kSize);
  p.setWord(PacketHeader::fragmentFirstOffset, first);
  p.setWord(PacketHeader::fragmentLastOffset, last);
  p.setWord(PacketHeader::sequenceNoOffset, sequenceNo);
  std::memcpy(p.data() + PacketHeader::kSize, message.data() + PacketHeader::kSize + first - 1, last - first + 1);
  return p;
}

class ReadLoop : public testing::ProtocolTest {
 protected:
  ReadLoop() { transport->setIdleReadLimit(20); }
  void start() { observer()->start(); }
  // Stops the loop and waits for its thread.
  void finish() {
    observer()->stop();
    observer()->join();
  }
};

TEST_F(ReadLoop, ReassemblesWhatTheClientSendsAndDropsShortPackets) {
  segment();
  const CBinary response = longResponse(3000);
  transport->pushRead(CBinary(20));                          // shorter than a header
  transport->pushRead(fragment(response, 9, 1557, 3000));    // second half first
  transport->pushRead(fragment(response, 9, 1, 1556));
  transport->pushRead(dssMessage(1002, {0x5A}));
  start();
  ASSERT_TRUE(port->waitForPosts(2));
  EXPECT_TRUE(observer()->isRunning());
  finish();

  EXPECT_EQ((Posts{completion(), notification(1)}), posts());
  // The message keeps the header of the packet that came first.
  CBinary expected = response;
  std::memcpy(expected.data(), fragment(response, 9, 1557, 3000).data(), PacketHeader::kSize);
  EXPECT_TRUE(same(expected, contents(expected.size())));
  EXPECT_EQ(0u, contents(3048).word(3044));
  EXPECT_EQ(0u, transport->pendingReads());
  EXPECT_EQ(std::vector<std::string>{"[WARN]\t" + relayLine(observer().get(), "VirtualChannelObserver", "Open",
                                                            "FAILURE:VirtualChannel::Read() incomplete data")},
            logs.lines());
}

TEST_F(ReadLoop, PausesAfterAFailedReadUnlessItTimedOut) {
  transport->pushReadFailure(kWaitTimeout);
  transport->pushReadFailure(kErrorIoIncomplete);
  transport->pushReadFailure(testing::FakeDssTransport::kErrorInvalidHandle);
  transport->pushRead(dssMessage(1000));
  start();
  ASSERT_TRUE(port->waitForPosts(1));
  finish();
  EXPECT_EQ(std::vector<uint32_t>{3000}, k.pauses());
  EXPECT_EQ(3000u, transport->lastReadTimeout());
}

TEST_F(ReadLoop, AFailureInsideATurnIsLoggedAndTheLoopGoesOn) {
  segment();
  DSSSessionEventManager::destroy();  // closing a window now fails
  transport->pushRead(dssMessage(2));
  transport->pushRead(dssMessage(1000));
  start();
  ASSERT_TRUE(port->waitForPosts(2));
  EXPECT_TRUE(observer()->isRunning());
  finish();
  EXPECT_EQ((Posts{completion(), notification(1)}), posts());
  EXPECT_EQ(std::vector<uint32_t>{3000}, k.pauses());
  EXPECT_EQ(std::vector<std::string>{"[ERROR]\t" + relayLine(observer().get(), "VirtualChannelObserver", "Run",
                                                             "EXCEPTION:VirtualChannelObserver::Run()")},
            logs.lines());
}

TEST_F(ReadLoop, StopEndsAReadThatWouldWaitForEver) {
  transport->setIdleReadLimit(kInfinite);
  start();
  ASSERT_TRUE(testing::waitFor([&] { return transport->readCalls() == 1; }));
  EXPECT_TRUE(testing::returnsSoon([&] { finish(); }, [&] { transport->CancelReads(true); }))
      << "the stop waited for the read";
  EXPECT_TRUE(k.pauses().empty()) << "a cancelled read is no failure";
}

// A fragment from before a reconnection must not complete a message that
// begins on the new connection.
TEST_F(ReadLoop, ANewConnectionStartsTheReassemblyAfresh) {
  segment();
  std::memset(segment(), 0xEE, 64);
  const CBinary response = longResponse(3000);
  transport->pushRead(fragment(response, 77, 1, 1556));
  start();
  ASSERT_TRUE(testing::waitFor([&] { return transport->pendingReads() == 0; }));
  ASSERT_TRUE(VirtualChannel::get()->Reopen());
  transport->pushRead(fragment(response, 77, 1557, 3000));
  transport->pushRead(dssMessage(1000));  // comes after: when it is announced, the fragment was taken
  ASSERT_TRUE(port->waitForPosts(1));
  finish();
  EXPECT_EQ(Posts{notification(1)}, posts());
  EXPECT_EQ(0xEEEEEEEEu, contents(4).word(0));
  EXPECT_THAT(logs.lines(), ::testing::Contains(::testing::EndsWith(
                               "\tVCB\tChunkAssembler\tAddPacket\tpartial message dropped: sequenceNo 77, 1556 of "
                               "3000 data bytes received, the connection it came on has ended")));
}

// The application would otherwise wait for an answer it can never get.
TEST_F(ReadLoop, AnAnswerTooBigForItsSegmentIsAnnouncedOnceWithResultCode1) {
  segment();
  const CBinary response = longResponse(ChunkAssembler::kMaxDataLength + 1);
  transport->pushRead(fragment(response, 5, 1557, 3112));
  transport->pushRead(fragment(response, 5, 1, 1556));
  transport->pushRead(fragment(response, 5, 3113, 4668));
  transport->pushRead(dssMessage(1000));
  start();
  ASSERT_TRUE(port->waitForPosts(2));
  finish();
  EXPECT_EQ((Posts{completion(), notification(1)}), posts());
  const PacketHeader h = testing::headerOf(contents(44));
  EXPECT_EQ(7u, h.command);
  EXPECT_EQ(0u, h.dataLength);
  EXPECT_EQ(1u, h.resultCode);
}

// An application opens the channel and closes it again: the client's answer
// to the close leaves nobody to serve, and the relay's loop ends by itself.
TEST_F(ReadLoop, TheAnswerToTheLastCloseEndsTheLoop) {
  RequestHandler requests;
  start();
  leave(dssMessage(1));
  ASSERT_TRUE(requests.ProcessMessage(kKeyA, kKeyB));
  leave(dssMessage(2));
  ASSERT_TRUE(requests.ProcessMessage(kKeyA, kKeyB));
  ASSERT_EQ(2u, transport->written().size());

  transport->pushRead(dssMessage(2, {0x600D}));
  observer()->join();  // returns only when the loop has ended
  EXPECT_FALSE(observer()->isRunning());
  EXPECT_EQ(Posts{completion()}, posts());
  EXPECT_EQ(0x600Du, contents(48).word(44));
}

}  // namespace
}  // namespace vcb
