#pragma once
// The dictation-device SDK's device manager through COM: created in-process
// for each decode, with the player's notification sink registered and a
// wrapper per device it lists. Without the SDK installed no manager is made
// and the decoder asks for the codecs.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>

#include "tolv/convert/DictationFiles.h"
#include "tolv/pedals/win32/DeviceNotifications.h"

namespace tolv {

class CWin32DeviceManager : public IDeviceManager, public CLiveVRDMOwner {
 public:
  // Takes over the manager's reference; uninitialises COM when it goes if
  // `comInitialised`.
  CWin32DeviceManager(vrdm::IVRDMDeviceManager* manager, HWND window, bool comInitialised);
  ~CWin32DeviceManager() override;
  CWin32DeviceManager(const CWin32DeviceManager&) = delete;
  CWin32DeviceManager& operator=(const CWin32DeviceManager&) = delete;

  SdkStatus RegisterSink() override;
  std::vector<uint32_t> DeviceIdentities() override;
  SdkStatus OpenDevice(uint32_t identity) override;
  SdkStatus OpenFile(const std::wstring& path, uint32_t& handle) override;
  SdkStatus QueryFile(uint32_t handle) override;
  SdkStatus DecodeToWav(uint32_t handle, const std::wstring& wavPath) override;
  void CloseFile(uint32_t handle) override;

  // What the notification objects report.
  void OnDeviceNotify(long event, std::intptr_t device, long extra) override;
  void PostToWindow(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
  bool CancelRequested() override { return cancelTest && cancelTest(); }
  void OnProgress(long long totalFileSize, long long totalBytesTransferred, long a, long b) override;

  // Optional: asked on each progress step of a transfer.
  std::function<bool()> cancelTest;
  std::function<void(long long totalFileSize, long long totalBytesTransferred)> progress;

  bool knows(uint32_t identity) const { return devices_.count(identity) != 0; }

 private:
  // Looks the device up by identity at the manager and (re)places its wrapper; false when the manager has none.
  bool Fetch(uint32_t identity);
  CVRDMDeviceWrapper* opened() const;

  vrdm::IVRDMDeviceManager* manager_;
  HWND window_;
  bool comInitialised_;
  bool sinkRegistered_ = false;
  std::map<uint32_t, std::unique_ptr<CVRDMDeviceWrapper>> devices_;
  uint32_t opened_ = 0;
  bool hasOpened_ = false;
};

class CWin32DictationSdk : public IDictationSdk {
 public:
  // Notices of the device manager go to `window` (may be null).
  explicit CWin32DictationSdk(HWND window = nullptr) : window_(window) {}
  std::unique_ptr<IDeviceManager> CreateDeviceManager() override;

 private:
  HWND window_;
};

}  // namespace tolv
