#include "vcbridge/channels/RequestData.h"

#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/core/Exception.h"
#include "vcbridge/core/Log.h"
#include "vcbridge/ipc/SharedMemory.h"

namespace vcb {

CBinary RequestData::Read(int32_t keyA, int32_t keyB) {
  try {
    auto segment = Singleton<SharedMemoryManager>::get()->get(keyA, keyB);
    const uint32_t size = segment->size();
    PacketHeader header;
    if (!segment->view() || !header.readFrom(segment->view(), size)) throw Exception(DSSVCERR_NO_SEGMENT);
    // The length comes from the application; a request never reaches past
    // its own segment.
    if (header.dataLength > size - PacketHeader::kSize) {
      log::Error("[0x%08X]\t%s\t%s\tINVALID DATA LENGTH = %u (MAX %u)", log::Addr(this), "VCB\tRequestData",
                 "Read", header.dataLength, size - PacketHeader::kSize);
      return CBinary();
    }
    CBinary request(segment->view(), PacketHeader::kSize + header.dataLength);
    // The application may rewrite its segment meanwhile: keep the length
    // that was checked.
    request.setWord(PacketHeader::dataLengthOffset, header.dataLength);
    return request;
  } catch (...) {
    log::Error("EXCEPTION:RequestData::Read()");
    return CBinary();
  }
}

}  // namespace vcb
