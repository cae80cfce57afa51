#pragma once
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "vcbridge/channels/IVirtualChannel.h"

namespace vcb::testing {

// CFA transport for native tests: scripted reads, recorded writes, refresh,
// open and close counts. An unscripted read fails at once as a time-out
// (996) and records the time-out it was given.
class FakeCfaTransport : public IVirtualChannel_CFA {
 public:
  bool openResult = true;
  bool writeResult = true;
  std::deque<std::vector<uint8_t>> reads;  // delivered one per Read

  bool Open() override;
  void Close() override;
  bool Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs) override;
  bool Write(const CBinary& message) override;
  bool IsOpen() override;
  void Refresh() override;

  std::vector<std::vector<uint8_t>> writes();
  std::vector<std::string> calls();  // "open", "close", "read 500", "write 10", "refresh"

 private:
  std::mutex lock_;
  bool open_ = false;
  std::vector<std::vector<uint8_t>> writes_;
  std::vector<std::string> calls_;
};

}  // namespace vcb::testing
