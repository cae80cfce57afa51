#pragma once
#include <cstdint>

#include "vcbridge/ipc/CBinary.h"

namespace vcb {

// A transport of the DSS channel "VRVCDSS". Failures return false, leave the
// system error set and are logged; nothing throws.
class IVirtualChannel {
 public:
  virtual ~IVirtualChannel() = default;
  virtual bool Open() = 0;
  virtual void Close() = 0;
  // Fills buffer from its start, up to its size; the buffer keeps its size.
  virtual bool Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs) = 0;
  virtual bool Write(const CBinary& message) = 0;  // the whole buffer
  virtual bool IsOpen() = 0;
  virtual int32_t GetConnectState() = 0;  // 4 = disconnected, also when the query is impossible
  // The one way to end a read early, callable from any thread: while
  // cancelled, a pending Read ends within 100 ms and later ones fail at
  // once, with system error 995 (data that had already arrived is kept).
  virtual void CancelReads(bool cancel) = 0;
};

// A transport of the CFA channel "VRVCCFA".
class IVirtualChannel_CFA {
 public:
  virtual ~IVirtualChannel_CFA() = default;
  virtual bool Open() = 0;
  virtual void Close() = 0;
  virtual bool Read(CBinary& buffer, uint32_t& bytesRead, uint32_t timeoutMs) = 0;
  virtual bool Write(const CBinary& message) = 0;
  virtual bool IsOpen() = 0;
  virtual void Refresh() = 0;  // purge both directions
  virtual void CancelReads(bool cancel) = 0;  // as IVirtualChannel's
};

inline constexpr int32_t kConnectStateDisconnected = 4;

}  // namespace vcb
