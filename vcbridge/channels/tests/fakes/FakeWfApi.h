#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "vcbridge/channels/WfApi.h"

namespace vcb::testing {

// An in-process WFAPI for the Citrix transports. Its entry points act on the
// one FakeWfApi alive at the time and set the system error through the
// kernel port (use it with a ScopedFakeKernel). Knobs are plain fields.
class FakeWfApi {
 public:
  enum class WriteMode { Full, Short, Fail };

  FakeWfApi();
  ~FakeWfApi();
  FakeWfApi(const FakeWfApi&) = delete;
  FakeWfApi& operator=(const FakeWfApi&) = delete;

  // Loads this library, or fails with loadError when loadFails is set.
  WfApiLoader loader();

  // Knobs.
  bool loadFails = false;
  uint32_t loadError = 126;
  std::set<std::string> missing;  // entry points the library lacks
  bool openFails = false;
  uint32_t openError = 2;
  std::deque<std::vector<uint8_t>> incoming;  // packets for Read; none: fails with 258 after the time-out
  bool readFails = false;
  uint32_t readError = 5;
  WriteMode writeMode = WriteMode::Full;
  uint32_t writeError = 1;
  bool queryFails = false;
  bool sessionQueryFails = false;
  uint32_t sessionQueryBytes = 4;  // bytes reported with the connect state
  int32_t connectState = 0;

  // What happened.
  std::vector<std::string> calls;  // entry point names in call order
  std::vector<std::vector<uint8_t>> written;
  std::string openedName;
  uint32_t openedSession = 0;
  uint32_t lastTimeout = 0;
  bool libraryLoaded = false;  // between load and free
  int allocations = 0;         // query results not yet freed
  int wrongHandles = 0;        // calls with a handle this fake never gave out
  std::atomic<int> reads{0};   // WFVirtualChannelRead calls; safe to watch from another thread

  static void* channelHandle();
  static FakeWfApi* current();

 private:
  std::set<void*> live_;
  friend struct FakeWfApiAccess;
};

}  // namespace vcb::testing
