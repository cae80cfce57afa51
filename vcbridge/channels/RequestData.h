#pragma once
#include <cstdint>

#include "vcbridge/ipc/CBinary.h"

namespace vcb {

// Reads the request an application left at offset 0 of its DSS segment.
class RequestData {
 public:
  // Largest dataLength that still ends inside a segment (20000 - 44).
  static constexpr uint32_t kMaxDataLength = 19956;

  // Header plus dataLength bytes; empty (and logged) when the segment cannot
  // be opened or its dataLength runs past the segment's end.
  CBinary Read(int32_t keyA, int32_t keyB);
};

}  // namespace vcb
