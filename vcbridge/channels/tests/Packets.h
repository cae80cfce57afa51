#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "vcbridge/channels/ChunkAssembler.h"
#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/ipc/CBinary.h"

// Builders shared by the framing tests.
namespace vcb::testing {

inline uint8_t dataByte(uint32_t index) { return uint8_t(index * 7 + 3); }

// A request as an application leaves it: header with routing fields, then
// dataLength patterned bytes.
inline CBinary makeMessage(uint32_t dataLength, uint32_t command = 5) {
  CBinary m(PacketHeader::kSize + dataLength);
  PacketHeader h;
  h.command = command;
  h.dataLength = dataLength;
  h.sequenceNo = 777;  // overwritten when sent
  h.replyWindow = 0x00010203;
  h.segmentKeyA = 42;
  h.segmentKeyB = 4711;
  h.writeTo(m);
  for (uint32_t i = 0; i < dataLength; ++i) m.data()[PacketHeader::kSize + i] = dataByte(i);
  return m;
}

inline PacketHeader headerOf(const CBinary& b) {
  PacketHeader h;
  h.readFrom(b);
  return h;
}

// A fragment of a message of dataLength patterned bytes, as the client sends it.
inline CBinary makeFragment(uint32_t sequenceNo, uint32_t dataLength, uint32_t first,
                            uint32_t last) {
  const uint32_t count = last - first + 1;
  CBinary p(PacketHeader::kSize + count);
  PacketHeader h;
  h.command = 1000;
  h.dataLength = dataLength;
  h.fragmentFirst = first;
  h.fragmentLast = last;
  h.sequenceNo = sequenceNo;
  h.writeTo(p);
  for (uint32_t i = 0; i < count; ++i) p.data()[PacketHeader::kSize + i] = dataByte(first - 1 + i);
  return p;
}

// A packet as one channel read leaves it: at the start of a zeroed receive buffer.
struct Received {
  CBinary buffer{ChunkAssembler::kReceiveBufferSize};
  uint32_t bytesRead = 0;
};

inline Received receive(const CBinary& packet) {
  Received r;
  r.bytesRead = std::min(packet.size(), r.buffer.size());
  std::memcpy(r.buffer.data(), packet.data(), r.bytesRead);
  return r;
}

// Every packet of one taken message, in sending order.
inline std::vector<CBinary> drain(ChunkAssembler& a) {
  std::vector<CBinary> packets;
  while (!a.currentPacket().empty()) {
    packets.push_back(a.currentPacket());
    a.NextPacket();
  }
  return packets;
}

}  // namespace vcb::testing
