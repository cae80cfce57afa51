#pragma once
#include "vcbridge/channels/IVirtualChannel.h"
#include "vcbridge/core/Kernel.h"

namespace vcb {

// DSS transport of a Remote Desktop session: the static channel "VRVCDSS"
// through WTSAPI32; reads are overlapped reads of the channel's file handle
// with a time-out. The constructor throws enumDSSVCERR 23 (bare value) when
// its events cannot be made.
class TerminalServiceVC : public IVirtualChannel {
 public:
  TerminalServiceVC();
  ~TerminalServiceVC() override;
  TerminalServiceVC(const TerminalServiceVC&) = delete;
  TerminalServiceVC& operator=(const TerminalServiceVC&) = delete;

  bool Open() override;
  void Close() override;
  bool Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs) override;
  bool Write(const CBinary& message) override;
  bool IsOpen() override;
  int32_t GetConnectState() override;
  void CancelReads(bool cancel) override;

 private:
  Handle channel_ = nullptr;
  bool open_ = false;
  Handle file_ = nullptr;
  Handle readDone_ = nullptr;
  Handle readAbort_ = nullptr;  // manual-reset: set while reads are cancelled
};

// CFA transport of a Remote Desktop session: the channel "VRVCCFA". Writes
// pass the WTSAPI32 result through unchanged; a short write is not a failure.
class TerminalServiceVC_CFA : public IVirtualChannel_CFA {
 public:
  TerminalServiceVC_CFA();
  ~TerminalServiceVC_CFA() override;
  TerminalServiceVC_CFA(const TerminalServiceVC_CFA&) = delete;
  TerminalServiceVC_CFA& operator=(const TerminalServiceVC_CFA&) = delete;

  bool Open() override;
  void Close() override;
  bool Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs) override;
  bool Write(const CBinary& message) override;
  bool IsOpen() override;
  void Refresh() override;
  void CancelReads(bool cancel) override;

 private:
  Handle channel_ = nullptr;
  bool open_ = false;
  Handle file_ = nullptr;
  Handle readDone_ = nullptr;
  Handle readAbort_ = nullptr;  // manual-reset: set while reads are cancelled
};

}  // namespace vcb
