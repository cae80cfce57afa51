#include "vcbridge/channels/tests/fakes/FakeDssTransport.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "vcbridge/core/Kernel.h"

namespace vcb::testing {

namespace {
constexpr uint32_t kErrorGenFailure = 31;
}

bool FakeDssTransport::Open() {
  beginOpenClose();
  bool ok;
  {
    std::lock_guard<std::mutex> g(lock_);
    ++openCalls_;
    open_ = openResult_;
    ok = openResult_;
  }
  endOpenClose();
  return ok;
}

void FakeDssTransport::Close() {
  beginOpenClose();
  std::function<void()> hook;
  {
    std::lock_guard<std::mutex> g(lock_);
    hook = closeHook_;
  }
  if (hook) hook();
  {
    std::lock_guard<std::mutex> g(lock_);
    ++closeCalls_;
    open_ = false;
    ++closeGeneration_;
  }
  readable_.notify_all();
  endOpenClose();
}

bool FakeDssTransport::Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs) {
  bytesRead = 0;
  std::function<void()> hook;
  {
    std::lock_guard<std::mutex> g(lock_);
    ++readCalls_;
    lastReadTimeout_ = timeoutMs;
    hook = readHook_;
  }
  beginIo();
  if (hook) hook();
  uint32_t error = 0;
  {
    std::unique_lock<std::mutex> l(lock_);
    if (open_ && reads_.empty() && !cancelled_) {
      const uint64_t generation = closeGeneration_;
      readable_.wait_for(l, std::chrono::milliseconds(std::min(timeoutMs, idleReadLimit_)),
                         [&] { return !reads_.empty() || closeGeneration_ != generation || cancelled_; });
    }
    if (cancelled_ && reads_.empty()) {
      error = kErrorOperationAborted;
    } else if (!open_) {
      error = kErrorInvalidHandle;
    } else if (reads_.empty()) {
      error = kWaitTimeout;
    } else {
      ScriptedRead r = reads_.front();
      reads_.pop_front();
      if (r.ok) {
        bytesRead = std::min(r.bytes.size(), buffer.size());
        if (bytesRead) std::memcpy(buffer.data(), r.bytes.data(), bytesRead);
      } else {
        error = r.error;
      }
    }
    if (error) lastError_ = error;
  }
  endIo();
  if (error) fail(error);
  return error == 0;
}

bool FakeDssTransport::Write(const CBinary& message) {
  int call;
  std::function<void(const CBinary&)> hook;
  {
    std::lock_guard<std::mutex> g(lock_);
    call = ++writeCalls_;
    hook = writeHook_;
    if (activeWrites_ > 0) writesOverlapped_ = true;
    ++activeWrites_;
  }
  beginIo();
  if (hook) hook(message);
  uint32_t error = 0;
  {
    std::lock_guard<std::mutex> g(lock_);
    if (!open_) {
      error = kErrorInvalidHandle;
    } else if (failingWriteCalls_.erase(call)) {
      error = kErrorGenFailure;
    } else if (failNextWrites_ > 0) {
      --failNextWrites_;
      error = kErrorGenFailure;
    } else {
      written_.push_back(message);
    }
    if (error) lastError_ = error;
    --activeWrites_;
  }
  endIo();
  if (error) fail(error);
  return error == 0;
}

bool FakeDssTransport::IsOpen() {
  beginIo();
  bool open;
  {
    std::lock_guard<std::mutex> g(lock_);
    open = open_;
  }
  endIo();
  return open;
}

void FakeDssTransport::CancelReads(bool cancel) {
  {
    std::lock_guard<std::mutex> g(lock_);
    cancelled_ = cancel;
    if (cancel) ++cancelCalls_;
  }
  readable_.notify_all();
}

void FakeDssTransport::onClose(std::function<void()> hook) {
  std::lock_guard<std::mutex> g(lock_);
  closeHook_ = std::move(hook);
}

int FakeDssTransport::cancelCalls() {
  std::lock_guard<std::mutex> g(lock_);
  return cancelCalls_;
}

int32_t FakeDssTransport::GetConnectState() {
  std::lock_guard<std::mutex> g(lock_);
  return connectState_;
}

void FakeDssTransport::setOpenResult(bool ok) {
  std::lock_guard<std::mutex> g(lock_);
  openResult_ = ok;
}

void FakeDssTransport::setConnectState(int32_t state) {
  std::lock_guard<std::mutex> g(lock_);
  connectState_ = state;
}

void FakeDssTransport::failWriteCall(int n) {
  std::lock_guard<std::mutex> g(lock_);
  failingWriteCalls_.insert(n);
}

void FakeDssTransport::failNextWrites(int count) {
  std::lock_guard<std::mutex> g(lock_);
  failNextWrites_ = count;
}

void FakeDssTransport::pushRead(const CBinary& packet) {
  {
    std::lock_guard<std::mutex> g(lock_);
    reads_.push_back({true, packet, 0});
  }
  readable_.notify_all();
}

void FakeDssTransport::pushReadFailure(uint32_t error) {
  {
    std::lock_guard<std::mutex> g(lock_);
    reads_.push_back({false, CBinary(), error});
  }
  readable_.notify_all();
}

void FakeDssTransport::setIdleReadLimit(uint32_t ms) {
  std::lock_guard<std::mutex> g(lock_);
  idleReadLimit_ = ms;
}

void FakeDssTransport::setLastErrorThroughKernel(bool on) {
  std::lock_guard<std::mutex> g(lock_);
  kernelErrors_ = on;
}

void FakeDssTransport::onWrite(std::function<void(const CBinary&)> hook) {
  std::lock_guard<std::mutex> g(lock_);
  writeHook_ = std::move(hook);
}

void FakeDssTransport::onRead(std::function<void()> hook) {
  std::lock_guard<std::mutex> g(lock_);
  readHook_ = std::move(hook);
}

std::vector<CBinary> FakeDssTransport::written() {
  std::lock_guard<std::mutex> g(lock_);
  return written_;
}

int FakeDssTransport::writeCalls() {
  std::lock_guard<std::mutex> g(lock_);
  return writeCalls_;
}

int FakeDssTransport::readCalls() {
  std::lock_guard<std::mutex> g(lock_);
  return readCalls_;
}

int FakeDssTransport::openCalls() {
  std::lock_guard<std::mutex> g(lock_);
  return openCalls_;
}

int FakeDssTransport::closeCalls() {
  std::lock_guard<std::mutex> g(lock_);
  return closeCalls_;
}

uint32_t FakeDssTransport::lastReadTimeout() {
  std::lock_guard<std::mutex> g(lock_);
  return lastReadTimeout_;
}

uint32_t FakeDssTransport::lastError() {
  std::lock_guard<std::mutex> g(lock_);
  return lastError_;
}

bool FakeDssTransport::writesOverlapped() {
  std::lock_guard<std::mutex> g(lock_);
  return writesOverlapped_;
}

bool FakeDssTransport::openCloseOverlappedIo() {
  std::lock_guard<std::mutex> g(lock_);
  return openCloseOverlappedIo_;
}

size_t FakeDssTransport::pendingReads() {
  std::lock_guard<std::mutex> g(lock_);
  return reads_.size();
}

void FakeDssTransport::fail(uint32_t error) {
  bool viaKernel;
  {
    std::lock_guard<std::mutex> g(lock_);
    viaKernel = kernelErrors_;
  }
  if (viaKernel) kernel().setLastError(error);
}

void FakeDssTransport::beginIo() {
  std::lock_guard<std::mutex> g(lock_);
  if (activeOpenClose_ > 0) openCloseOverlappedIo_ = true;
  ++activeIo_;
}

void FakeDssTransport::endIo() {
  std::lock_guard<std::mutex> g(lock_);
  --activeIo_;
}

void FakeDssTransport::beginOpenClose() {
  std::lock_guard<std::mutex> g(lock_);
  if (activeIo_ > 0) openCloseOverlappedIo_ = true;
  ++activeOpenClose_;
}

void FakeDssTransport::endOpenClose() {
  std::lock_guard<std::mutex> g(lock_);
  --activeOpenClose_;
}

}  // namespace vcb::testing
