#include "vcbridge/channels/PacketHeader.h"

namespace vcb {

namespace {
uint32_t load(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void store(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}
}  // namespace

bool PacketHeader::readFrom(const uint8_t* b, uint32_t size) {
  *this = PacketHeader();
  if (!b || size < kSize) return false;
  uint32_t* fields[] = {&magic,        &command,     &dataLength,  &fragmentFirst,
                        &fragmentLast, &sequenceNo,  &replyWindow, &segmentKeyA,
                        &segmentKeyB,  &resultCode,  &statusCode};
  for (uint32_t i = 0; i < 11; ++i) *fields[i] = load(b + 4 * i);
  return true;
}

bool PacketHeader::writeTo(uint8_t* b, uint32_t size) const {
  if (!b || size < kSize) return false;
  const uint32_t fields[] = {magic,        command,    dataLength,  fragmentFirst,
                             fragmentLast, sequenceNo, replyWindow, segmentKeyA,
                             segmentKeyB,  resultCode, statusCode};
  for (uint32_t i = 0; i < 11; ++i) store(b + 4 * i, fields[i]);
  return true;
}

}  // namespace vcb
