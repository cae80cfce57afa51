#include "vcbridge/channels/CitrixVC.h"

#include <algorithm>

#include "vcbridge/channels/KeepLastError.h"
#include "vcbridge/core/Log.h"

namespace vcb {

namespace {

const char kDss[] = "VCB\tCitrixVC";
const char kCfa[] = "VCB\tCitrixVC_CFA";

template <class Fn>
Fn resolve(IWfApiLibrary* library, const char* name) {
  return library ? reinterpret_cast<Fn>(library->entryPoint(name)) : nullptr;
}

std::unique_ptr<IWfApiLibrary> loadLogged(const WfApiLoader& load, const void* self,
                                          const char* cls, const char* method) {
  std::unique_ptr<IWfApiLibrary> library = load ? load() : nullptr;
  if (!library) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tWfApi dll load fail Error Code:%#x", log::Addr(self), cls,
               method, keep.error());
  }
  return library;
}

// A faulty library must not make a caller read past its own buffer.
uint32_t bounded(uint32_t reported, uint32_t capacity) { return std::min(reported, capacity); }

bool isTimeout(uint32_t error) { return error == kWaitTimeout || error == kErrorIoIncomplete; }

// One read of up to timeoutMs, made of slices of at most kCitrixReadSliceMs
// with a look at the cancellation before each. A slice that times out is
// followed by the next until the time-out is used up (kInfinite: never).
bool slicedRead(wfapi::ReadFn read, void* channel, const std::atomic<bool>& cancelled,
                uint32_t timeoutMs, CBinary& buffer, uint32_t& bytesRead) {
  const uint32_t start = kernel().tickCount();
  for (;;) {
    if (cancelled) {
      kernel().setLastError(kErrorOperationAborted);
      return false;
    }
    uint32_t slice = kCitrixReadSliceMs;
    if (timeoutMs != kInfinite) {
      const uint32_t spent = kernel().tickCount() - start;
      slice = spent >= timeoutMs ? 0 : std::min(kCitrixReadSliceMs, timeoutMs - spent);
    }
    uint32_t got = 0;
    if (read(channel, slice, reinterpret_cast<char*>(buffer.data()), buffer.size(), &got) != 0) {
      bytesRead = bounded(got, buffer.size());
      return true;
    }
    if (slice == 0 || !isTimeout(kernel().lastError())) return false;
  }
}

}  // namespace

// ---- CitrixVC -------------------------------------------------------------

CitrixVC::CitrixVC(const WfApiLoader& load)
    : library_(loadLogged(load, this, kDss, "CitrixVC")) {
  IWfApiLibrary* l = library_.get();
  wfOpen_ = resolve<wfapi::OpenFn>(l, "WFVirtualChannelOpen");
  wfClose_ = resolve<wfapi::CloseFn>(l, "WFVirtualChannelClose");
  wfRead_ = resolve<wfapi::ReadFn>(l, "WFVirtualChannelRead");
  wfWrite_ = resolve<wfapi::WriteFn>(l, "WFVirtualChannelWrite");
  wfQuery_ = resolve<wfapi::QueryFn>(l, "WFVirtualChannelQuery");
  wfFreeMemory_ = resolve<wfapi::FreeMemoryFn>(l, "WFFreeMemory");
  wfQuerySessionInformation_ =
      resolve<wfapi::QuerySessionInformationFn>(l, "WFQuerySessionInformationW");
}

CitrixVC::~CitrixVC() {
  if (channel_) Close();
}

bool CitrixVC::Open() {
  if (channel_ || !wfOpen_) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tVirtualChannel is not open", log::Addr(this), kDss, "Open");
    return false;
  }
  char name[] = "VRVCDSS";
  channel_ = wfOpen_(nullptr, wfapi::kCurrentSession, name);
  if (!channel_) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tFAILURE:CitrixVC::Open()", log::Addr(this), kDss, "Open");
    return false;
  }
  open_ = true;
  return IsOpen();
}

void CitrixVC::Close() {
  if (channel_ && wfClose_) {
    wfClose_(channel_);
    channel_ = nullptr;
    open_ = false;
  }
}

bool CitrixVC::Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs) {
  bytesRead = 0;
  if (!channel_ || !wfRead_) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tVirtualChannel is not open", log::Addr(this), kDss, "Read");
    return false;
  }
  return slicedRead(wfRead_, channel_, cancelled_, timeoutMs, buffer, bytesRead);
}

bool CitrixVC::Write(const CBinary& message) {
  if (!channel_ || !wfWrite_) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tVirtualChannel is not open", log::Addr(this), kDss, "Write");
    return false;
  }
  uint32_t written = 0;
  char* data = reinterpret_cast<char*>(const_cast<uint8_t*>(message.data()));
  if (wfWrite_(channel_, data, message.size(), &written) != 0 && written == message.size())
    return true;
  KeepLastError keep;
  log::Error("[0x%08X]\t%s\t%s\tFAILURE:CitrixVC::Write()", log::Addr(this), kDss, "Write");
  return false;
}

bool CitrixVC::IsOpen() {
  if (!channel_ || !wfQuery_ || !wfFreeMemory_) return false;
  void* data = nullptr;
  uint32_t length = 0;
  bool ok = wfQuery_(channel_, wfapi::kVirtualClientData, &data, &length) != 0;
  if (data) {
    KeepLastError keep;
    wfFreeMemory_(data);
  }
  return ok;
}

int32_t CitrixVC::GetConnectState() {
  if (!wfQuerySessionInformation_) return kConnectStateDisconnected;
  void* data = nullptr;
  uint32_t length = 0;
  bool ok = wfQuerySessionInformation_(nullptr, wfapi::kCurrentSession, wfapi::kConnectState,
                                       &data, &length) != 0;
  int32_t state = kConnectStateDisconnected;
  if (ok && data && length >= sizeof(int32_t)) {
    const uint8_t* b = static_cast<const uint8_t*>(data);
    state = int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                    uint32_t(b[3]) << 24);
  }
  if (data && wfFreeMemory_) wfFreeMemory_(data);
  return state;
}

// ---- CitrixVC_CFA ---------------------------------------------------------

CitrixVC_CFA::CitrixVC_CFA(const WfApiLoader& load)
    : library_(loadLogged(load, this, kCfa, "CitrixVC_CFA")) {
  IWfApiLibrary* l = library_.get();
  wfOpen_ = resolve<wfapi::OpenFn>(l, "WFVirtualChannelOpen");
  wfClose_ = resolve<wfapi::CloseFn>(l, "WFVirtualChannelClose");
  wfRead_ = resolve<wfapi::ReadFn>(l, "WFVirtualChannelRead");
  wfWrite_ = resolve<wfapi::WriteFn>(l, "WFVirtualChannelWrite");
  wfQuery_ = resolve<wfapi::QueryFn>(l, "WFVirtualChannelQuery");
  wfPurgeInput_ = resolve<wfapi::PurgeFn>(l, "WFVirtualChannelPurgeInput");
  wfPurgeOutput_ = resolve<wfapi::PurgeFn>(l, "WFVirtualChannelPurgeOutput");
  wfFreeMemory_ = resolve<wfapi::FreeMemoryFn>(l, "WFFreeMemory");
}

CitrixVC_CFA::~CitrixVC_CFA() {
  if (channel_) Close();
}

bool CitrixVC_CFA::Open() {
  if (channel_ || !wfOpen_) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tVirtualChannel is opened.", log::Addr(this), kCfa, "Open");
    return false;
  }
  char name[] = "VRVCCFA";
  channel_ = wfOpen_(nullptr, wfapi::kCurrentSession, name);
  if (!channel_) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tVirtualChannelOpen Error.", log::Addr(this), kCfa, "Open");
    return false;
  }
  open_ = true;
  return IsOpen();
}

void CitrixVC_CFA::Close() {
  if (channel_ && wfClose_) {
    wfClose_(channel_);
    channel_ = nullptr;
    open_ = false;
  }
}

bool CitrixVC_CFA::Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs) {
  bytesRead = 0;
  if (!channel_ || !wfRead_) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tVirtualChannel is not open.", log::Addr(this), kCfa, "Read");
    return false;
  }
  bool ok = slicedRead(wfRead_, channel_, cancelled_, timeoutMs, buffer, bytesRead);
  if (!ok && kernel().lastError() != kErrorOperationAborted) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tERROR CODE = 0x%08X", log::Addr(this), kCfa, "Read",
               keep.error());
  }
  return ok;
}

bool CitrixVC_CFA::Write(const CBinary& message) {
  if (!channel_ || !wfWrite_) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tVirtualChannel is not open.", log::Addr(this), kCfa, "Write");
    return false;
  }
  uint32_t written = 0;
  char* data = reinterpret_cast<char*>(const_cast<uint8_t*>(message.data()));
  bool ok = wfWrite_(channel_, data, message.size(), &written) != 0;
  if (!ok) {
    KeepLastError keep;
    log::Error("[0x%08X]\t%s\t%s\tERROR CODE = 0x%08X", log::Addr(this), kCfa, "Write",
               keep.error());
  }
  return ok;
}

bool CitrixVC_CFA::IsOpen() {
  if (!channel_ || !wfQuery_) return false;
  void* data = nullptr;
  uint32_t length = 0;
  bool ok = wfQuery_(channel_, wfapi::kVirtualClientData, &data, &length) != 0;
  // A library without WFFreeMemory keeps the result: nothing else can free it.
  if (data && wfFreeMemory_) {
    KeepLastError keep;
    wfFreeMemory_(data);
  }
  return ok;
}

void CitrixVC_CFA::Refresh() {
  if (!channel_) return;
  if (wfPurgeInput_) wfPurgeInput_(channel_);
  if (wfPurgeOutput_) wfPurgeOutput_(channel_);
}

}  // namespace vcb
