#include "vcbridge/core/Mutex.h"

namespace vcb {

bool Mutex::create(bool initiallyOwned, const std::wstring& name, Security sec) {
  if (!handle_.isNull()) return false;
  bool existed = false;
  Handle h = kernel().createMutex(name, initiallyOwned, sec, &existed);
  handle_.reset(h);
  if (initiallyOwned && existed) return false;
  return !handle_.isNull();
}

void Mutex::lock() {
  if (!handle_.isNull()) kernel().wait(handle_.get(), kInfinite);
}

void Mutex::unlock() {
  if (!handle_.isNull()) kernel().releaseMutex(handle_.get());
}

void Mutex::releaseAndClose() {
  unlock();
  handle_.close();
}

}  // namespace vcb
