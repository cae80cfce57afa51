#pragma once
#include <string>

#include "vcbridge/core/Handle.h"

namespace vcb {

// A named mutex shared with the session's applications.
class Mutex {
 public:
  // Create-or-open. False if a handle is already held, or if ownership was
  // asked and the mutex already existed (the handle is then still held).
  bool create(bool initiallyOwned, const std::wstring& name,
              Security sec = Security::NullDaclInheritable);
  void lock();     // no time-out; no-op without a handle
  void unlock();   // no-op without a handle
  void releaseAndClose();
  bool isNull() const { return handle_.isNull(); }
  Handle get() const { return handle_.get(); }

 private:
  KernelHandle handle_;
};

}  // namespace vcb
