#include "vcbridge/channels/win32/TerminalServiceVC.h"

#include <windows.h>
#include <wtsapi32.h>

#include "vcbridge/channels/KeepLastError.h"
#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/core/Exception.h"
#include "vcbridge/core/Log.h"

namespace vcb {

namespace {

const char kDss[] = "VCB\tTerminalServiceVC";
const char kCfa[] = "VCB\tTerminalServiceVC_CFA";

// Refresh drains what the client sent; a client that never stops sending
// must not keep it there for ever.
constexpr int kRefreshDrainLimit = 1024;

// Neither signalled. The first, auto-reset, completes reads. The second is
// the cancellation: manual-reset, so a cancel that comes just before a read
// begins still ends it, and it stays set until the cancellation is lifted.
void createEvents(Handle& readDone, Handle& readAbort) {
  readDone = kernel().createEvent(L"", false, false, Security::Default);
  readAbort = kernel().createEvent(L"", true, false, Security::Default);
  if (readDone && readAbort) return;
  if (readDone) kernel().closeHandle(readDone);
  if (readAbort) kernel().closeHandle(readAbort);
  readDone = readAbort = nullptr;
  throw DSSVCERR_EVENT_FAILED;
}

void closeEvents(Handle readDone, Handle readAbort) {
  kernel().closeHandle(readDone);
  kernel().closeHandle(readAbort);
}

// The channel's file handle; nullptr when the query fails or returns nothing usable.
HANDLE queryFileHandle(HANDLE channel) {
  void* data = nullptr;
  DWORD length = 0;
  if (!WTSVirtualChannelQuery(channel, WTSVirtualFileHandle, &data, &length)) return nullptr;
  HANDLE file = nullptr;
  if (data && length >= sizeof(HANDLE)) file = *static_cast<HANDLE*>(data);
  if (data) WTSFreeMemory(data);
  if (!file) SetLastError(ERROR_INVALID_HANDLE);
  return file;
}

enum class ReadOutcome { Done, FailedAtOnce, TimedOut, ResultFailed, Cancelled };

// One overlapped read of the whole buffer, waiting at most timeoutMs or
// until the cancellation is set. On failure the system error is the read's
// own error, 996 (time-out), 258 or 995 (cancelled).
ReadOutcome overlappedRead(HANDLE file, HANDLE readDone, HANDLE readAbort, CBinary& buffer,
                           uint32_t& bytesRead, uint32_t timeoutMs) {
  if (WaitForSingleObject(readAbort, 0) == WAIT_OBJECT_0) {
    SetLastError(ERROR_OPERATION_ABORTED);
    return ReadOutcome::Cancelled;
  }
  ResetEvent(readDone);
  OVERLAPPED ov{};
  ov.hEvent = readDone;
  DWORD n = 0;
  if (ReadFile(file, buffer.data(), buffer.size(), nullptr, &ov)) {
    GetOverlappedResult(file, &ov, &n, FALSE);
    bytesRead = n;
    return ReadOutcome::Done;
  }
  DWORD error = GetLastError();
  if (error != ERROR_IO_PENDING) {
    SetLastError(error);
    return ReadOutcome::FailedAtOnce;
  }
  HANDLE events[2] = {readDone, readAbort};
  const DWORD woken = WaitForMultipleObjects(2, events, FALSE, timeoutMs);
  if (woken != WAIT_OBJECT_0) {
    CancelIo(file);
    // The read must be over before its record and the buffer go away. Data
    // that arrived just before the cancel is kept, not thrown away.
    if (GetOverlappedResult(file, &ov, &n, TRUE)) {
      bytesRead = n;
      return ReadOutcome::Done;
    }
    if (woken == WAIT_OBJECT_0 + 1) {
      SetLastError(ERROR_OPERATION_ABORTED);
      return ReadOutcome::Cancelled;
    }
    SetLastError(ERROR_IO_INCOMPLETE);
    return ReadOutcome::TimedOut;
  }
  if (GetOverlappedResult(file, &ov, &n, FALSE)) {
    bytesRead = n;
    return ReadOutcome::Done;
  }
  SetLastError(WAIT_TIMEOUT);
  return ReadOutcome::ResultFailed;
}

int32_t connectState() {
  LPWSTR data = nullptr;
  DWORD length = 0;
  int32_t state = kConnectStateDisconnected;
  if (WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSConnectState,
                                  &data, &length)) {
    if (data && length >= sizeof(int32_t)) state = *reinterpret_cast<const int32_t*>(data);
  }
  if (data) WTSFreeMemory(data);
  return state;
}

bool wtsWrite(HANDLE channel, const CBinary& message, ULONG& written) {
  written = 0;
  PCHAR data = reinterpret_cast<PCHAR>(const_cast<uint8_t*>(message.data()));
  return WTSVirtualChannelWrite(channel, data, message.size(), &written) != FALSE;
}

}  // namespace

// ---- TerminalServiceVC ----------------------------------------------------

TerminalServiceVC::TerminalServiceVC() { createEvents(readDone_, readAbort_); }

TerminalServiceVC::~TerminalServiceVC() {
  if (channel_) Close();
  closeEvents(readDone_, readAbort_);
}

bool TerminalServiceVC::Open() {
  if (channel_) return false;
  char name[] = "VRVCDSS";
  channel_ = WTSVirtualChannelOpen(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, name);
  if (!channel_) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tFAILURE:TerminalServiceVC::Open()", log::Addr(this), kDss,
               "Open");
    return false;
  }
  // Without a file handle the channel handle stays held: Open keeps failing until Close.
  file_ = queryFileHandle(channel_);
  if (!file_) return open_;

  CBinary hello(PacketHeader::kSize);
  PacketHeader h;
  h.magic = PacketHeader::kMagic;
  h.command = 132;
  h.writeTo(hello);
  if (Write(hello)) open_ = true;
  return open_;
}

void TerminalServiceVC::Close() {
  if (!channel_) return;
  WTSVirtualChannelClose(channel_);
  channel_ = nullptr;
  file_ = nullptr;
  open_ = false;
}

bool TerminalServiceVC::Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs) {
  bytesRead = 0;
  if (!channel_ || !file_) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tVirtualChannel is not open", log::Addr(this), kDss, "Read");
    return false;
  }
  return overlappedRead(file_, readDone_, readAbort_, buffer, bytesRead, timeoutMs) ==
         ReadOutcome::Done;
}

bool TerminalServiceVC::Write(const CBinary& message) {
  if (!channel_) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tVirtualChannel is not open", log::Addr(this), kDss, "Write");
    return false;
  }
  ULONG written = 0;
  if (wtsWrite(channel_, message, written) && written == message.size()) return true;
  KeepLastError keep;
  log::Error("[0x%08X]\t%s\t%s\tFAILURE:TerminalServiceVC::Write()", log::Addr(this), kDss,
             "Write");
  return false;
}

bool TerminalServiceVC::IsOpen() { return channel_ && open_; }

void TerminalServiceVC::CancelReads(bool cancel) {
  cancel ? SetEvent(readAbort_) : ResetEvent(readAbort_);
}

int32_t TerminalServiceVC::GetConnectState() { return connectState(); }

// ---- TerminalServiceVC_CFA ------------------------------------------------

TerminalServiceVC_CFA::TerminalServiceVC_CFA() { createEvents(readDone_, readAbort_); }

TerminalServiceVC_CFA::~TerminalServiceVC_CFA() {
  if (channel_) Close();
  closeEvents(readDone_, readAbort_);
}

bool TerminalServiceVC_CFA::Open() {
  if (channel_) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tVirtualChannel is opened.", log::Addr(this), kCfa, "Open");
    return false;
  }
  char name[] = "VRVCCFA";
  channel_ = WTSVirtualChannelOpen(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, name);
  if (!channel_) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tVirtualChannelOpen Error CODE = 0x%08X", log::Addr(this), kCfa,
               "Open", keep.error());
    return false;
  }
  file_ = queryFileHandle(channel_);
  if (!file_) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tVirtualChannelQuery Error CODE = 0x%08X", log::Addr(this),
               kCfa, "Open", keep.error());
    return open_;
  }
  if (Write(CBinary(12))) {
    open_ = true;
    // The client answers the greeting; its answer means nothing to the relay.
    CBinary answer(4096);
    uint32_t n = 0;
    Read(answer, n, 1000);
  }
  return open_;
}

void TerminalServiceVC_CFA::Close() {
  if (!channel_) return;
  WTSVirtualChannelClose(channel_);
  channel_ = nullptr;
  file_ = nullptr;
  open_ = false;
}

bool TerminalServiceVC_CFA::Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs) {
  bytesRead = 0;
  if (!channel_ || !file_) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tVirtualChannel is not open.", log::Addr(this), kCfa, "Read");
    return false;
  }
  switch (overlappedRead(file_, readDone_, readAbort_, buffer, bytesRead, timeoutMs)) {
    case ReadOutcome::Done:
      return true;
    case ReadOutcome::FailedAtOnce: {
      KeepLastError keep;
      log::Error("[0x%08X]\t%s\t%s\t::GetLastError() != ERROR_IO_PENDING", log::Addr(this), kCfa,
                 "Read");
      return false;
    }
    case ReadOutcome::ResultFailed: {
      KeepLastError keep;
      log::Error("[0x%08X]\t%s\t%s\t::SetLastError(WAIT_TIMEOUT)", log::Addr(this), kCfa, "Read");
      return false;
    }
    case ReadOutcome::TimedOut:
    case ReadOutcome::Cancelled:
      break;
  }
  return false;
}

bool TerminalServiceVC_CFA::Write(const CBinary& message) {
  if (!channel_) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tVirtualChannel is not open.", log::Addr(this), kCfa, "Write");
    return false;
  }
  ULONG written = 0;
  bool ok = wtsWrite(channel_, message, written);
  if (!ok) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tERROR CODE = 0x%08X", log::Addr(this), kCfa, "Write",
               keep.error());
  }
  return ok;
}

bool TerminalServiceVC_CFA::IsOpen() { return channel_ && open_; }

void TerminalServiceVC_CFA::CancelReads(bool cancel) {
  cancel ? SetEvent(readAbort_) : ResetEvent(readAbort_);
}

void TerminalServiceVC_CFA::Refresh() {
  if (!channel_) return;
  log::Info("[0x%08X]\t%s\t%s\tMethod Start", log::Addr(this), kCfa, "Refresh");
  WTSVirtualChannelPurgeOutput(channel_);
  WTSVirtualChannelPurgeInput(channel_);
  CBinary discard(4096);
  uint32_t n = 0;
  for (int i = 0; i < kRefreshDrainLimit && Read(discard, n, 0); ++i) {
  }
  KeepLastError keep;
  log::Info("[0x%08X]\t%s\t%s\tMethod End", log::Addr(this), kCfa, "Refresh");
}

}  // namespace vcb
