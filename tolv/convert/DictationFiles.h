#pragma once
// DSS and DS2 dictation files are decoded once, through the dictation-device
// maker's SDK, into a WAV file beside them (memo.dss -> memo.dss.wav).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tolv/convert/ConvertPorts.h"

namespace tolv {

// SDK statuses: negative values are failures.
using SdkStatus = int32_t;

// The SDK's device manager, created for one decode. Destroying it
// un-registers the sink, releases the manager and uninitialises COM.
class IDeviceManager {
 public:
  virtual ~IDeviceManager() = default;
  virtual SdkStatus RegisterSink() = 0;
  // Identities of the devices present, in the SDK's order.
  virtual std::vector<uint32_t> DeviceIdentities() = 0;
  virtual SdkStatus OpenDevice(uint32_t identity) = 0;
  virtual SdkStatus OpenFile(const std::wstring& path, uint32_t& handle) = 0;
  virtual SdkStatus QueryFile(uint32_t handle) = 0;
  virtual SdkStatus DecodeToWav(uint32_t handle, const std::wstring& wavPath) = 0;
  virtual void CloseFile(uint32_t handle) = 0;
};

class IDictationSdk {
 public:
  virtual ~IDictationSdk() = default;
  // Initialises COM and creates the manager; null when the SDK is not installed.
  virtual std::unique_ptr<IDeviceManager> CreateDeviceManager() = 0;
};

// A system without the SDK.
class CNoDictationSdk : public IDictationSdk {
 public:
  std::unique_ptr<IDeviceManager> CreateDeviceManager() override { return nullptr; }
};

inline constexpr uint32_t kLocalDecoderIdentity = 0xA0000101u;
// Longest path the SDK takes for a file to open.
inline constexpr size_t kMaxSdkPathChars = 260;

inline constexpr wchar_t kRemoteDictationText[] =
    L"DSS and DS2 files cannot be played remotely. In order to\n play them, please first download to your computer "
    L"and then\n open them from there.";
inline constexpr wchar_t kCodecQuestionText[] =
    L"In order to play dss and ds2 files you must first install\n Varneth Codecs. Would you like to download and\n "
    L"install it now?\n\n Please note that when you play a DSS or DS2 file using\n TOLV, it will produce a wav "
    L"version of the file and store it\n alongside the original.";
inline constexpr wchar_t kCodecDownloadAddress[] = L"http://www.quenmark.com/codecs";

// The text shown for a decode status; unknown codes read as success.
const wchar_t* DictationResultText(SdkStatus status);

class CDictationDecoder {
 public:
  CDictationDecoder(IDictationSdk& sdk, IConvertPlatform& platform, IConvertUi& ui)
      : sdk_(sdk), platform_(platform), ui_(ui), codecAddress_(kCodecDownloadAddress) {}

  // path becomes the file to play: the WAV copy, or the dictation file itself
  // when it could not be decoded. False when the file is refused (remote
  // address, SDK missing); the open ends there.
  bool DecodeDictationFile(std::wstring& path);

 private:
  // True when the WAV file has been written; false plays the dictation file as it is.
  bool Decode(IDeviceManager& manager, const std::wstring& path, const std::wstring& target);

  IDictationSdk& sdk_;
  IConvertPlatform& platform_;
  IConvertUi& ui_;
  std::wstring codecAddress_;
};

}  // namespace tolv
