#pragma once
#include <cstdint>
#include <vector>

#include "vcbridge/channels/PacketHeader.h"

namespace vcb {

// One DSS message as it lies at the start of a segment or of a notification
// slot: the header, then dataLength bytes. Reading never leaves the bytes it
// is given, whatever the header claims.
enum class SegmentRead {
  ok,
  tooShort,  // fewer than 44 bytes: no header
  pastEnd,   // dataLength runs past the end; data holds only what is there
};

SegmentRead readSegmentMessage(const uint8_t* bytes, uint32_t size, PacketHeader* header,
                               std::vector<uint8_t>* data);

// Writes header then length data bytes at offset 0; false (nothing written)
// when they do not fit into size bytes. The header goes out as given.
bool writeSegmentMessage(uint8_t* bytes, uint32_t size, const PacketHeader& header,
                         const uint8_t* data, uint32_t length);

// Slot `slot` of a notification ring of ringSize bytes; tooShort when the
// slot lies outside the ring.
SegmentRead readNotifySlot(const uint8_t* ring, uint32_t ringSize, uint32_t slot,
                           PacketHeader* header, std::vector<uint8_t>* data);

}  // namespace vcb
