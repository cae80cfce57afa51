#include "vcbridge/channels/VirtualChannelObserver.h"

#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/channels/VirtualChannel.h"
#include "vcbridge/core/Kernel.h"
#include "vcbridge/core/Log.h"

namespace vcb {

namespace {
constexpr const char* kClass = "VCB\tVirtualChannelObserver";
}  // namespace

VirtualChannelObserver::VirtualChannelObserver()
    : handler_(new ResponceHandler()), wake_(kernel().createEvent(L"", false, false, Security::Default)) {}

VirtualChannelObserver::~VirtualChannelObserver() {
  waitForThreadEnd();
  std::lock_guard<std::mutex> g(stopLock_);
  if (readsHeld_ && VirtualChannel::exists()) VirtualChannel::get()->releaseReads();
  readsHeld_ = false;
}

void VirtualChannelObserver::stop() {
  std::lock_guard<std::mutex> g(stopLock_);
  setRunning(false);
  if (!readsHeld_ && VirtualChannel::exists()) {
    VirtualChannel::get()->holdReads();
    readsHeld_ = true;
  }
  wake();
}

void VirtualChannelObserver::resume() {
  std::lock_guard<std::mutex> g(stopLock_);
  setRunning(true);
  if (readsHeld_ && VirtualChannel::exists()) VirtualChannel::get()->releaseReads();
  readsHeld_ = false;
}

void VirtualChannelObserver::wake() {
  if (!wake_.isNull()) kernel().setEvent(wake_.get());
}

void VirtualChannelObserver::pause() {
  if (wake_.isNull())
    kernel().sleep(kPauseMs);
  else
    kernel().wait(wake_.get(), kPauseMs);
}

void VirtualChannelObserver::run() {
  while (isRunning()) {
    bool pauseNow = false;
    try {
      pauseNow = !receiveOnce();
    } catch (const Exception&) {
      throw;  // ends the thread with its code; the main thread reports it
    } catch (...) {
      log::Error("[0x%08X]\t%s\t%s\tEXCEPTION:VirtualChannelObserver::Run()", log::Addr(this), kClass, "Run");
      pauseNow = true;  // whatever failed would most likely fail again at once
    }
    if (pauseNow && isRunning()) pause();
  }
}

bool VirtualChannelObserver::receiveOnce() {
  CBinary buffer(ChunkAssembler::kReceiveBufferSize);
  uint32_t bytesRead = 0;
  uint32_t connection = connection_;
  auto channel = VirtualChannel::get();
  // Read logs "VirtualChannel is not open" itself when there is no transport.
  if (!channel->Read(buffer, bytesRead, kReadTimeoutMs, &connection)) {
    if (!channel->transport()) return false;
    const uint32_t error = kernel().lastError();
    // A time-out is the idle case, a cancellation a stop or a reopen: read
    // again at once (the loop checks its flag first).
    return error == kErrorIoIncomplete || error == kWaitTimeout || error == kErrorOperationAborted;
  }
  if (connection != connection_) {
    // Fragments of the old connection must not complete messages of the new one.
    receiver_.Restart();
    connection_ = connection;
  }
  if (bytesRead < PacketHeader::kSize) {
    log::Warn("[0x%08X]\t%s\t%s\tFAILURE:VirtualChannel::Read() incomplete data", log::Addr(this), kClass, "Open");
    return true;
  }
  boost::shared_ptr<CBinary> message = receiver_.AddPacket(buffer, bytesRead);
  if (message) {
    handler_->PerformProcess(CBinary(*message));
  } else if (receiver_.lastFault() == ChunkAssembler::Fault::TooLong) {
    // The application waits for this answer: tell it that it cannot have it.
    PacketHeader h;
    h.readFrom(buffer);
    if (h.fragmentFirst == 1) handler_->PerformOversizeProcess(h);
  }
  return true;
}

}  // namespace vcb
