#pragma once
#include <cstdint>

#include "vcbridge/ipc/CBinary.h"

namespace vcb {

// Writes a message at offset 0 of an application's DSS segment.
class ResponceData {
 public:
  // Never throws: a failure (no segment, message larger than the segment)
  // is logged and reported as false; the segment is then left unchanged.
  bool Write(const CBinary& message, int32_t keyA, int32_t keyB);
};

}  // namespace vcb
