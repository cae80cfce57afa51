#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vcbridge/channels/tests/fakes/ClientEmulator.h"

namespace vcb::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;
using Bytes = ClientEmulator::Bytes;

struct RecordingLink : ClientEmulator::Link {
  bool deliver(ClientEmulator::Channel ch, const Bytes& packet) override {
    (ch == ClientEmulator::Dss ? dss : cfa).push_back(packet);
    return true;
  }
  void disconnect(ClientEmulator::Channel ch) override { disconnected.push_back(ch); }
  std::vector<Bytes> dss, cfa;
  std::vector<int> disconnected;
};

PacketHeader headerOf(const Bytes& p) {
  PacketHeader h;
  h.readFrom(p.data(), uint32_t(p.size()));
  return h;
}

Bytes message(uint32_t command, uint32_t dataLength, uint32_t window = 0x10, uint32_t keyA = 7,
              uint32_t keyB = 8) {
  PacketHeader h;
  h.command = command;
  h.dataLength = dataLength;
  h.fragmentLast = dataLength;
  h.replyWindow = window;
  h.segmentKeyA = keyA;
  h.segmentKeyB = keyB;
  Bytes m(PacketHeader::kSize + dataLength);
  h.writeTo(m.data(), uint32_t(m.size()));
  for (uint32_t i = 0; i < dataLength; ++i) m[PacketHeader::kSize + i] = uint8_t(i * 7);
  return m;
}

class Emulator : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(emu.open("VRVCDSS", nullptr).ok);
    ASSERT_TRUE(emu.open("VRVCCFA", nullptr).ok);
  }
  ClientEmulator::Result relayWrites(ClientEmulator::Channel ch, const Bytes& p) {
    return emu.write(ch, p.data(), p.size());
  }
  RecordingLink link;
  ClientEmulator emu{link};
};

TEST_F(Emulator, AnswersEachRequestWithItsCommandWindowAndSegmentKeys) {
  for (uint32_t command : {5u, 2u}) {
    link.dss.clear();
    Bytes request = message(command, 10, 0x1234, 42, 4711);
    relayWrites(ClientEmulator::Dss, request);
    ASSERT_EQ(1u, link.dss.size());
    PacketHeader r = headerOf(link.dss[0]);
    EXPECT_EQ(PacketHeader::kMagic, r.magic);
    EXPECT_EQ(command, r.command);
    EXPECT_EQ(0x1234u, r.replyWindow);
    EXPECT_EQ(42u, r.segmentKeyA);
    EXPECT_EQ(4711u, r.segmentKeyB);
    EXPECT_EQ(10u, r.dataLength);
    EXPECT_EQ(0u, r.fragmentFirst);
    EXPECT_EQ(10u, r.fragmentLast);
    EXPECT_EQ(Bytes(request.begin() + 44, request.end()), Bytes(link.dss[0].begin() + 44, link.dss[0].end()));
  }
}

TEST_F(Emulator, KeepAlivesAndHellosFromTheRelayAreRecordedButNotAnswered) {
  relayWrites(ClientEmulator::Dss, message(132, 0));
  EXPECT_THAT(link.dss, IsEmpty());
  EXPECT_EQ(1u, emu.packets(ClientEmulator::Dss).size());
  EXPECT_EQ(1u, emu.requests().size());
}

TEST_F(Emulator, PutsFragmentedRequestsTogetherInAnyOrder) {
  Bytes whole = message(9, 3000);
  PacketHeader h = headerOf(whole);
  h.sequenceNo = 77;
  std::vector<Bytes> parts = ClientEmulator::chunk(h, Bytes(whole.begin() + 44, whole.end()));
  ASSERT_EQ(2u, parts.size());
  relayWrites(ClientEmulator::Dss, parts[1]);
  EXPECT_THAT(link.dss, IsEmpty());
  relayWrites(ClientEmulator::Dss, parts[0]);
  ASSERT_EQ(1u, emu.requests().size());
  Bytes got = emu.requests()[0];
  EXPECT_EQ(3044u, got.size());
  EXPECT_EQ(Bytes(whole.begin() + 44, whole.end()), Bytes(got.begin() + 44, got.end()));
  EXPECT_EQ(2u, link.dss.size()) << "the echo of 3000 bytes goes out in two packets";
}

struct ChunkCase {
  uint32_t dataLength;
  std::vector<std::vector<uint32_t>> packets;  // {fragmentFirst, fragmentLast, packet size}
};

class EmulatorChunks : public Emulator, public ::testing::WithParamInterface<ChunkCase> {};

TEST_P(EmulatorChunks, CutLikeTheRelay) {
  emu.control("replysize " + std::to_string(GetParam().dataLength));
  relayWrites(ClientEmulator::Dss, message(3, 0));
  ASSERT_EQ(GetParam().packets.size(), link.dss.size());
  uint32_t sequence = headerOf(link.dss[0]).sequenceNo;
  for (size_t i = 0; i < link.dss.size(); ++i) {
    PacketHeader h = headerOf(link.dss[i]);
    EXPECT_EQ(GetParam().packets[i], (std::vector<uint32_t>{h.fragmentFirst, h.fragmentLast,
                                                            uint32_t(link.dss[i].size())}));
    EXPECT_EQ(GetParam().dataLength, h.dataLength);
    EXPECT_EQ(sequence, h.sequenceNo);
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, EmulatorChunks,
                         ::testing::Values(ChunkCase{0, {{0, 0, 44}}},
                                           ChunkCase{1556, {{0, 1556, 1600}}},
                                           ChunkCase{1557, {{1, 1556, 1600}, {1557, 1557, 45}}},
                                           ChunkCase{4000,
                                                     {{1, 1556, 1600},
                                                      {1557, 3112, 1600},
                                                      {3113, 4000, 932}}}));

TEST_F(Emulator, OutOfOrderSendsTheLastFragmentFirst) {
  emu.control("outoforder on");
  emu.control("notify 1000 99 3000");
  ASSERT_EQ(2u, link.dss.size());
  EXPECT_EQ(1557u, headerOf(link.dss[0]).fragmentFirst);
  EXPECT_EQ(1u, headerOf(link.dss[1]).fragmentFirst);
}

TEST_F(Emulator, SequenceNumbersRunFrom1To99999AndNeverZero) {
  for (int i = 0; i < 99999; ++i) emu.keepAlive();
  EXPECT_EQ(1u, headerOf(link.dss.front()).sequenceNo);
  EXPECT_EQ(99999u, headerOf(link.dss.back()).sequenceNo);
  emu.keepAlive();
  EXPECT_EQ(1u, headerOf(link.dss.back()).sequenceNo);
}

TEST_F(Emulator, NotificationsCarryTheirWindowAndData) {
  EXPECT_EQ("ok", emu.control("notify 1001 0x5566 3"));
  ASSERT_EQ(1u, link.dss.size());
  PacketHeader h = headerOf(link.dss[0]);
  EXPECT_EQ(1001u, h.command);
  EXPECT_EQ(0x5566u, h.replyWindow);
  EXPECT_EQ(Bytes({0, 1, 2}), Bytes(link.dss[0].begin() + 44, link.dss[0].end()));
}

TEST_F(Emulator, DroppedSessionCutsTheChannelsAndRefusesUntilRestored) {
  EXPECT_EQ(0u, emu.connectState().value);
  EXPECT_EQ("ok", emu.control("drop"));
  EXPECT_EQ(4u, emu.connectState().value);
  EXPECT_THAT(link.disconnected, ElementsAre(ClientEmulator::Dss, ClientEmulator::Cfa));
  EXPECT_FALSE(emu.open("VRVCDSS", nullptr).ok);
  ClientEmulator::Result w = relayWrites(ClientEmulator::Dss, message(3, 0));
  EXPECT_FALSE(w.ok);
  EXPECT_EQ(ClientEmulator::kErrorNotConnected, w.value);
  EXPECT_EQ("error channel not open", emu.control("notify 1000 1"));
  EXPECT_THAT(link.dss, IsEmpty()) << "nothing reaches a relay whose channel is cut";

  EXPECT_EQ("ok", emu.control("restore"));
  EXPECT_EQ(0u, emu.connectState().value);
  EXPECT_TRUE(emu.open("VRVCDSS", nullptr).ok);
  EXPECT_TRUE(relayWrites(ClientEmulator::Dss, message(3, 0)).ok);
}

TEST_F(Emulator, WriteKnobsShortenOrRefuseAndCfaIsEchoed) {
  Bytes twelve(12, 0);
  emu.control("shortwrite cfa on");
  ClientEmulator::Result r = relayWrites(ClientEmulator::Cfa, twelve);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(11u, r.value);
  EXPECT_THAT(link.cfa, ElementsAre(twelve));

  emu.control("cfaecho off");
  emu.control("fail cfa write on");
  r = relayWrites(ClientEmulator::Cfa, twelve);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(1u, link.cfa.size());

  emu.control("fail dss open on");
  emu.close(ClientEmulator::Dss);
  EXPECT_FALSE(emu.open("VRVCDSS", nullptr).ok);
  EXPECT_FALSE(emu.open("VRVCXXX", nullptr).ok) << "only the two channels exist";
}

TEST_F(Emulator, BadPacketsFromTheRelayAreRecordedAndIgnored) {
  PacketHeader h;
  h.command = 3;
  h.dataLength = 0xFFFFFFF0;  // would need gigabytes
  h.fragmentFirst = 1;
  h.fragmentLast = 10;
  Bytes huge(54);
  h.writeTo(huge.data(), 54);
  h.dataLength = 100;
  h.fragmentFirst = 90;
  h.fragmentLast = 120;  // past dataLength
  Bytes past(54 + 31);
  h.writeTo(past.data(), uint32_t(past.size()));
  for (const Bytes& p : {Bytes(10, 1), huge, past}) relayWrites(ClientEmulator::Dss, p);
  EXPECT_THAT(link.dss, IsEmpty());
  EXPECT_EQ(3u, emu.packets(ClientEmulator::Dss).size());
  EXPECT_THAT(emu.requests(), IsEmpty());
}

TEST_F(Emulator, ControlLinesReportRecordsAndRefuseNonsense) {
  relayWrites(ClientEmulator::Cfa, Bytes{0xAB, 0x01});
  EXPECT_EQ("ok ab01", emu.control("packet cfa 0"));
  EXPECT_EQ("error no such packet", emu.control("packet cfa 1"));
  EXPECT_EQ("ok", emu.control("raw cfa 00ff"));
  EXPECT_EQ(Bytes({0x00, 0xFF}), link.cfa.back());
  EXPECT_THAT(emu.control("stats"), StartsWith("ok state=0 dssopen=1 dss=0 dssopens=1"));
  EXPECT_THAT(emu.control("stats"), HasSubstr(" cfa=1 "));
  for (const char* bad : {"", "frobnicate", "notify", "notify x 1", "notify 1 99999999999",
                          "raw dss 0g", "raw dss abc", "packet tcp 0", "fail dss read on",
                          "replysize -3", "mute maybe", "send 1 2 3"})
    EXPECT_THAT(emu.control(bad), StartsWith("error")) << bad;
  EXPECT_FALSE(emu.quitRequested());
  EXPECT_EQ("ok", emu.control("quit"));
  EXPECT_TRUE(emu.quitRequested());
}

TEST_F(Emulator, MuteStopsAnswersAndResetClearsRecords) {
  emu.control("mute on");
  relayWrites(ClientEmulator::Dss, message(3, 4));
  EXPECT_THAT(link.dss, IsEmpty());
  EXPECT_EQ(1u, emu.requests().size());
  emu.control("reset");
  EXPECT_THAT(emu.requests(), IsEmpty());
  EXPECT_THAT(emu.packets(ClientEmulator::Dss), IsEmpty());
}

}  // namespace
}  // namespace vcb::testing
