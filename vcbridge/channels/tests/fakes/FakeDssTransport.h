#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <vector>

#include "vcbridge/channels/IVirtualChannel.h"

namespace vcb::testing {

// In-process DSS transport: records what is written, plays back scripted
// reads, fails chosen calls, and notices calls that overlap when they must
// not. Thread-safe. Read and Write fail (error 6) while it is not open.
class FakeDssTransport : public IVirtualChannel {
 public:
  static constexpr uint32_t kErrorInvalidHandle = 6;

  bool Open() override;
  void Close() override;
  bool Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs) override;
  bool Write(const CBinary& message) override;
  bool IsOpen() override;  // counts as I/O for openCloseOverlappedIo()
  int32_t GetConnectState() override;
  // While cancelled a waiting Read ends and later ones fail at once (995).
  void CancelReads(bool cancel) override;

  // --- script ---
  void setOpenResult(bool ok);                 // what Open returns (default true)
  void setConnectState(int32_t state);         // GetConnectState's answer (default 0)
  void failWriteCall(int n);                   // the n-th Write call (1-based, all calls counted) fails
  void failNextWrites(int count);              // the next `count` Write calls fail
  void pushRead(const CBinary& packet);        // the next Read delivers these bytes (cut to the buffer)
  void pushReadFailure(uint32_t error);        // the next Read fails with this system error
  // With nothing scripted a Read waits up to min(timeout, this) for a push
  // or Close, then fails with 258 (time-out). Default: the caller's time-out.
  void setIdleReadLimit(uint32_t ms);
  // Failed reads and writes also set the error through vcb::kernel()
  // (needs an installed kernel port; off by default).
  void setLastErrorThroughKernel(bool on);
  // Called inside Write / Read before the scripted outcome (e.g. to block).
  void onWrite(std::function<void(const CBinary&)> hook);
  void onRead(std::function<void()> hook);
  void onClose(std::function<void()> hook);   // inside Close, before the channel closes

  // --- record ---
  std::vector<CBinary> written();              // packets written successfully, in order
  int writeCalls();
  int readCalls();
  int openCalls();
  int closeCalls();
  int cancelCalls();                           // CancelReads(true) calls
  uint32_t lastReadTimeout();
  uint32_t lastError();                        // error of the last failed Read or Write
  bool writesOverlapped();                     // two Writes ran at once
  bool openCloseOverlappedIo();                // Open/Close ran while a Read or Write did, or vice versa
  size_t pendingReads();

 private:
  struct ScriptedRead {
    bool ok;
    CBinary bytes;
    uint32_t error;
  };
  void fail(uint32_t error);
  void beginIo();
  void endIo();
  void beginOpenClose();
  void endOpenClose();

  std::mutex lock_;
  std::condition_variable readable_;
  bool open_ = false;
  bool openResult_ = true;
  int32_t connectState_ = 0;
  std::set<int> failingWriteCalls_;
  int failNextWrites_ = 0;
  std::deque<ScriptedRead> reads_;
  uint32_t idleReadLimit_ = 0xFFFFFFFFu;
  bool kernelErrors_ = false;
  std::function<void(const CBinary&)> writeHook_;
  std::function<void()> readHook_;
  std::function<void()> closeHook_;
  bool cancelled_ = false;
  int cancelCalls_ = 0;

  std::vector<CBinary> written_;
  int writeCalls_ = 0, readCalls_ = 0, openCalls_ = 0, closeCalls_ = 0;
  uint32_t lastReadTimeout_ = 0;
  uint32_t lastError_ = 0;
  int activeWrites_ = 0, activeIo_ = 0, activeOpenClose_ = 0;
  bool writesOverlapped_ = false, openCloseOverlappedIo_ = false;
  uint64_t closeGeneration_ = 0;
};

}  // namespace vcb::testing
