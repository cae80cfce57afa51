#include "vcbridge/ipc/DSSSessionEventManager.h"

namespace vcb {

DSSSessionEventManager::DSSSessionEventManager() {
  mutex_.create(false, kSessionEventMutexName, Security::NullDaclInheritable);
}

DSSSessionEventManager::~DSSSessionEventManager() { mutex_.releaseAndClose(); }

void DSSSessionEventManager::lock() {
  if (mutex_.isNull())
    fallback_.lock();
  else
    mutex_.lock();
}

void DSSSessionEventManager::unlock() {
  if (mutex_.isNull())
    fallback_.unlock();
  else
    mutex_.unlock();
}

DSSSessionEventManager::SessionNoticeMap DSSSessionEventManager::sessionNotices() {
  LockGuard g(*this);
  return sessionNotices_;
}

bool DSSSessionEventManager::subscribe(WindowId window, uint32_t message) {
  return sessionNotices_.emplace(window, message).second;
}

bool DSSSessionEventManager::unsubscribe(WindowId window) { return sessionNotices_.erase(window) != 0; }

}  // namespace vcb
