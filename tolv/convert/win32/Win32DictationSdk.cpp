#include "tolv/convert/win32/Win32DictationSdk.h"

#include <algorithm>

namespace tolv {

using namespace vrdm;

namespace {

// A BSTR for one call.
class Bstr {
 public:
  explicit Bstr(const std::wstring& s) : b_(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
  ~Bstr() { SysFreeString(b_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return b_; }

 private:
  BSTR b_;
};

}  // namespace

CWin32DeviceManager::CWin32DeviceManager(IVRDMDeviceManager* manager, HWND window, bool comInitialised)
    : manager_(manager), window_(window), comInitialised_(comInitialised) {}

CWin32DeviceManager::~CWin32DeviceManager() {
  // A sink kept by the SDK past this point reports nowhere.
  Retire();
  if (hasOpened_) {
    if (CVRDMDeviceWrapper* device = opened()) device->device()->Close();
  }
  if (sinkRegistered_) manager_->UnregisterNotification();
  devices_.clear();
  manager_->Release();
  if (comInitialised_) CoUninitialize();
}

SdkStatus CWin32DeviceManager::RegisterSink() {
  if (sinkRegistered_) return S_OK;
  IVRDMDeviceNotification* sink = NewDeviceNotification(this);
  const HRESULT hr = manager_->RegisterNotification(sink);
  sink->Release();
  sinkRegistered_ = SUCCEEDED(hr);
  return hr;
}

bool CWin32DeviceManager::Fetch(uint32_t identity) {
  IUnknown* device = nullptr;
  if (FAILED(manager_->GetDeviceById(identity, &device)) || !device) return false;
  std::unique_ptr<CVRDMDeviceWrapper> wrapper = CVRDMDeviceWrapper::Create(device, this);
  device->Release();
  if (!wrapper) return false;
  devices_[identity] = std::move(wrapper);
  return true;
}

std::vector<uint32_t> CWin32DeviceManager::DeviceIdentities() {
  std::vector<uint32_t> identities;
  LONG count = 0;
  if (FAILED(manager_->GetDeviceCount(&count))) count = 0;
  for (LONG i = 0; i < count; ++i) {
    IUnknown* device = nullptr;
    if (FAILED(manager_->GetDevice(i, &device)) || !device) continue;
    std::unique_ptr<CVRDMDeviceWrapper> wrapper = CVRDMDeviceWrapper::Create(device, this);
    device->Release();
    if (!wrapper) continue;
    const uint32_t identity = wrapper->identity();
    if (std::find(identities.begin(), identities.end(), identity) != identities.end()) continue;
    identities.push_back(identity);
    devices_[identity] = std::move(wrapper);
  }
  // The local decoder may be left out of the listing.
  if (std::find(identities.begin(), identities.end(), kLocalDecoderIdentity) == identities.end() &&
      Fetch(kLocalDecoderIdentity))
    identities.push_back(kLocalDecoderIdentity);
  return identities;
}

CVRDMDeviceWrapper* CWin32DeviceManager::opened() const {
  if (!hasOpened_) return nullptr;
  const auto it = devices_.find(opened_);
  return it == devices_.end() ? nullptr : it->second.get();
}

SdkStatus CWin32DeviceManager::OpenDevice(uint32_t identity) {
  const auto it = devices_.find(identity);
  if (it == devices_.end()) return static_cast<SdkStatus>(0x80050008u);  // no device
  const HRESULT hr = it->second->device()->Open();
  if (SUCCEEDED(hr)) {
    opened_ = identity;
    hasOpened_ = true;
  }
  return hr;
}

SdkStatus CWin32DeviceManager::OpenFile(const std::wstring& path, uint32_t& handle) {
  CVRDMDeviceWrapper* device = opened();
  if (!device || !device->files()) return E_NOINTERFACE;
  const Bstr bstr(path);
  ULONG h = 0;
  const HRESULT hr = device->files()->OpenFile(bstr.get(), &h);
  if (SUCCEEDED(hr)) handle = h;
  return hr;
}

SdkStatus CWin32DeviceManager::QueryFile(uint32_t handle) {
  CVRDMDeviceWrapper* device = opened();
  if (!device || !device->files()) return E_NOINTERFACE;
  LONGLONG length = 0;
  return device->files()->QueryFile(handle, &length);
}

SdkStatus CWin32DeviceManager::DecodeToWav(uint32_t handle, const std::wstring& wavPath) {
  CVRDMDeviceWrapper* device = opened();
  if (!device || !device->decoder()) return E_NOINTERFACE;
  const Bstr bstr(wavPath);
  IVRDMFileProgressNotification* sink = NewFileProgressNotification(this);
  const HRESULT hr = device->decoder()->DecodeToWav(handle, bstr.get(), sink);
  sink->Release();
  return hr;
}

void CWin32DeviceManager::CloseFile(uint32_t handle) {
  CVRDMDeviceWrapper* device = opened();
  if (device && device->files()) device->files()->CloseFile(handle);
}

void CWin32DeviceManager::OnDeviceNotify(long event, std::intptr_t device, long) {
  const uint32_t identity = static_cast<uint32_t>(device);
  if (event == VrdmDeviceArrived) {
    if (!knows(identity)) Fetch(identity);
  } else if (event == VrdmDeviceChanged) {
    if (!Fetch(identity)) {
      if (hasOpened_ && opened_ == identity) hasOpened_ = false;
      devices_.erase(identity);
    }
  }
}

void CWin32DeviceManager::PostToWindow(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (window_) PostMessageW(window_, message, wParam, lParam);
}

void CWin32DeviceManager::OnProgress(long long totalFileSize, long long totalBytesTransferred, long, long) {
  if (progress) progress(totalFileSize, totalBytesTransferred);
}

std::unique_ptr<IDeviceManager> CWin32DictationSdk::CreateDeviceManager() {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  // S_FALSE (already initialised) also needs its CoUninitialize; a different
  // threading model does not, and COM is usable all the same.
  const bool initialised = SUCCEEDED(init);
  IVRDMDeviceManager* manager = nullptr;
  if (FAILED(CoCreateInstance(CLSID_VRDMDeviceManager, nullptr, CLSCTX_INPROC_SERVER, IID_IVRDMDeviceManager,
                              reinterpret_cast<void**>(&manager))) ||
      !manager) {
    if (initialised) CoUninitialize();
    return nullptr;
  }
  return std::make_unique<CWin32DeviceManager>(manager, window_, initialised);
}

}  // namespace tolv
