#include "vcbridge/channels/SegmentMessage.h"

#include <cstring>

#include "vcbridge/ipc/SharedMemory.h"

namespace vcb {

SegmentRead readSegmentMessage(const uint8_t* bytes, uint32_t size, PacketHeader* header,
                               std::vector<uint8_t>* data) {
  data->clear();
  if (!header->readFrom(bytes, size)) return SegmentRead::tooShort;
  const uint32_t room = size - PacketHeader::kSize;
  const bool fits = header->dataLength <= room;
  const uint32_t n = fits ? header->dataLength : room;
  data->assign(bytes + PacketHeader::kSize, bytes + PacketHeader::kSize + n);
  return fits ? SegmentRead::ok : SegmentRead::pastEnd;
}

bool writeSegmentMessage(uint8_t* bytes, uint32_t size, const PacketHeader& header,
                         const uint8_t* data, uint32_t length) {
  if (!bytes || size < PacketHeader::kSize || length > size - PacketHeader::kSize) return false;
  if (length && !data) return false;
  header.writeTo(bytes, size);
  if (length) std::memcpy(bytes + PacketHeader::kSize, data, length);
  return true;
}

SegmentRead readNotifySlot(const uint8_t* ring, uint32_t ringSize, uint32_t slot,
                           PacketHeader* header, std::vector<uint8_t>* data) {
  *header = PacketHeader();
  data->clear();
  if (!ring || slot >= kNotifySlots || (slot + 1) * kNotifySlotSize > ringSize)
    return SegmentRead::tooShort;
  return readSegmentMessage(ring + slot * kNotifySlotSize, kNotifySlotSize, header, data);
}

}  // namespace vcb
