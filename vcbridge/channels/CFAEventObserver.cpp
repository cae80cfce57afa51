#include "vcbridge/channels/CFAEventObserver.h"

#include <cstring>
#include <mutex>

#include "vcbridge/channels/VirtualChannel_CFA.h"
#include "vcbridge/core/Log.h"

namespace vcb {

namespace {

constexpr const char* kClass = "VCB\tCFAEventObserver";
constexpr const char* kChannelClass = "VCB\tVirtualChannel_CFA";

uint32_t loadWord(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void storeWord(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

}  // namespace

CFAEventObserver::CFAEventObserver() : stopEvent_(kernel().createEvent(L"", true, false, Security::Default)) {
  try {
    segment_.reset(new SharedMemory_CFA());
    view_ = segment_->view();
  } catch (...) {
    segment_.reset();
    view_ = nullptr;
    log::Error("[0x%08X]\t%s\t%s\t共有メモリの取得に失敗", log::Addr(this), kClass, "CFAEventObserver");
  }
}

CFAEventObserver::~CFAEventObserver() {
  waitForThreadEnd();
  std::lock_guard<std::mutex> g(stopLock_);
  if (readsHeld_ && VirtualChannel_CFA::exists()) VirtualChannel_CFA::get()->releaseReads();
}

void CFAEventObserver::stop() {
  std::lock_guard<std::mutex> g(stopLock_);
  setRunning(false);
  if (!readsHeld_ && VirtualChannel_CFA::exists()) {
    VirtualChannel_CFA::get()->holdReads();
    readsHeld_ = true;
  }
  if (!stopEvent_.isNull()) kernel().setEvent(stopEvent_.get());
}

void CFAEventObserver::run() {
  if (!view_) {
    log::Error("[0x%08X]\t%s\t%s\t共有メモリが確保されていない", log::Addr(this), kClass, "Run");
    setRunning(false);
    return;
  }
  try {
    requestEvent_.reset(kernel().createEvent(L"VARNETH_DSS_SMEM_CFA_REQUEST", false, false, Security::Default));
    responseEvent_.reset(kernel().createEvent(L"VARNETH_DSS_SMEM_CFA_RESPONCE", false, false, Security::Default));
    // Without its events the loop could only spin; treat it as a thread failure.
    if (requestEvent_.isNull() || responseEvent_.isNull()) throw Exception(DSSVCERR_EVENT_FAILED);
    if (stopEvent_.isNull()) throw Exception(DSSVCERR_EVENT_FAILED);
    const Handle request[2] = {requestEvent_.get(), stopEvent_.get()};
    const Handle mutex[2] = {segment_->mutex(), stopEvent_.get()};
    uint32_t which = 0;
    while (isRunning()) {
      WaitResult w = kernel().waitAny(request, 2, 1000, &which);
      if (w == WaitResult::Timeout) continue;
      if (w != WaitResult::Signaled) throw Exception(DSSVCERR_EVENT_FAILED);
      if (which != 0) break;  // stopped
      // An application may keep the mutex for ever; a stop must not wait for it.
      if (mutex[0]) {
        w = kernel().waitAny(mutex, 2, kInfinite, &which);
        if (w != WaitResult::Signaled) throw Exception(DSSVCERR_EVENT_FAILED);
        if (which != 0) break;
      }
      try {
        processRequest();
      } catch (...) {
        log::Error("[0x%08X]\t%s\t%s\tリクエスト処理中に予期せぬエラーが発生", log::Addr(this), kClass, "Run");
      }
      kernel().releaseMutex(segment_->mutex());
      kernel().setEvent(responseEvent_.get());
    }
  } catch (...) {
    log::Error("[0x%08X]\t%s\t%s\tリクエスト監視スレッドで予期せぬエラーが発生", log::Addr(this), kClass, "Run");
  }
}

void CFAEventObserver::processRequest() {
  uint32_t code = loadWord(view_ + CfaLayout::request);
  switch (code) {
    case CfaRefresh:
      doRefresh();
      break;
    case CfaRead:
      doRead();
      break;
    case CfaWrite:
      doWrite();
      break;
    default:
      log::Error("[0x%08X]\t%s\t%s\t不正なリクエストID", log::Addr(this), kClass, "Run");
      break;
  }
}

void CFAEventObserver::doRead() {
  CBinary buffer(CfaLayout::readSize);
  uint32_t bytesRead = 0;
  uint32_t result = 0;
  auto channel = VirtualChannel_CFA::get();
  {
    std::lock_guard<std::mutex> g(channel->requestLock());
    if (auto t = channel->transport()) {
      uint32_t timeout = loadWord(view_ + CfaLayout::timeout);
      result = t->Read(buffer, bytesRead, timeout) ? 1 : 0;
    } else {
      log::Error("[0x%08X]\t%s\t%s\tVirtualChannel インスタンスがない", log::Addr(channel.get()), kChannelClass, "Read");
    }
  }
  storeWord(view_ + CfaLayout::result, result);
  storeWord(view_ + CfaLayout::bytesRead, bytesRead);
  storeWord(view_ + CfaLayout::length, CfaLayout::readSize);
  buffer.copyTo(view_ + CfaLayout::data, CfaLayout::readSize);
}

void CFAEventObserver::doWrite() {
  uint32_t length = loadWord(view_ + CfaLayout::length);
  if (length > CfaLayout::maxWrite) {
    // The data area ends at the segment's end: a longer write would read past it.
    log::Error("[0x%08X]\t%s\t%s\tINVALID WRITE LENGTH = %u (MAX %u)", log::Addr(this), kClass, "Write",
               length, CfaLayout::maxWrite);
    storeWord(view_ + CfaLayout::result, 0);
    return;
  }
  CBinary message(view_ + CfaLayout::data, length);
  uint32_t result = 0;
  auto channel = VirtualChannel_CFA::get();
  {
    std::lock_guard<std::mutex> g(channel->requestLock());
    if (auto t = channel->transport()) {
      result = t->Write(message) ? 1 : 0;
    } else {
      log::Error("[0x%08X]\t%s\t%s\tVirtualChannel インスタンスがない", log::Addr(channel.get()), kChannelClass, "Write");
    }
  }
  storeWord(view_ + CfaLayout::result, result);
}

void CFAEventObserver::doRefresh() {
  auto channel = VirtualChannel_CFA::get();
  std::lock_guard<std::mutex> g(channel->requestLock());
  if (auto t = channel->transport()) {
    t->Refresh();
  } else {
    log::Error("[0x%08X]\t%s\t%s\tVirtualChannel インスタンスがない", log::Addr(channel.get()), kChannelClass, "Refresh");
  }
}

}  // namespace vcb
