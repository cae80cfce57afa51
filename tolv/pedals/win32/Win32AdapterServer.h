#pragma once
// The pedal adapter server through COM automation: the server object's
// dispatch interface is the adapter ("OpenPort"), and its connection point
// for _IAdapterEvents delivers the five events to the catchling.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include "tolv/pedals/VendorComponents.h"

namespace tolv {

// {98FFF453-B75E-4BB6-8499-BAA7055DEE52}
extern const CLSID CLSID_AdapterServer;
// _IAdapterEvents of ADAPTERSERVERLib; events 1..5 in the catchling's order.
extern const IID DIID_IAdapterEvents;

class Win32AdapterServer : public IAdapterServerPort {
 public:
  // COM is initialised for the calling thread by its owner.
  explicit Win32AdapterServer(IAdapterEventsCatchling& catchling) : catchling_(catchling) {}
  ~Win32AdapterServer() override { Release(); }
  Win32AdapterServer(const Win32AdapterServer&) = delete;
  Win32AdapterServer& operator=(const Win32AdapterServer&) = delete;

  bool Create() override;
  bool OpenPort(const std::wstring& name, long value) override;
  void Release() override;

 private:
  IAdapterEventsCatchling& catchling_;
  IDispatch* adapter_ = nullptr;
  IConnectionPoint* point_ = nullptr;
  IDispatch* sink_ = nullptr;
  DWORD cookie_ = 0;
};

}  // namespace tolv
