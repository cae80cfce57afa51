#include "tolv/pedals/win32/Win32SpeechMike.h"

#include <oleauto.h>

#include "tolv/pedals/win32/DispatchSink.h"

namespace tolv {

const CLSID CLSID_SpeechMikeControl = {0xAAA44754, 0xCC81, 0x4692, {0x91, 0xAF, 0x70, 0x64, 0xE5, 0x8E, 0xB2, 0x2A}};
const IID IID_ISpeechMikeControl = {0xD153FC68, 0x6086, 0x4AC4, {0xBB, 0x4D, 0xB2, 0xE0, 0x42, 0x98, 0x8A, 0x41}};
const IID DIID_DSpeechMikeControlEvents = {0x2E5B7C31, 0x9A44, 0x4D0B, {0x8F, 0x6E, 0x51, 0xC2, 0x0D, 0x93, 0x7B, 0x18}};

namespace {

// Hands the control's events to the view's SpeechMike part.
class SpeechMikeEventHandler final : public CDispatchSink {
 public:
  explicit SpeechMikeEventHandler(CSpeechMike* target)
      : CDispatchSink(DIID_DSpeechMikeControlEvents), target_(target) {}

 protected:
  HRESULT OnEvent(DISPID id, DISPPARAMS* params) override {
    if (!target_) return S_OK;
    long value = 0;
    bool has = false;
    if (params && params->cArgs > 0) {
      // The first entry of the array is the event's last argument.
      VARIANT v;
      VariantInit(&v);
      if (SUCCEEDED(VariantChangeType(&v, &params->rgvarg[0], 0, VT_I4))) {
        value = v.lVal;
        has = true;
      }
      VariantClear(&v);
    }
    target_->OnEvent(static_cast<int>(id), has ? &value : nullptr);
    return S_OK;
  }

 private:
  CSpeechMike* target_;
};

}  // namespace

Win32SpeechMike::~Win32SpeechMike() {
  Release();
  if (comInitialised_) CoUninitialize();
}

bool Win32SpeechMike::Create() {
  Release();
  if (!comInitialised_) comInitialised_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  if (FAILED(CoCreateInstance(CLSID_SpeechMikeControl, nullptr, CLSCTX_ALL, IID_ISpeechMikeControl,
                              reinterpret_cast<void**>(&control_)))) {
    control_ = nullptr;
    return false;
  }
  return control_ != nullptr;
}

void Win32SpeechMike::FirstMethod(long argument) {
  if (!control_) throw ComError(E_POINTER);
  const HRESULT hr = control_->First(argument);
  if (FAILED(hr)) throw ComError(hr);
}

void Win32SpeechMike::ThirdMethod() {
  if (!control_) throw ComError(E_POINTER);
  const HRESULT hr = control_->Third();
  if (FAILED(hr)) throw ComError(hr);
}

bool Win32SpeechMike::Advise() {
  if (!control_) return false;
  IConnectionPointContainer* container = nullptr;
  if (FAILED(control_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container))))
    return false;
  if (SUCCEEDED(container->FindConnectionPoint(DIID_DSpeechMikeControlEvents, &point_)) && point_) {
    sink_ = new SpeechMikeEventHandler(target_);
    if (FAILED(point_->Advise(sink_, &cookie_))) cookie_ = 0;
  }
  container->Release();
  return cookie_ != 0;
}

void Win32SpeechMike::Release() {
  if (point_) {
    if (cookie_) point_->Unadvise(cookie_);
    point_->Release();
  }
  if (sink_) sink_->Release();
  if (control_) control_->Release();
  point_ = nullptr;
  sink_ = nullptr;
  control_ = nullptr;
  cookie_ = 0;
}

}  // namespace tolv
