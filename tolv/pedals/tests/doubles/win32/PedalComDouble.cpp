// In-process doubles of two other makers' pedal components for the Wine
// suite, registered by the test under their CLSIDs:
// - the pedal adapter server: "OpenPort" answers true and fires button 129,
//   the port-opened event and button 0; with TOLV_PEDAL_COM_DOUBLE=refuse it
//   answers false and fires nothing;
// - the SpeechMike control: its third method fires event 3 with a last
//   argument of 12, event 2, and event 3 with 4; with
//   TOLV_PEDAL_COM_DOUBLE=fail its first method fails.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <oleauto.h>
#include <olectl.h>

#include <cwchar>
#include <initializer_list>

namespace {

const CLSID CLSID_AdapterServer = {0x98FFF453, 0xB75E, 0x4BB6, {0x84, 0x99, 0xBA, 0xA7, 0x05, 0x5D, 0xEE, 0x52}};
const IID DIID_IAdapterEvents = {0x6C1B3A0E, 0x5E2D, 0x4F7A, {0x9C, 0x41, 0x2B, 0x8E, 0x13, 0x7D, 0x60, 0xA5}};
const CLSID CLSID_SpeechMikeControl = {0xAAA44754, 0xCC81, 0x4692, {0x91, 0xAF, 0x70, 0x64, 0xE5, 0x8E, 0xB2, 0x2A}};
const IID IID_ISpeechMikeControl = {0xD153FC68, 0x6086, 0x4AC4, {0xBB, 0x4D, 0xB2, 0xE0, 0x42, 0x98, 0x8A, 0x41}};
const IID DIID_DSpeechMikeControlEvents = {0x2E5B7C31, 0x9A44, 0x4D0B, {0x8F, 0x6E, 0x51, 0xC2, 0x0D, 0x93, 0x7B, 0x18}};

LONG objects = 0;

bool Mode(const wchar_t* wanted) {
  wchar_t mode[16];
  const DWORD n = GetEnvironmentVariableW(L"TOLV_PEDAL_COM_DOUBLE", mode, 16);
  return n > 0 && n < 16 && std::wcscmp(mode, wanted) == 0;
}

struct ISpeechMikeControl : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE First(long argument) = 0;
  virtual HRESULT STDMETHODCALLTYPE Second() = 0;
  virtual HRESULT STDMETHODCALLTYPE Third() = 0;
};

// A dispatch object with one outgoing dispinterface and one sink at a time.
// Base is IDispatch or an interface derived from it.
template <class Base>
class Component : public Base, public IConnectionPointContainer, public IConnectionPoint {
 public:
  Component(const IID& own, const IID& events) : own_(own), events_(events) { InterlockedIncrement(&objects); }
  virtual ~Component() {
    if (sink_) sink_->Release();
    InterlockedDecrement(&objects);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, own_))
      *out = static_cast<Base*>(this);
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
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
    if (!point) return E_POINTER;
    if (!IsEqualIID(riid, events_)) {
      *point = nullptr;
      return CONNECT_E_NOCONNECTION;
    }
    *point = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
    if (!iid) return E_POINTER;
    *iid = events_;
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

 protected:
  // Fires an event; arguments in calling order (the array holds them last first).
  void Fire(DISPID event, std::initializer_list<long> arguments) {
    if (!sink_) return;
    VARIANT args[4];
    UINT n = 0;
    for (long a : arguments) {
      if (n == 4) break;
      VariantInit(&args[n]);
      args[n].vt = VT_I4;
      args[n].lVal = a;
      ++n;
    }
    for (UINT i = 0; i < n / 2; ++i) {
      VARIANT t = args[i];
      args[i] = args[n - 1 - i];
      args[n - 1 - i] = t;
    }
    DISPPARAMS params{n ? args : nullptr, nullptr, n, 0};
    sink_->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  }

 private:
  const IID& own_;
  const IID& events_;
  LONG refs_ = 1;
  IDispatch* sink_ = nullptr;
};

class AdapterServer final : public Component<IDispatch> {
 public:
  AdapterServer() : Component(IID_IDispatch, DIID_IAdapterEvents) {}
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
    const bool refuse = Mode(L"refuse") || SysStringLen(name.bstrVal) != 0 || value.lVal != 0;
    if (result) {
      VariantInit(result);
      result->vt = VT_BOOL;
      result->boolVal = refuse ? VARIANT_FALSE : VARIANT_TRUE;
    }
    if (!refuse) {
      Fire(1, {129});
      Fire(2, {});
      Fire(1, {0});
    }
    return S_OK;
  }
};

class SpeechMike final : public Component<ISpeechMikeControl> {
 public:
  SpeechMike() : Component(IID_ISpeechMikeControl, DIID_DSpeechMikeControlEvents) {}
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE First(long argument) override {
    if (Mode(L"fail")) return E_FAIL;
    return argument == 0 ? S_OK : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE Second() override { return E_UNEXPECTED; }
  HRESULT STDMETHODCALLTYPE Third() override {
    started_ = true;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
    const HRESULT hr = Component::Advise(sink, cookie);
    // The buttons come once someone listens.
    if (SUCCEEDED(hr) && started_) {
      Fire(3, {1, 12});
      Fire(2, {14});
      Fire(3, {1, 4});
    }
    return hr;
  }

 private:
  bool started_ = false;
};

template <class T>
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
    T* object = new T;
    const HRESULT hr = object->QueryInterface(riid, out);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory<AdapterServer> adapterFactory;
Factory<SpeechMike> speechMikeFactory;

}  // namespace

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (IsEqualCLSID(clsid, CLSID_AdapterServer)) return adapterFactory.QueryInterface(riid, out);
  if (IsEqualCLSID(clsid, CLSID_SpeechMikeControl)) return speechMikeFactory.QueryInterface(riid, out);
  if (out) *out = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return objects == 0 ? S_OK : S_FALSE; }
