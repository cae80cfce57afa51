#include "vcbridge/channels/ResponceHandler.h"

#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/channels/RequestHandler.h"
#include "vcbridge/channels/VirtualChannelObserver.h"
#include "vcbridge/core/Exception.h"
#include "vcbridge/core/Log.h"
#include "vcbridge/ipc/DSSSessionEventManager.h"
#include "vcbridge/ipc/MessagePort.h"

namespace vcb {

namespace {
constexpr const char* kClass = "VCB\tResponceHandler";
}  // namespace

NotifyData::NotifyData() {
  try {
    segment_.reset(new NotifySharedMemory());
  } catch (const Exception& e) {
    // Responses still flow without the ring; each notification is refused
    // with code 4 instead.
    log::Error("[0x%08X]\t%s\t%s\tEXCEPTION:NotifySharedMemory::NotifySharedMemory() ERROR CODE:0x%08X",
               log::Addr(this), "VCB\tNotifyData", "NotifyData", static_cast<uint32_t>(e.code));
  }
}

uint32_t NotifyData::nextIndex() {
  index_ = index_ < kCapacity - 1 ? index_ + 1 : 0;
  return index_;
}

void ResponceHandler::PerformProcess(const CBinary& message) {
  PacketHeader h;
  if (!h.readFrom(message)) return;
  if (h.command == DssCommandKeepAlive) return;
  if (isRelayWindow(h.replyWindow)) {
    log::Error("[0x%08X]\t%s\t%s\tMESSAGE REFUSED: command %u for window 0x%08X, the relay's own window",
               log::Addr(this), kClass, "PerformProcess", h.command, h.replyWindow);
    return;
  }
  if (h.command >= DssNotifyFirst && h.command <= DssNotifyLast) {
    PerformNotifyProcess(message);
    return;
  }
  PerformResponceProcess(message);
  // The window is closed even when its segment could not take the answer.
  if (h.command == DssCommandClose) closeWindow(h.replyWindow);
}

void ResponceHandler::closeWindow(uint32_t replyWindow) {
  auto observer = VirtualChannelObserver::get();
  auto manager = DSSSessionEventManager::get();
  DSSSessionEventManager::LockGuard g(*manager);
  manager->openWindows().erase(replyWindow);
  if (manager->idle()) observer->stop();
}

void ResponceHandler::PerformResponceProcess(const CBinary& message) {
  PacketHeader h;
  h.readFrom(message);
  responceData_.Write(message, static_cast<int32_t>(h.segmentKeyA), static_cast<int32_t>(h.segmentKeyB));
  postCompletion(message);
}

void ResponceHandler::PerformNotifyProcess(const CBinary& message) {
  try {
    PacketHeader h;
    h.readFrom(message);
    const uint64_t length = uint64_t{PacketHeader::kSize} + h.dataLength;
    if (length > kNotifySlotSize) throw Exception(DSSVCERR_NO_SEGMENT);
    const uint32_t slot = notifyData_.nextIndex();
    uint8_t* ring = notifyData_.view();
    if (!ring) throw Exception(DSSVCERR_CREATE_FAILED);
    // Zeroes the slot's used part, then copies what the message holds of it.
    message.copyTo(ring + slot * kNotifySlotSize, static_cast<uint32_t>(length));
    postToPeer(h.replyWindow, registeredMessages().notify, 0, static_cast<intptr_t>(slot));
  } catch (const Exception& e) {
    log::Error("[0x%08X]\t%s\t%s\tEXCEPTION:ResponceData::Write() ERROR CODE:0x%08X", log::Addr(this), kClass,
               "PerformNotifyProcess", static_cast<uint32_t>(e.code));
  } catch (...) {
    log::Error("[0x%08X]\t%s\t%s\tEXCEPTION:ResponceData::Write()", log::Addr(this), kClass,
               "PerformNotifyProcess");
  }
}

}  // namespace vcb

namespace vcb {

void ResponceHandler::PerformOversizeProcess(const PacketHeader& first) {
  if (first.command == DssCommandKeepAlive ||
      (first.command >= DssNotifyFirst && first.command <= DssNotifyLast))
    return;
  log::Error("[0x%08X]\t%s\t%s\tANSWER TOO LARGE: command %u, dataLength %u for segment %u_%u; "
             "resultCode 1 posted",
             log::Addr(this), kClass, "PerformOversizeProcess", first.command, first.dataLength,
             first.segmentKeyA, first.segmentKeyB);
  PacketHeader h = first;
  h.dataLength = 0;
  h.fragmentFirst = 0;
  h.fragmentLast = 0;
  h.resultCode = DSSVCERR_NO_SEGMENT;  // does not fit into the segment
  CBinary message(PacketHeader::kSize);
  h.writeTo(message);
  PerformProcess(message);
}

}  // namespace vcb
