#include "vcbridge/channels/ResponceData.h"

#include <cstring>

#include "vcbridge/core/Exception.h"
#include "vcbridge/core/Log.h"
#include "vcbridge/ipc/SharedMemory.h"

namespace vcb {

bool ResponceData::Write(const CBinary& message, int32_t keyA, int32_t keyB) {
  try {
    auto segment = Singleton<SharedMemoryManager>::get()->get(keyA, keyB);
    if (segment->size() < message.size() || !segment->view()) throw Exception(DSSVCERR_NO_SEGMENT);
    if (message.empty()) return true;
    std::memset(segment->view(), 0, message.size());
    std::memcpy(segment->view(), message.data(), message.size());
    return true;
  } catch (...) {
    log::Error("EXCEPTION:ResponceData::Write()");
    return false;
  }
}

}  // namespace vcb
