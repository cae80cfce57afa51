#pragma once
// The IUnknown/IDispatch half of an event sink handed to a component's
// connection point: the events arrive by number through Invoke; the derived
// class says what each one does.
#include <windows.h>
#include <oaidl.h>

namespace tolv {

class CDispatchSink : public IDispatch {
 public:
  explicit CDispatchSink(const IID& events) : events_(events) {}
  virtual ~CDispatchSink() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, events_)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
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
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return OnEvent(id, params);
  }

 protected:
  virtual HRESULT OnEvent(DISPID id, DISPPARAMS* params) = 0;

 private:
  const IID events_;
  LONG refs_ = 1;
};

}  // namespace tolv
