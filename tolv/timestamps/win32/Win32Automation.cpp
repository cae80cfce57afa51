#include "tolv/timestamps/win32/Win32Automation.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstring>

namespace tolv {

namespace {

CLSID ToClsid(const ClassId& id) {
  CLSID clsid;
  static_assert(sizeof clsid == sizeof id.bytes);
  std::memcpy(&clsid, id.bytes, sizeof clsid);
  return clsid;
}

// Frees what a failed call left in the exception record and picks the code to report.
long FailureCode(HRESULT hr, EXCEPINFO& exception) {
  if (hr == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (exception.scode != 0) return exception.scode;
  }
  return hr;
}

class ComDispatchDriver : public IDispatchDriver {
 public:
  explicit ComDispatchDriver(IDispatch* dispatch) : dispatch_(dispatch) {}
  ~ComDispatchDriver() override { dispatch_->Release(); }
  ComDispatchDriver(const ComDispatchDriver&) = delete;
  ComDispatchDriver& operator=(const ComDispatchDriver&) = delete;

  std::unique_ptr<IDispatchDriver> GetObjectProperty(int32_t dispid) override {
    DISPPARAMS params{};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    UINT argError = 0;
    const HRESULT hr = dispatch_->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                         &params, &result, &exception, &argError);
    if (FAILED(hr)) throw AutomationError(FailureCode(hr, exception));
    if (result.vt != VT_DISPATCH || !result.pdispVal) {
      VariantClear(&result);
      throw AutomationError(DISP_E_TYPEMISMATCH);
    }
    return std::make_unique<ComDispatchDriver>(result.pdispVal);  // takes the variant's reference
  }

  void InvokeMethod(int32_t dispid, const std::vector<std::wstring>& stringArgs) override {
    // Arguments go in reverse order.
    std::vector<VARIANT> args(stringArgs.size());
    for (size_t i = 0; i < stringArgs.size(); ++i) {
      VARIANT& arg = args[stringArgs.size() - 1 - i];
      VariantInit(&arg);
      arg.vt = VT_BSTR;
      arg.bstrVal = SysAllocStringLen(stringArgs[i].data(), static_cast<UINT>(stringArgs[i].size()));
    }
    DISPPARAMS params{};
    params.rgvarg = args.empty() ? nullptr : args.data();
    params.cArgs = static_cast<UINT>(args.size());
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    UINT argError = 0;
    const HRESULT hr = dispatch_->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                         &result, &exception, &argError);
    VariantClear(&result);
    for (VARIANT& arg : args) VariantClear(&arg);
    if (FAILED(hr)) throw AutomationError(FailureCode(hr, exception));
  }

 private:
  IDispatch* dispatch_;
};

class ComRunningObject : public IRunningObject {
 public:
  explicit ComRunningObject(IUnknown* unknown) : unknown_(unknown) {}
  ~ComRunningObject() override { unknown_->Release(); }
  ComRunningObject(const ComRunningObject&) = delete;
  ComRunningObject& operator=(const ComRunningObject&) = delete;

  std::unique_ptr<IDispatchDriver> QueryDispatch() override {
    IDispatch* dispatch = nullptr;
    if (FAILED(unknown_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))) || !dispatch)
      return nullptr;
    return std::make_unique<ComDispatchDriver>(dispatch);
  }

 private:
  IUnknown* unknown_;
};

}  // namespace

Win32Automation::Win32Automation() {
  const HRESULT hr = CoInitialize(nullptr);
  uninitialize_ = SUCCEEDED(hr);  // S_FALSE too: every successful call needs its own uninitialise
}

Win32Automation::~Win32Automation() {
  if (uninitialize_) CoUninitialize();
}

bool Win32Automation::ClassFromProgId(const std::wstring& progId, ClassId& clsid) {
  CLSID found;
  if (FAILED(CLSIDFromProgID(progId.c_str(), &found))) return false;
  std::memcpy(clsid.bytes, &found, sizeof found);
  return true;
}

std::unique_ptr<IRunningObject> Win32Automation::GetActiveObject(const ClassId& clsid) {
  const CLSID id = ToClsid(clsid);
  IUnknown* unknown = nullptr;
  if (FAILED(::GetActiveObject(id, nullptr, &unknown)) || !unknown) return nullptr;
  return std::make_unique<ComRunningObject>(unknown);
}

}  // namespace tolv
