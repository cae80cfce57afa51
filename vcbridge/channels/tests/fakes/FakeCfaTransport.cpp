#include "vcbridge/channels/tests/fakes/FakeCfaTransport.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "vcbridge/core/Kernel.h"

namespace vcb::testing {

bool FakeCfaTransport::Open() {
  std::lock_guard<std::mutex> g(lock_);
  calls_.push_back("open");
  open_ = openResult;
  return open_;
}

void FakeCfaTransport::Close() {
  std::lock_guard<std::mutex> g(lock_);
  calls_.push_back("close");
  open_ = false;
}

bool FakeCfaTransport::Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs) {
  std::unique_lock<std::mutex> g(lock_);
  calls_.push_back("read " + std::to_string(timeoutMs));
  bytesRead = 0;
  if (reads.empty() && waitingReads && !cancelled_) {
    ++waiting_;
    changed_.notify_all();
    auto done = [&] { return cancelled_ || !reads.empty(); };
    if (timeoutMs == kInfinite)
      changed_.wait(g, done);
    else
      changed_.wait_for(g, std::chrono::milliseconds(timeoutMs), done);
    --waiting_;
  }
  if (cancelled_) {
    kernel().setLastError(kErrorOperationAborted);
    return false;
  }
  if (reads.empty()) {
    kernel().setLastError(kErrorIoIncomplete);
    return false;
  }
  auto bytes = std::move(reads.front());
  reads.pop_front();
  bytesRead = std::min<uint32_t>(static_cast<uint32_t>(bytes.size()), buffer.size());
  buffer.write(0, bytes.data(), bytesRead);
  return true;
}

bool FakeCfaTransport::Write(const CBinary& message) {
  std::lock_guard<std::mutex> g(lock_);
  calls_.push_back("write " + std::to_string(message.size()));
  writes_.emplace_back(message.data(), message.data() + message.size());
  return writeResult;
}

bool FakeCfaTransport::IsOpen() {
  std::lock_guard<std::mutex> g(lock_);
  return open_;
}

void FakeCfaTransport::Refresh() {
  std::lock_guard<std::mutex> g(lock_);
  calls_.push_back("refresh");
}

void FakeCfaTransport::CancelReads(bool cancel) {
  std::lock_guard<std::mutex> g(lock_);
  cancelled_ = cancel;
  changed_.notify_all();
}

int FakeCfaTransport::waitingNow() {
  std::lock_guard<std::mutex> g(lock_);
  return waiting_;
}

std::vector<std::vector<uint8_t>> FakeCfaTransport::writes() {
  std::lock_guard<std::mutex> g(lock_);
  return writes_;
}

std::vector<std::string> FakeCfaTransport::calls() {
  std::lock_guard<std::mutex> g(lock_);
  return calls_;
}

}  // namespace vcb::testing
