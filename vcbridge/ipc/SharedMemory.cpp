#include "vcbridge/ipc/SharedMemory.h"

#include <boost/make_shared.hpp>

#include <cstdio>

#include "vcbridge/core/Exception.h"

namespace vcb {

namespace {

const wchar_t kCfaName[] = L"VARNETH_DSS_SMEM_CFA";
const wchar_t kCfaMutexName[] = L"VARNETH_DSS_SMEM_CFA_MUTEX";

// "%08d" pads to eight characters sign included, as the applications'
// printf does: -5 gives "-0000005".
std::wstring keyedName(const char* stem, int32_t keyA, int32_t keyB) {
  char text[80];
  int n = std::snprintf(text, sizeof(text), "%s=%08d_%d", stem, static_cast<int>(keyA),
                        static_cast<int>(keyB));
  return std::wstring(text, text + (n > 0 ? n : 0));
}

// Maps the whole mapping; nullptr also when fewer than `needed` bytes can be
// touched, so that a segment made too small by another program can never
// be read or written past its end.
uint8_t* mapAtLeast(Handle mapping, uint32_t needed) {
  void* view = kernel().mapView(mapping);
  if (view && kernel().viewSize(view) < needed) {
    kernel().unmapView(view);
    view = nullptr;
  }
  return static_cast<uint8_t*>(view);
}

}  // namespace

std::wstring segmentName(int32_t keyA, int32_t keyB) {
  return keyedName("VARNETH_DSS_SMEM", keyA, keyB);
}

std::wstring segmentMutexName(int32_t keyA, int32_t keyB) {
  return keyedName("VARNETH_DSS_SMEM_MUTEX", keyA, keyB);
}

// ---- SharedMemory ----

SharedMemory::SharedMemory(int32_t keyA, int32_t keyB, bool createIfMissing)
    : name_(segmentName(keyA, keyB)), keyA_(keyA), keyB_(keyB) {
  Handle h = kernel().openFileMapping(name_);
  if (!h) {
    if (!createIfMissing) throw Exception(DSSVCERR_NO_SEGMENT);
    h = kernel().createFileMapping(name_, kSegmentSize, Security::NullDaclInheritable);
    if (!h) throw Exception(DSSVCERR_CREATE_FAILED);
  }
  mapping_.reset(h);
  view_ = mapAtLeast(mapping_.get(), kSegmentSize);
  if (!view_) throw Exception(DSSVCERR_CREATE_FAILED);
  try {
    mutex_ = boost::make_shared<Mutex>();
    // The relay only keeps the applications' mutex alive; it never waits on it.
    mutex_->create(false, segmentMutexName(keyA_, keyB_), Security::NullDaclInheritable);
  } catch (...) {
    kernel().unmapView(view_);
    throw;
  }
}

SharedMemory::~SharedMemory() {
  if (view_) kernel().unmapView(view_);
  view_ = nullptr;
  mapping_.close();
  if (mutex_) mutex_->releaseAndClose();
}

uint32_t SharedMemory::size() const { return view_ ? kSegmentSize : 0; }

// ---- SharedMemoryManager ----

void SharedMemoryManager::initialise() {
  std::lock_guard<std::mutex> g(lock_);
  if (initialised_) throw Exception(DSSVCERR_ALREADY_INITIALISED);
  initialised_ = true;
}

boost::shared_ptr<SharedMemory> SharedMemoryManager::get(int32_t keyA, int32_t keyB) {
  std::wstring name = segmentName(keyA, keyB);
  std::lock_guard<std::mutex> g(lock_);
  if (!initialised_) throw Exception(DSSVCERR_NOT_INITIALISED);
  auto it = segments_.find(name);
  if (it != segments_.end()) return it->second;
  // A failed open throws before anything is inserted, so a later request
  // tries again once the application has made its segment.
  auto segment = boost::make_shared<SharedMemory>(keyA, keyB, false);
  segments_.emplace(name, segment);
  return segment;
}

void SharedMemoryManager::clear() {
  std::map<std::wstring, boost::shared_ptr<SharedMemory>> dropped;
  {
    std::lock_guard<std::mutex> g(lock_);
    if (!initialised_) throw Exception(DSSVCERR_NOT_INITIALISED);
    dropped.swap(segments_);
    initialised_ = false;
  }
  // Views and handles close here, outside the lock.
}

size_t SharedMemoryManager::cachedCount() {
  std::lock_guard<std::mutex> g(lock_);
  return segments_.size();
}

// ---- SharedMemory_CFA ----

SharedMemory_CFA::SharedMemory_CFA() {
  Handle h = kernel().openFileMapping(kCfaName);
  if (!h) h = kernel().createFileMapping(kCfaName, kSegmentSize, Security::NullDaclInheritable);
  if (!h) {
    kernel().debugOutput(
        "EXCEPTION:SharedMemory_CFA::SharedMemory_CFA() マッピングオブジェクトオープン失敗");
    throw Exception(DSSVCERR_CREATE_FAILED);
  }
  mapping_.reset(h);
  view_ = mapAtLeast(mapping_.get(), kSegmentSize);
  if (!view_) {
    kernel().debugOutput("EXCEPTION:SharedMemory_CFA::SharedMemory_CFA() マッピング失敗");
    throw Exception(DSSVCERR_CREATE_FAILED);
  }
  // Taken per request by the CFA loop, not here.
  mutex_.reset(kernel().createMutex(kCfaMutexName, false, Security::Default, nullptr));
}

SharedMemory_CFA::~SharedMemory_CFA() {
  if (view_) kernel().unmapView(view_);
  view_ = nullptr;
  mapping_.close();
  mutex_.close();
}

uint32_t SharedMemory_CFA::size() const { return view_ ? kSegmentSize : 0; }

// ---- NotifySharedMemory ----

NotifySharedMemory::NotifySharedMemory() {
  Handle h = kernel().openFileMapping(name_);
  if (!h) h = kernel().createFileMapping(name_, kNotifyRingSize, Security::NullDaclInheritable);
  if (!h) throw Exception(DSSVCERR_CREATE_FAILED);
  mapping_.reset(h);
  view_ = mapAtLeast(mapping_.get(), kNotifyRingSize);
  if (!view_) {
    mapping_.close();
    throw Exception(DSSVCERR_CREATE_FAILED);
  }
}

NotifySharedMemory::~NotifySharedMemory() {
  if (view_) kernel().unmapView(view_);
  view_ = nullptr;
  mapping_.close();
}

}  // namespace vcb
