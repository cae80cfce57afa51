#pragma once
#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "vcbridge/core/Handle.h"
#include "vcbridge/core/Mutex.h"
#include "vcbridge/core/Singleton.h"

namespace vcb {

inline constexpr uint32_t kSegmentSize = 20000;        // a DSS segment and the CFA segment
inline constexpr uint32_t kNotifyRingSize = 4800;      // 50 slots of 96 bytes
inline constexpr uint32_t kNotifySlotSize = 96;
inline constexpr uint32_t kNotifySlots = 50;

std::wstring segmentName(int32_t keyA, int32_t keyB);       // "VARNETH_DSS_SMEM=%08d_%d"
std::wstring segmentMutexName(int32_t keyA, int32_t keyB);  // "VARNETH_DSS_SMEM_MUTEX=%08d_%d"

// One application's DSS segment, mapped whole. Throws Exception 1 when it
// does not exist (and create is false), 4 when it cannot be made or mapped,
// or when the existing mapping is smaller than a segment.
class SharedMemory {
 public:
  SharedMemory(int32_t keyA, int32_t keyB, bool createIfMissing);
  virtual ~SharedMemory();
  SharedMemory(const SharedMemory&) = delete;
  SharedMemory& operator=(const SharedMemory&) = delete;

  virtual uint32_t size() const;  // 20000 while mapped, otherwise 0
  uint8_t* view() const { return view_; }
  const std::wstring& name() const { return name_; }

 private:
  KernelHandle mapping_;
  uint8_t* view_ = nullptr;
  std::wstring name_;
  int32_t keyA_;
  int32_t keyB_;
  boost::shared_ptr<Mutex> mutex_;
};

// The relay's cache of opened DSS segments, by name.
class SharedMemoryManager : public Singleton<SharedMemoryManager> {
 public:
  void initialise();                                            // 15 when called twice
  // The cached segment, else opens it (never creates it); 14 before initialise.
  boost::shared_ptr<SharedMemory> get(int32_t keyA, int32_t keyB);
  void clear();                                                 // 14 before initialise
  size_t cachedCount();

 private:
  std::map<std::wstring, boost::shared_ptr<SharedMemory>> segments_;
  std::mutex lock_;
  bool initialised_ = false;
};

// "VARNETH_DSS_SMEM_CFA" (opened, else created) and its mutex
// "VARNETH_DSS_SMEM_CFA_MUTEX", which the CFA loop takes per request.
// Throws Exception 4 when the segment cannot be made or mapped.
class SharedMemory_CFA {
 public:
  SharedMemory_CFA();
  virtual ~SharedMemory_CFA();
  SharedMemory_CFA(const SharedMemory_CFA&) = delete;
  SharedMemory_CFA& operator=(const SharedMemory_CFA&) = delete;

  virtual uint32_t size() const;
  uint8_t* view() const { return view_; }
  Handle mutex() const { return mutex_.get(); }

 private:
  KernelHandle mapping_;
  uint8_t* view_ = nullptr;
  KernelHandle mutex_;
};

// The notification ring "VARNETH_DSS_SMEM_NOTIFY" (opened, else created).
// Throws Exception 4 when it cannot be made or mapped.
class NotifySharedMemory {
 public:
  NotifySharedMemory();
  virtual ~NotifySharedMemory();
  NotifySharedMemory(const NotifySharedMemory&) = delete;
  NotifySharedMemory& operator=(const NotifySharedMemory&) = delete;

  uint32_t size() const { return view_ ? kNotifyRingSize : 0; }
  uint8_t* view() const { return view_; }

 private:
  KernelHandle mapping_;
  uint8_t* view_ = nullptr;
  std::wstring name_ = L"VARNETH_DSS_SMEM_NOTIFY";
};

}  // namespace vcb
