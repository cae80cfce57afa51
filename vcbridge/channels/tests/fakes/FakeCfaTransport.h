#pragma once
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "vcbridge/channels/IVirtualChannel.h"

namespace vcb::testing {

// CFA transport for native tests: scripted reads, recorded writes, refresh,
// open and close counts. An unscripted read fails at once as a time-out
// (996) and records the time-out it was given; with waitingReads it waits
// for its time-out first (kInfinite: for ever) unless reads are cancelled,
// which fails it with 995.
class FakeCfaTransport : public IVirtualChannel_CFA {
 public:
  bool openResult = true;
  bool writeResult = true;
  std::deque<std::vector<uint8_t>> reads;  // delivered one per Read
  bool waitingReads = false;

  bool Open() override;
  void Close() override;
  bool Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs) override;
  bool Write(const CBinary& message) override;
  bool IsOpen() override;
  void Refresh() override;
  void CancelReads(bool cancel) override;
  // Reads now waiting inside Read.
  int waitingNow();

  std::vector<std::vector<uint8_t>> writes();
  std::vector<std::string> calls();  // "open", "close", "read 500", "write 10", "refresh"

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  bool cancelled_ = false;
  int waiting_ = 0;
  bool open_ = false;
  std::vector<std::vector<uint8_t>> writes_;
  std::vector<std::string> calls_;
};

}  // namespace vcb::testing
