#pragma once
#include <atomic>
#include <memory>

#include "vcbridge/channels/IVirtualChannel.h"
#include "vcbridge/channels/WfApi.h"

namespace vcb {

// DSS transport of a Citrix session: the channel "VRVCDSS" through WFAPI.
// Without the library every operation fails as "not open" and the connect
// state reads 4, so the relay treats the session as disconnected.
class CitrixVC : public IVirtualChannel {
 public:
  explicit CitrixVC(const WfApiLoader& load);
  ~CitrixVC() override;
  CitrixVC(const CitrixVC&) = delete;
  CitrixVC& operator=(const CitrixVC&) = delete;

  bool Open() override;
  void Close() override;
  bool Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs) override;
  bool Write(const CBinary& message) override;
  bool IsOpen() override;
  int32_t GetConnectState() override;
  void CancelReads(bool cancel) override { cancelled_ = cancel; }

 private:
  void* channel_ = nullptr;
  bool open_ = false;
  std::atomic<bool> cancelled_{false};
  std::unique_ptr<IWfApiLibrary> library_;
  wfapi::OpenFn wfOpen_ = nullptr;
  wfapi::CloseFn wfClose_ = nullptr;
  wfapi::ReadFn wfRead_ = nullptr;
  wfapi::WriteFn wfWrite_ = nullptr;
  wfapi::QueryFn wfQuery_ = nullptr;
  wfapi::FreeMemoryFn wfFreeMemory_ = nullptr;
  wfapi::QuerySessionInformationFn wfQuerySessionInformation_ = nullptr;
};

// CFA transport of a Citrix session: the channel "VRVCCFA". Reads and writes
// pass the WFAPI result through unchanged; a short write is not a failure.
// Besides the seven entry points it resolves WFFreeMemory: the query in
// IsOpen returns memory that must be given back.
class CitrixVC_CFA : public IVirtualChannel_CFA {
 public:
  explicit CitrixVC_CFA(const WfApiLoader& load);
  ~CitrixVC_CFA() override;
  CitrixVC_CFA(const CitrixVC_CFA&) = delete;
  CitrixVC_CFA& operator=(const CitrixVC_CFA&) = delete;

  bool Open() override;
  void Close() override;
  bool Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs) override;
  bool Write(const CBinary& message) override;
  bool IsOpen() override;
  void Refresh() override;
  void CancelReads(bool cancel) override { cancelled_ = cancel; }

 private:
  void* channel_ = nullptr;
  bool open_ = false;
  std::atomic<bool> cancelled_{false};
  std::unique_ptr<IWfApiLibrary> library_;
  wfapi::OpenFn wfOpen_ = nullptr;
  wfapi::CloseFn wfClose_ = nullptr;
  wfapi::ReadFn wfRead_ = nullptr;
  wfapi::WriteFn wfWrite_ = nullptr;
  wfapi::QueryFn wfQuery_ = nullptr;
  wfapi::PurgeFn wfPurgeInput_ = nullptr;
  wfapi::PurgeFn wfPurgeOutput_ = nullptr;
  wfapi::FreeMemoryFn wfFreeMemory_ = nullptr;  // frees what IsOpen's query returns
};

// WFVirtualChannelRead cannot be interrupted, so the Citrix transports read
// in slices of at most this long and check for a cancellation between them.
inline constexpr uint32_t kCitrixReadSliceMs = 50;

}  // namespace vcb
