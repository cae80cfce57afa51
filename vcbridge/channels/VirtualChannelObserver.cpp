#include "vcbridge/channels/VirtualChannelObserver.h"

#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/channels/VirtualChannel.h"
#include "vcbridge/core/Kernel.h"
#include "vcbridge/core/Log.h"

namespace vcb {

namespace {
constexpr const char* kClass = "VCB\tVirtualChannelObserver";
}  // namespace

VirtualChannelObserver::VirtualChannelObserver() : handler_(new ResponceHandler()) {}

VirtualChannelObserver::~VirtualChannelObserver() { waitForThreadEnd(); }

void VirtualChannelObserver::run() {
  while (isRunning()) {
    bool pause = false;
    try {
      pause = !receiveOnce();
    } catch (const Exception&) {
      throw;  // ends the thread with its code; the main thread reports it
    } catch (...) {
      log::Error("[0x%08X]\t%s\t%s\tEXCEPTION:VirtualChannelObserver::Run()", log::Addr(this), kClass, "Run");
      pause = true;  // whatever failed would most likely fail again at once
    }
    if (pause && isRunning()) kernel().sleep(kPauseMs);
  }
}

bool VirtualChannelObserver::receiveOnce() {
  CBinary buffer(ChunkAssembler::kReceiveBufferSize);
  uint32_t bytesRead = 0;
  auto channel = VirtualChannel::get();
  // Read logs "VirtualChannel is not open" itself when there is no transport.
  if (!channel->Read(buffer, bytesRead, kReadTimeoutMs)) {
    if (!channel->transport()) return false;
    const uint32_t error = kernel().lastError();
    // A time-out is the idle case: read again at once.
    return error == kErrorIoIncomplete || error == kWaitTimeout;
  }
  if (bytesRead < PacketHeader::kSize) {
    log::Warn("[0x%08X]\t%s\t%s\tFAILURE:VirtualChannel::Read() incomplete data", log::Addr(this), kClass, "Open");
    return true;
  }
  boost::shared_ptr<CBinary> message = receiver_.AddPacket(buffer, bytesRead);
  if (message) handler_->PerformProcess(CBinary(*message));
  return true;
}

}  // namespace vcb
