#pragma once
#include <cstdint>

#include "vcbridge/core/Kernel.h"

namespace vcb {

// Transports report failures through the system error, and a log call may
// touch files and the registry on the way; this keeps the error across it.
class KeepLastError {
 public:
  KeepLastError() : error_(kernel().lastError()) {}
  ~KeepLastError() { kernel().setLastError(error_); }
  KeepLastError(const KeepLastError&) = delete;
  KeepLastError& operator=(const KeepLastError&) = delete;
  uint32_t error() const { return error_; }

 private:
  uint32_t error_;
};

}  // namespace vcb
