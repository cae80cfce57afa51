#include "tolv/pedals/win32/Win32AdapterServer.h"

#include <oleauto.h>

#include "tolv/pedals/win32/DispatchSink.h"

namespace tolv {

const CLSID CLSID_AdapterServer = {0x98FFF453, 0xB75E, 0x4BB6, {0x84, 0x99, 0xBA, 0xA7, 0x05, 0x5D, 0xEE, 0x52}};
const IID DIID_IAdapterEvents = {0x6C1B3A0E, 0x5E2D, 0x4F7A, {0x9C, 0x41, 0x2B, 0x8E, 0x13, 0x7D, 0x60, 0xA5}};

namespace {

long LongArgument(const DISPPARAMS* params, UINT position) {
  // Arguments arrive last first.
  if (!params || position >= params->cArgs) return 0;
  VARIANT v;
  VariantInit(&v);
  long value = 0;
  if (SUCCEEDED(VariantChangeType(&v, &params->rgvarg[params->cArgs - 1 - position], 0, VT_I4))) value = v.lVal;
  VariantClear(&v);
  return value;
}

// The event sink handed to the server's connection point.
class EventSink final : public CDispatchSink {
 public:
  explicit EventSink(IAdapterEventsCatchling& catchling) : CDispatchSink(DIID_IAdapterEvents), catchling_(catchling) {}

 protected:
  HRESULT OnEvent(DISPID id, DISPPARAMS* params) override {
    switch (id) {
      case 1: catchling_.OnButton(LongArgument(params, 0)); break;
      case 2: catchling_.OnPortOpened(); break;
      case 3: catchling_.OnPortClosed(); break;
      case 4: catchling_.OnError(LongArgument(params, 0)); break;
      case 5: catchling_.OnData(LongArgument(params, 0)); break;
      default: return DISP_E_MEMBERNOTFOUND;
    }
    return S_OK;
  }

 private:
  IAdapterEventsCatchling& catchling_;
};

}  // namespace

bool Win32AdapterServer::Create() {
  Release();
  if (FAILED(CoCreateInstance(CLSID_AdapterServer, nullptr, CLSCTX_ALL, IID_IDispatch,
                              reinterpret_cast<void**>(&adapter_))) ||
      !adapter_) {
    adapter_ = nullptr;
    return false;
  }
  IConnectionPointContainer* container = nullptr;
  if (SUCCEEDED(adapter_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)))) {
    if (SUCCEEDED(container->FindConnectionPoint(DIID_IAdapterEvents, &point_)) && point_) {
      sink_ = new EventSink(catchling_);
      if (FAILED(point_->Advise(sink_, &cookie_))) cookie_ = 0;
    }
    container->Release();
  }
  if (cookie_ == 0) {
    // Without its events the adapter is of no use.
    Release();
    return false;
  }
  return true;
}

bool Win32AdapterServer::OpenPort(const std::wstring& name, long value) {
  if (!adapter_) return false;
  OLECHAR* method = const_cast<OLECHAR*>(L"OpenPort");
  DISPID id = 0;
  if (FAILED(adapter_->GetIDsOfNames(IID_NULL, &method, 1, LOCALE_USER_DEFAULT, &id))) return false;
  VARIANT args[2];
  VariantInit(&args[0]);
  VariantInit(&args[1]);
  args[1].vt = VT_BSTR;  // first argument, last in the array
  args[1].bstrVal = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
  args[0].vt = VT_I4;
  args[0].lVal = value;
  DISPPARAMS params{args, nullptr, 2, 0};
  VARIANT result;
  VariantInit(&result);
  const HRESULT hr = adapter_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr,
                                      nullptr);
  VariantClear(&args[1]);
  // A result of false also means the port did not open.
  bool opened = SUCCEEDED(hr);
  if (opened && result.vt != VT_EMPTY) {
    VARIANT b;
    VariantInit(&b);
    opened = SUCCEEDED(VariantChangeType(&b, &result, 0, VT_BOOL)) && b.boolVal != VARIANT_FALSE;
  }
  VariantClear(&result);
  return opened;
}

void Win32AdapterServer::Release() {
  if (point_) {
    if (cookie_) point_->Unadvise(cookie_);
    point_->Release();
  }
  if (sink_) sink_->Release();
  if (adapter_) adapter_->Release();
  point_ = nullptr;
  sink_ = nullptr;
  adapter_ = nullptr;
  cookie_ = 0;
}

}  // namespace tolv
