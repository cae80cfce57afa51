// In-process double of the dictation-device maker's device manager for the
// Wine suites, registered by the test under the manager's class id.
// Devices: 0x11, then the local decoder 0xA0000101. Decoding writes a short
// silent WAV file at the requested path. TOLV_DEVMGR_DOUBLE changes that:
//   "status:<hex>"  decoding answers that status and writes nothing
//   "nolocal"       only device 0x11 is listed or found
//   "nodevice"      no device at all
// Registering the sink announces the local decoder, sends a string notice,
// and presses a button on a button notification made from its ProgID, so the
// player's served classes are reached. DmDoubleCount(name) reads counters.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstdlib>
#include <cwchar>
#include <string>

#include "tolv/pedals/win32/VRDeviceManagerSdk.h"

using namespace tolv::vrdm;

namespace {

LONG objects = 0;
LONG decodes = 0, opens = 0, sinkRegistrations = 0, sinkUnregistrations = 0, openedDevice = 0, servedButtons = 0,
     progressAnswer = 0;

std::wstring Mode() {
  wchar_t mode[64];
  const DWORD n = GetEnvironmentVariableW(L"TOLV_DEVMGR_DOUBLE", mode, 64);
  return n > 0 && n < 64 ? std::wstring(mode, n) : std::wstring();
}

bool Listed(ULONG identity) {
  const std::wstring mode = Mode();
  if (mode == L"nodevice") return false;
  if (mode == L"nolocal") return identity == 0x11;
  return identity == 0x11 || identity == 0xA0000101u;
}

void WriteSilentWav(const wchar_t* path) {
  const DWORD rate = 8000, samples = 800;
  unsigned char header[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
                              1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 16, 0, 'd', 'a', 't', 'a', 0, 0, 0, 0};
  auto put32 = [&](int at, DWORD v) {
    for (int i = 0; i < 4; ++i) header[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  put32(4, 36 + samples * 2);
  put32(24, rate);
  put32(28, rate * 2);
  put32(40, samples * 2);
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, header, sizeof header, &written, nullptr);
  std::string silence(samples * 2, '\0');
  WriteFile(file, silence.data(), static_cast<DWORD>(silence.size()), &written, nullptr);
  CloseHandle(file);
}

class Device final : public IVRDMDevice,
                     public IVRDMDeviceInfo,
                     public IVRDMFileAccess,
                     public IVRDMDecoder,
                     public IVRDMButtons {
 public:
  explicit Device(ULONG identity) : identity_(identity) { InterlockedIncrement(&objects); }
  ~Device() {
    if (buttons_) buttons_->Release();
    InterlockedDecrement(&objects);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IVRDMDevice))
      *out = static_cast<IVRDMDevice*>(this);
    else if (IsEqualIID(riid, IID_IVRDMDeviceInfo))
      *out = static_cast<IVRDMDeviceInfo*>(this);
    else if (IsEqualIID(riid, IID_IVRDMFileAccess))
      *out = static_cast<IVRDMFileAccess*>(this);
    else if (IsEqualIID(riid, IID_IVRDMDecoder))
      *out = static_cast<IVRDMDecoder*>(this);
    else if (IsEqualIID(riid, IID_IVRDMButtons))
      *out = static_cast<IVRDMButtons*>(this);
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

  HRESULT STDMETHODCALLTYPE GetIdentity(ULONG* identity) override {
    if (!identity) return E_POINTER;
    *identity = identity_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Open() override {
    InterlockedIncrement(&opens);
    openedDevice = static_cast<LONG>(identity_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Close() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetName(BSTR* name) override {
    if (!name) return E_POINTER;
    *name = SysAllocString(L"Double");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OpenFile(BSTR path, ULONG* handle) override {
    if (!path || !handle) return E_POINTER;
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return static_cast<HRESULT>(0x80040303u);
    *handle = 7;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryFile(ULONG handle, LONGLONG* length) override {
    if (handle != 7) return static_cast<HRESULT>(0x80040306u);
    if (length) *length = 1600;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CloseFile(ULONG handle) override {
    return handle == 7 ? S_OK : static_cast<HRESULT>(0x80040306u);
  }
  HRESULT STDMETHODCALLTYPE DecodeToWav(ULONG handle, BSTR wavPath, IVRDMFileProgressNotification* progress) override {
    if (handle != 7) return static_cast<HRESULT>(0x80040306u);
    InterlockedIncrement(&decodes);
    if (progress) {
      progressAnswer = progress->OnProgressNotify(1600, 800, 0, 1);
      if (progressAnswer != S_OK) return progressAnswer;
    }
    const std::wstring mode = Mode();
    if (mode.rfind(L"status:", 0) == 0) return static_cast<HRESULT>(std::wcstoul(mode.c_str() + 7, nullptr, 16));
    WriteSilentWav(wavPath);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IVRDMButtonNotification* sink) override {
    if (!sink) return E_POINTER;
    if (buttons_) return E_UNEXPECTED;
    buttons_ = sink;
    buttons_->AddRef();
    // Ignored, posted, and not a button of the SDK.
    buttons_->OnButtonChange(1524, 0);
    buttons_->OnButtonChange(1529, 1);
    buttons_->OnButtonChange(1600, 0);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Unadvise() override {
    if (!buttons_) return E_UNEXPECTED;
    buttons_->Release();
    buttons_ = nullptr;
    return S_OK;
  }

 private:
  ULONG identity_;
  LONG refs_ = 1;
  IVRDMButtonNotification* buttons_ = nullptr;
};

class Manager final : public IVRDMDeviceManager {
 public:
  Manager() { InterlockedIncrement(&objects); }
  ~Manager() {
    if (sink_) sink_->Release();
    InterlockedDecrement(&objects);
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IVRDMDeviceManager)) {
      *out = static_cast<IVRDMDeviceManager*>(this);
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

  HRESULT STDMETHODCALLTYPE RegisterNotification(IVRDMDeviceNotification* sink) override {
    if (!sink) return E_POINTER;
    IVRDMDeviceNotification* checked = nullptr;
    if (FAILED(sink->QueryInterface(IID_IVRDMDeviceNotification, reinterpret_cast<void**>(&checked))))
      return E_NOINTERFACE;
    if (sink_) sink_->Release();
    sink_ = checked;
    InterlockedIncrement(&sinkRegistrations);
    if (Listed(0xA0000101u)) sink_->OnDeviceNotify(1725, 0xA0000101u, 0);
    sink_->OnDeviceNotifyString(1725, SysAllocString(L"arrived"));
    sink_->OnDeviceErrorNotify(1725, 0);
    PressServedButton();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE UnregisterNotification() override {
    if (!sink_) return E_UNEXPECTED;
    sink_->Release();
    sink_ = nullptr;
    InterlockedIncrement(&sinkUnregistrations);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDeviceCount(LONG* count) override {
    if (!count) return E_POINTER;
    const std::wstring mode = Mode();
    *count = mode == L"nodevice" ? 0 : mode == L"nolocal" ? 1 : 2;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDevice(LONG index, IUnknown** device) override {
    if (!device) return E_POINTER;
    *device = nullptr;
    LONG count = 0;
    GetDeviceCount(&count);
    if (index < 0 || index >= count) return E_INVALIDARG;
    *device = static_cast<IVRDMDevice*>(new Device(index == 0 ? 0x11 : 0xA0000101u));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDeviceById(ULONG identity, IUnknown** device) override {
    if (!device) return E_POINTER;
    *device = nullptr;
    if (!Listed(identity)) return static_cast<HRESULT>(0x80050008u);
    *device = static_cast<IVRDMDevice*>(new Device(identity));
    return S_OK;
  }

 private:
  // A button notification made the way any client of the player's classes would.
  static void PressServedButton() {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"VdiTestApp.VRDMButtonNotification", &clsid))) return;
    IVRDMButtonNotification* buttons = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IVRDMButtonNotification,
                                reinterpret_cast<void**>(&buttons))) ||
        !buttons)
      return;
    if (SUCCEEDED(buttons->OnButtonChange(1545, 7))) InterlockedIncrement(&servedButtons);
    buttons->Release();
  }

  LONG refs_ = 1;
  IVRDMDeviceNotification* sink_ = nullptr;
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
    Manager* object = new Manager;
    const HRESULT hr = object->QueryInterface(riid, out);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory factory;

}  // namespace

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (IsEqualCLSID(clsid, CLSID_VRDMDeviceManager)) return factory.QueryInterface(riid, out);
  if (out) *out = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return objects == 0 ? S_OK : S_FALSE; }

// Counters for the tests: "decodes", "opens", "device" (last opened),
// "registrations", "unregistrations", "served", "progress" (last answer), "objects".
extern "C" LONG WINAPI DmDoubleCount(const char* name) {
  const std::string n = name ? name : "";
  if (n == "decodes") return decodes;
  if (n == "opens") return opens;
  if (n == "device") return openedDevice;
  if (n == "registrations") return sinkRegistrations;
  if (n == "unregistrations") return sinkUnregistrations;
  if (n == "served") return servedButtons;
  if (n == "progress") return progressAnswer;
  if (n == "objects") return objects;
  return -1;
}
