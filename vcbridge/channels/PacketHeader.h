#pragma once
#include <cstdint>

#include "vcbridge/ipc/CBinary.h"

namespace vcb {

// The 44-byte header of every DSS message, on the channel and in segments.
// All fields are 32-bit little-endian; data follows at offset 44.
struct PacketHeader {
  static constexpr uint32_t kSize = 44;
  static constexpr uint32_t kMagic = 0x43565256;  // "VRVC" as little-endian bytes

  enum Offset : uint32_t {
    magicOffset = 0,
    commandOffset = 4,
    dataLengthOffset = 8,
    fragmentFirstOffset = 12,
    fragmentLastOffset = 16,
    sequenceNoOffset = 20,
    replyWindowOffset = 24,
    segmentKeyAOffset = 28,
    segmentKeyBOffset = 32,
    resultCodeOffset = 36,
    statusCodeOffset = 40,
  };

  uint32_t magic = 0;
  uint32_t command = 0;
  uint32_t dataLength = 0;
  uint32_t fragmentFirst = 0;
  uint32_t fragmentLast = 0;
  uint32_t sequenceNo = 0;
  uint32_t replyWindow = 0;
  uint32_t segmentKeyA = 0;
  uint32_t segmentKeyB = 0;
  uint32_t resultCode = 0;
  uint32_t statusCode = 0;

  // From the first 44 bytes; false (header left zero) when fewer are there.
  bool readFrom(const uint8_t* bytes, uint32_t size);
  bool readFrom(const CBinary& b) { return readFrom(b.data(), b.size()); }
  // Into the first 44 bytes; false when the buffer is shorter.
  bool writeTo(uint8_t* bytes, uint32_t size) const;
  bool writeTo(CBinary& b) const { return writeTo(b.data(), b.size()); }
};

}  // namespace vcb
