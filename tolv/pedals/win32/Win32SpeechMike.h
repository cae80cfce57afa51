#pragma once
// The SpeechMike control through COM: ISpeechMikeControl is a dual
// interface whose first and third own methods set the control up; its
// events come through the _DSpeechMikeControlEvents connection point.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include "tolv/pedals/VendorComponents.h"

namespace tolv {

// {AAA44754-CC81-4692-91AF-7064E58EB22A}
extern const CLSID CLSID_SpeechMikeControl;
// {D153FC68-6086-4AC4-BB4D-B2E042988A41}
extern const IID IID_ISpeechMikeControl;
extern const IID DIID_DSpeechMikeControlEvents;

// The methods after IUnknown and IDispatch, in their order.
struct ISpeechMikeControl : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE First(long argument) = 0;
  virtual HRESULT STDMETHODCALLTYPE Second() = 0;  // not called
  virtual HRESULT STDMETHODCALLTYPE Third() = 0;
};

class Win32SpeechMike : public ISpeechMikePort {
 public:
  // COM is initialised for the calling thread by Create (apartment-threaded).
  Win32SpeechMike() = default;
  ~Win32SpeechMike() override;
  Win32SpeechMike(const Win32SpeechMike&) = delete;
  Win32SpeechMike& operator=(const Win32SpeechMike&) = delete;

  // Where events go; set before Advise.
  void setTarget(CSpeechMike* target) { target_ = target; }

  bool Create() override;
  void FirstMethod(long argument) override;
  void ThirdMethod() override;
  bool Advise() override;

 private:
  void Release();
  CSpeechMike* target_ = nullptr;
  ISpeechMikeControl* control_ = nullptr;
  IConnectionPoint* point_ = nullptr;
  IDispatch* sink_ = nullptr;
  DWORD cookie_ = 0;
  bool comInitialised_ = false;
};

}  // namespace tolv
