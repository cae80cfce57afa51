#pragma once
// The client end of the relay's two virtual channels, without any transport:
// the logic of vcb_client_emulator.exe (see vcbridge/channels/tests/EMULATOR.md),
// usable in-process by native tests too.
//
// DSS ("VRVCDSS"): packets from the relay are put back together (fragments
// in any order); every complete message except 132 is answered with a
// message of the same command that echoes replyWindow, segmentKeyA and
// segmentKeyB, and carries the request's data (or replysize bytes). Its own
// messages are cut like the relay's: at most 1600-byte packets, 1556 data
// bytes each, fragmentFirst/fragmentLast 1-based inclusive, sequenceNo 1..99999.
// CFA ("VRVCCFA"): every packet is echoed back unless cfaecho is off.
// The session can be dropped (connect state 4: channels cut off, opens and
// writes refused) and restored. Every packet the relay wrote is recorded.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "vcbridge/channels/PacketHeader.h"

namespace vcb::testing {

class ClientEmulator {
 public:
  enum Channel { Dss = 0, Cfa = 1 };
  using Bytes = std::vector<uint8_t>;

  // Where the emulator's packets go. Called with the emulator's lock held:
  // must not block for long nor call back into the emulator.
  class Link {
   public:
    virtual ~Link() = default;
    // One packet towards the relay; false when it could not be delivered.
    virtual bool deliver(Channel ch, const Bytes& packet) = 0;
    // The relay's end of the channel reads no more (session dropped).
    virtual void disconnect(Channel ch) = 0;
  };

  // Outcome of a channel operation; value = bytes written or connect state,
  // or the system error when ok is false.
  struct Result {
    bool ok;
    uint32_t value;
  };

  static constexpr uint32_t kPacketMax = 1600;
  static constexpr uint32_t kChunk = kPacketMax - PacketHeader::kSize;  // 1556
  static constexpr uint32_t kErrorNotConnected = 233;  // ERROR_PIPE_NOT_CONNECTED
  static constexpr uint32_t kErrorInvalidHandle = 6;
  static constexpr uint32_t kErrorNotFound = 2;
  static constexpr uint32_t kErrorRefused = 5;  // a failure the test asked for

  explicit ClientEmulator(Link& link);

  // The relay's side, as the channel doubles forward it.
  Result open(const std::string& channelName, Channel* ch);
  void close(Channel ch);
  Result write(Channel ch, const uint8_t* data, size_t size);
  Result query(Channel ch);
  Result connectState();
  void purge(Channel ch, bool input);

  // One control line, one reply line ("ok ..." or "error ..."); the commands
  // are listed in EMULATOR.md.
  std::string control(const std::string& line);
  bool quitRequested();

  // The same, for in-process use.
  void notify(uint32_t command, uint32_t window, uint32_t dataLength);
  void keepAlive();
  void sendMessage(PacketHeader header, const Bytes& data);  // chunked; sequenceNo stamped
  bool sendRaw(Channel ch, const Bytes& packet);
  void drop();
  void restore();
  std::vector<Bytes> packets(Channel ch);  // every packet the relay wrote, in order
  std::vector<Bytes> requests();           // complete DSS messages from the relay
  bool isOpen(Channel ch);

  // Packets of one message as the relay would cut them (no sequenceNo change).
  static std::vector<Bytes> chunk(const PacketHeader& header, const Bytes& data);

 private:
  struct Partial {
    Bytes message;
    uint32_t received = 0;
  };
  struct ChannelState {
    bool open = false;
    bool failOpen = false, failQuery = false, failWrite = false, shortWrite = false;
    uint32_t opens = 0, closes = 0, purges = 0;
    std::vector<Bytes> packets;
  };

  void fromRelayDss(const Bytes& packet);
  void answer(const Bytes& request);
  void sendMessageLocked(PacketHeader header, const Bytes& data);
  bool deliver(Channel ch, const Bytes& packet);
  void dropLocked();
  std::string stats();

  std::mutex lock_;
  Link& link_;
  ChannelState channels_[2];
  int32_t connectState_ = 0;
  std::map<uint32_t, Partial> partials_;
  std::vector<Bytes> requests_;
  uint32_t sequence_ = 1;
  bool outOfOrder_ = false;
  bool mute_ = false;
  bool cfaEcho_ = true;
  int64_t replySize_ = -1;  // -1: echo the request's data
  uint32_t answered_ = 0, sent_ = 0, undelivered_ = 0;
  bool quit_ = false;
};

}  // namespace vcb::testing
