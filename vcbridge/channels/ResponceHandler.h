#pragma once
#include <boost/shared_ptr.hpp>

#include <cstdint>

#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/channels/ResponceData.h"
#include "vcbridge/ipc/CBinary.h"
#include "vcbridge/ipc/SharedMemory.h"

namespace vcb {

// The notification ring and the slot written last. Slots are used round
// robin without a lock: an application copies its slot out as soon as it
// is told, long before 49 more notifications come round to it.
class NotifyData {
 public:
  NotifyData();  // opens (or creates) the ring; left unmapped if that fails

  // Advances to the next slot (1, 2, ... 49, 0, 1, ...) and returns it.
  uint32_t nextIndex();
  uint8_t* view() const { return segment_ ? segment_->view() : nullptr; }
  uint32_t index() const { return index_; }

  static constexpr uint32_t kCapacity = kNotifySlots;

 private:
  boost::shared_ptr<NotifySharedMemory> segment_;
  uint32_t index_ = 0;
};

// Takes each complete message the read loop receives from the client and
// hands it to the application it belongs to. Runs on the read-loop thread.
// A message whose replyWindow is the relay's own window is refused: the
// relay would read its own completion as a new request.
class ResponceHandler {
 public:
  void PerformProcess(const CBinary& message);
  // Into the segment named by the message's keys, then "WMSZ_DSS_COMMAND",
  // also when the write failed (the application then finds its segment unchanged).
  void PerformResponceProcess(const CBinary& message);
  // Into the next ring slot, then "WMSZ_DSS_NOTIFY" with the slot as LPARAM;
  // nothing is announced when it cannot be stored.
  void PerformNotifyProcess(const CBinary& message);
  // An answer too big for any segment (header of its first fragment): the
  // application gets its completion with resultCode 1 and no data instead
  // of waiting for ever. Keep-alives and notifications get nothing.
  void PerformOversizeProcess(const PacketHeader& first);

  const NotifyData& notifyData() const { return notifyData_; }

 private:
  void closeWindow(uint32_t replyWindow);

  ResponceData responceData_;
  NotifyData notifyData_;
};

}  // namespace vcb
