#include "vcbridge/channels/VirtualChannel.h"

#include "vcbridge/channels/SessionType.h"
#include "vcbridge/core/Exception.h"
#include "vcbridge/core/Kernel.h"
#include "vcbridge/core/Log.h"

namespace vcb {

namespace {
constexpr const char* kClass = "VCB\tVirtualChannel";
constexpr const char* kNotOpen = "[0x%08X]\t%s\t%s\tVirtualChannel is not open";

bool isTimeoutOrCancel(uint32_t error) {
  return error == kErrorIoIncomplete || error == kWaitTimeout || error == kErrorOperationAborted;
}
}  // namespace

VirtualChannel::VirtualChannel()
    : gate_([this](bool cancel) {
        if (transport_) transport_->CancelReads(cancel);
      }) {
  const SessionType type = querySessionType();
  if (type != SessionCitrix && type != SessionRemoteDesktop)
    throw Exception(DSSVCERR_NOT_REMOTE_SESSION);
  transport_ = sessionPlatform().makeDssTransport(type);
  if (!transport_) throw Exception(DSSVCERR_CREATE_FAILED);
}

VirtualChannel::~VirtualChannel() {
  ReadHold hold(gate_);
  std::lock_guard<std::mutex> w(writeLock_);
  std::lock_guard<std::mutex> r(readLock_);
  if (transport_) transport_->Close();
}

bool VirtualChannel::Open() {
  if (!transport_) {
    log::Error(kNotOpen, log::Addr(this), kClass, "Open");
    return false;
  }
  return transport_->Open();
}

bool VirtualChannel::Write(const CBinary& message) {
  if (!transport_) {
    log::Error(kNotOpen, log::Addr(this), kClass, "Write");
    return false;
  }
  // The assembler is shared by every writer, so it is used under the lock
  // that keeps the packets of one message together.
  std::lock_guard<std::mutex> guard(writeLock_);
  const bool taken = sender_.TakeMessage(message);
  while (!sender_.currentPacket().empty()) {
    if (!transport_->Write(sender_.currentPacket())) return false;
    sender_.NextPacket();
  }
  return taken;
}

bool VirtualChannel::Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs, uint32_t* connection) {
  bytesRead = 0;
  if (!transport_) {
    log::Error(kNotOpen, log::Addr(this), kClass, "Read");
    return false;
  }
  // A held gate means a reopen or a stop is under way: keep out of its way
  // instead of taking the read lock again and again.
  if (!gate_.waitUntilFree(kHeldReadWaitMs)) {
    kernel().setLastError(kErrorOperationAborted);
    return false;
  }
  std::lock_guard<std::mutex> guard(readLock_);
  if (connection) *connection = connection_;
  const bool ok = transport_->Read(buffer, bytesRead, timeoutMs);
  if (!ok && !isTimeoutOrCancel(kernel().lastError())) readFailed_ = true;
  return ok;
}

bool VirtualChannel::Reopen() {
  if (!transport_) {
    log::Error(kNotOpen, log::Addr(this), kClass, "Open");
    return false;
  }
  // The cancellation ends a pending read, so the read lock comes free at
  // once; once both locks are held nobody can start another read, and the
  // new connection's own reads must not be cancelled.
  ReadHold hold(gate_);
  std::lock_guard<std::mutex> w(writeLock_);
  std::lock_guard<std::mutex> r(readLock_);
  hold.release();
  // Packets left over from a failed write belong to the old connection: sent
  // on the new one they would complete a request its application was already
  // told had failed (resultCode 9), and its late answer would overwrite the
  // next one in the application's segment.
  if (sender_.hasUnsentPackets()) {
    log::Warn("[0x%08X]\t%s\t%s\tUnsent packets of the last connection dropped", log::Addr(this), kClass, "Open");
    sender_.DiscardUnsent();
  }
  transport_->Close();
  ++connection_;
  readFailed_ = false;
  return transport_->Open();
}

bool VirtualChannel::IsOpen() {
  if (!transport_) return false;
  // A reopen holds this lock around its close and open.
  std::lock_guard<std::mutex> w(writeLock_);
  return transport_->IsOpen();
}

}  // namespace vcb
