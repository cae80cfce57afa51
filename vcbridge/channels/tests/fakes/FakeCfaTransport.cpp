#include "vcbridge/channels/tests/fakes/FakeCfaTransport.h"

#include <algorithm>
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
  std::lock_guard<std::mutex> g(lock_);
  calls_.push_back("read " + std::to_string(timeoutMs));
  bytesRead = 0;
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

std::vector<std::vector<uint8_t>> FakeCfaTransport::writes() {
  std::lock_guard<std::mutex> g(lock_);
  return writes_;
}

std::vector<std::string> FakeCfaTransport::calls() {
  std::lock_guard<std::mutex> g(lock_);
  return calls_;
}

}  // namespace vcb::testing
