// The CFA pass-through of the running relay, driven as an application
// drives it: fill the segment "VARNETH_DSS_SMEM_CFA" under its mutex, set
// the request event, wait for the response event, read the result.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "vcbridge/core/app/tests/win32/CfaApp.h"
#include "vcbridge/core/app/tests/win32/RelaySession.h"

namespace vcb {
namespace {

using testing::contains;
using testing::joined;
using testing::RelayProcess;

using testing::CfaApp;
using testing::putWord;
using namespace testing::cfa;

class EndToEndCfa : public testing::RelaySessionTest {
 protected:
  void SetUp() override {
    RelaySessionTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_TRUE(relay.startAndWaitReady()) << joined(relay.lines());
    ASSERT_TRUE(app.open());
    packetsAtStart = emulator.stat("cfa");
  }
  void TearDown() override {
    relay.kill();
    RelaySessionTest::TearDown();
  }

  RelayProcess relay;
  CfaApp app;
  long packetsAtStart = 0;
};

TEST_F(EndToEndCfa, AReadOnAnIdleChannelTimesOutWithAnEmptyBuffer) {
  control("cfaecho off");
  ASSERT_TRUE(app.call([](uint8_t* s) {
    std::memset(s, 0xAA, kData + kReadSize + 64);
    putWord(s, kRequest, kRead);
    putWord(s, kTimeout, 500);
  }));
  EXPECT_EQ(0u, app.word(kResult)) << "nothing came";
  EXPECT_EQ(kReadSize, app.word(kLength));
  EXPECT_EQ(0u, app.word(kBytesRead));
  EXPECT_EQ(std::vector<uint8_t>(kReadSize, 0), app.bytes(kData, kReadSize));
  EXPECT_EQ(std::vector<uint8_t>(64, 0xAA), app.bytes(kData + kReadSize, 64)) << "nothing written behind the buffer";
}

TEST_F(EndToEndCfa, AWriteReachesTheClientExactlyAndItsEchoCanBeRead) {
  const std::vector<uint8_t> sent = {'V', 'R', 'V', 'C', 0, 1, 2, 0xFE, 0xFF, 9};
  ASSERT_TRUE(app.call([&](uint8_t* s) {
    putWord(s, kRequest, kWrite);
    putWord(s, kLength, uint32_t(sent.size()));
    putWord(s, kResult, 0xFFFFFFFF);
    std::memcpy(s + kData, sent.data(), sent.size());
    std::memset(s + kData + sent.size(), 0x55, 100);  // not part of the write
  }));
  EXPECT_EQ(1u, app.word(kResult));
  ASSERT_EQ(packetsAtStart + 1, emulator.stat("cfa"));
  EXPECT_EQ(sent, emulator.packet("cfa", int(packetsAtStart)));

  // The emulator echoes CFA packets: the next read brings the same bytes.
  ASSERT_TRUE(app.call([](uint8_t* s) {
    putWord(s, kRequest, kRead);
    putWord(s, kTimeout, 5000);
  }));
  EXPECT_EQ(1u, app.word(kResult));
  EXPECT_EQ(sent.size(), app.word(kBytesRead));
  EXPECT_EQ(sent, app.bytes(kData, uint32_t(sent.size())));
  EXPECT_EQ(std::vector<uint8_t>(kReadSize - sent.size(), 0), app.bytes(kData + uint32_t(sent.size()),
                                                                         kReadSize - uint32_t(sent.size())));
}

TEST_F(EndToEndCfa, WritesLongerThanTheDataAreaAreRefusedWithoutSendingAnything) {
  struct Case {
    uint32_t length;
    uint32_t result;
    bool sent;
  } cases[] = {
      {19980, 1, true},  // the whole data area
      {19981, 0, false},
      {0xFFFFFFFF, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    const long before = emulator.stat("cfa");
    ASSERT_TRUE(app.call([&](uint8_t* s) {
      putWord(s, kRequest, kWrite);
      putWord(s, kLength, c.length);
      putWord(s, kResult, 0xFFFFFFFF);
      for (uint32_t i = kData; i < kSegment; ++i) s[i] = uint8_t(i);
    }));
    EXPECT_EQ(c.result, app.word(kResult));
    EXPECT_EQ(before + (c.sent ? 1 : 0), emulator.stat("cfa"));
    if (c.sent) {
      EXPECT_EQ(c.length, emulator.packet("cfa", int(before)).size());
    }
  }
  EXPECT_TRUE(relay.running());
}

TEST_F(EndToEndCfa, AnUnknownRequestIsLoggedAndStillAnswered) {
  std::vector<uint8_t> before;
  ASSERT_TRUE(app.call([&](uint8_t* s) {
    for (uint32_t i = 0; i < kSegment; ++i) s[i] = uint8_t(i * 13);
    putWord(s, kRequest, 3);
    before.assign(s, s + kSegment);
  }));
  EXPECT_EQ(before, app.segment()) << "the segment is left as it was";
  EXPECT_TRUE(relay.waitForLog("[ERROR]\t不正なリクエストID", 5000)) << joined(relay.lines());
  EXPECT_EQ(packetsAtStart, emulator.stat("cfa"));
}

TEST_F(EndToEndCfa, ARefreshPurgesTheChannelAndLeavesTheSegmentAlone) {
  const long purges = emulator.stat("cfapurges");
  std::vector<uint8_t> before;
  ASSERT_TRUE(app.call([&](uint8_t* s) {
    std::memset(s, 0x3C, kSegment);
    putWord(s, kRequest, kRefresh);
    before.assign(s, s + kSegment);
  }));
  EXPECT_EQ(before, app.segment());
  EXPECT_EQ(purges + 2, emulator.stat("cfapurges")) << "output, then input";
  EXPECT_TRUE(testing::inOrder(relay.lines(), {"[INFO]\tMethod Start", "[INFO]\tMethod End"})) << joined(relay.lines());
}

TEST_F(EndToEndCfa, StoppingTheRelayEndsTheRequestLoop) {
  ASSERT_TRUE(app.call([](uint8_t* s) {
    putWord(s, kRequest, kRead);
    putWord(s, kTimeout, 0);
  }));
  RelayClient client(testing::nextSegmentKey(), 1);
  ASSERT_EQ(RelayClient::Result::ok, client.open());
  ASSERT_EQ(RelayClient::Result::ok, client.endRelay(10000));
  EXPECT_EQ(0, relay.waitForExit(15000)) << "every thread, the CFA loop too, has ended";
  // Nobody answers any more.
  EXPECT_FALSE(app.call([](uint8_t* s) { putWord(s, kRequest, kRefresh); }, 1500));
}

}  // namespace
}  // namespace vcb
