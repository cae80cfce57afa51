// An in-process pedal adapter server for the Wine suite, registered by the
// test under the server's CLSID. "OpenPort" answers true and fires button
// 129, the port-opened event and button 0 at the subscribed sink; with
// TOLV_ADAPTER_DOUBLE=refuse it answers false and fires nothing.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <oleauto.h>
#include <olectl.h>

#include <cwchar>

namespace {

const IID DIID_IAdapterEvents = {0x6C1B3A0E, 0x5E2D, 0x4F7A, {0x9C, 0x41, 0x2B, 0x8E, 0x13, 0x7D, 0x60, 0xA5}};
LONG objects = 0;

bool Refusing() {
  wchar_t mode[16];
  const DWORD n = GetEnvironmentVariableW(L"TOLV_ADAPTER_DOUBLE", mode, 16);
  return n > 0 && n < 16 && std::wcscmp(mode, L"refuse") == 0;
}

class Server final : public IDispatch, public IConnectionPointContainer, public IConnectionPoint {
 public:
  Server() { InterlockedIncrement(&objects); }
  ~Server() {
    if (sink_) sink_->Release();
    InterlockedDecrement(&objects);
  }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch))
      *out = static_cast<IDispatch*>(this);
    else if (IsEqualIID(riid, IID_IConnectionPointContainer))
      *out = static_cast<IConnectionPointContainer*>(this);
    else if (IsEqualIID(riid, IID_IConnectionPoint))
      *out = static_cast<IConnectionPoint*>(this);
    else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
  }

  // IDispatch: the adapter
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (count != 1 || !names || !ids) return E_INVALIDARG;
    if (std::wcscmp(names[0], L"OpenPort") != 0) return DISP_E_UNKNOWNNAME;
    ids[0] = 7;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    if (id != 7) return DISP_E_MEMBERNOTFOUND;
    if (!params || params->cArgs != 2) return DISP_E_BADPARAMCOUNT;
    const VARIANT& name = params->rgvarg[1];
    const VARIANT& value = params->rgvarg[0];
    if (name.vt != VT_BSTR || value.vt != VT_I4) return DISP_E_TYPEMISMATCH;
    const bool refuse = Refusing() || SysStringLen(name.bstrVal) != 0 || value.lVal != 0;
    if (result) {
      VariantInit(result);
      result->vt = VT_BOOL;
      result->boolVal = refuse ? VARIANT_FALSE : VARIANT_TRUE;
    }
    if (!refuse) {
      Fire(1, 129);
      Fire(2, -1);
      Fire(1, 0);
    }
    return S_OK;
  }

  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
    if (!point) return E_POINTER;
    if (!IsEqualIID(riid, DIID_IAdapterEvents)) {
      *point = nullptr;
      return CONNECT_E_NOCONNECTION;
    }
    *point = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }

  // IConnectionPoint: one sink at a time
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
    if (!iid) return E_POINTER;
    *iid = DIID_IAdapterEvents;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** c) override {
    return QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(c));
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
    if (!sink || !cookie) return E_POINTER;
    if (sink_) return CONNECT_E_ADVISELIMIT;
    if (FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&sink_)))) return CONNECT_E_CANNOTCONNECT;
    *cookie = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
    if (cookie != 1 || !sink_) return CONNECT_E_NOCONNECTION;
    sink_->Release();
    sink_ = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

 private:
  void Fire(DISPID event, long code) {
    if (!sink_) return;
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_I4;
    arg.lVal = code;
    DISPPARAMS params{&arg, nullptr, code >= 0 ? 1u : 0u, 0};
    sink_->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  }

  LONG refs_ = 1;
  IDispatch* sink_ = nullptr;
};

class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (outer) return CLASS_E_NOAGGREGATION;
    Server* server = new Server;
    const HRESULT hr = server->QueryInterface(riid, out);
    server->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory factory;

}  // namespace

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID riid, void** out) {
  return factory.QueryInterface(riid, out);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return objects == 0 ? S_OK : S_FALSE; }
