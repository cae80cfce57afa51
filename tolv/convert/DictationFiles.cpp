#include "tolv/convert/DictationFiles.h"

#include "tolv/playback/OpenMedia.h"

namespace tolv {

const wchar_t* DictationResultText(SdkStatus status) {
  switch (static_cast<uint32_t>(status)) {
    case 0x80004005u: return L" Abnormal Terminate!  ";
    case 0x80004002u: return L" No Interface!  ";
    case 0x80040300u: return L" FileDownloader is not initialized!  ";
    case 0x80040301u: return L" File is not selected!  ";
    case 0x80040302u: return L" Not a folder in device!  ";
    case 0x80040303u: return L" File does not exist!  ";
    case 0x80040304u: return L" Fail to open file!  ";
    case 0x80040305u: return L" File format is invalid!  ";
    case 0x80040306u: return L" Invalid file handle is assigned!  ";
    case 0x80040307u: return L" File already exists!  ";
    case 0x80040308u: return L" Error reading file!  ";
    case 0x80040309u: return L" Error writing to file!  ";
    case 0x8004030Au: return L" There is no DSS header!  ";
    case 0x8004030Bu: return L" There is no optional header!  ";
    case 0x8004030Cu: return L" Value in Header item is invalid!  ";
    case 0x8004030Du: return L" Fail to access to the requested path!  ";
    case 0x8004030Eu: return L" Password for encrypting file is invalid!  ";
    case 0x8004030Fu: return L" Format conversion is failed!  ";
    case 0x80040311u: return L" DSS file LicenseID is not for Varneth!  ";
    case 0x80040312u: return L" The operation has been cancelled!  ";
    case 0x80040313u: return L" Windows system exception error occurred!  ";
    case 0x80050008u: return L" There is no device!  ";
    default: return L" Processing success.  ";
  }
}

bool CDictationDecoder::DecodeDictationFile(std::wstring& path) {
  if (IsRemoteAddress(path)) {
    ui_.warn(kRemoteDictationText);
    return false;
  }
  const std::wstring target = path + L".wav";
  if (platform_.fileExists(target)) {
    path = target;
    return true;
  }
  std::unique_ptr<IDeviceManager> manager = sdk_.CreateDeviceManager();
  if (!manager) {
    if (ui_.askYesNo(kCodecQuestionText)) platform_.openInBrowser(codecAddress_);
    return false;
  }
  if (Decode(*manager, path, target)) path = target;
  return true;
}

bool CDictationDecoder::Decode(IDeviceManager& manager, const std::wstring& path, const std::wstring& target) {
  // The sink only brings device notifications; decoding works without it.
  manager.RegisterSink();
  const std::vector<uint32_t> devices = manager.DeviceIdentities();
  if (devices.empty()) return false;
  uint32_t device = devices.front();
  for (uint32_t identity : devices)
    if (identity == kLocalDecoderIdentity) device = identity;
  if (manager.OpenDevice(device) < 0) return false;

  // The SDK copies the path into a fixed buffer; a longer one is not handed over.
  if (path.size() > kMaxSdkPathChars) return false;
  uint32_t handle = 0;
  if (manager.OpenFile(path, handle) < 0) return false;
  bool decoded = false;
  if (manager.QueryFile(handle) >= 0) {
    ui_.showWaitNote(kConversionWaitText);
    const SdkStatus status = manager.DecodeToWav(handle, target);
    ui_.closeWaitNote();
    if (status < 0)
      ui_.warn(DictationResultText(status));
    else
      decoded = true;
  }
  manager.CloseFile(handle);
  return decoded;
}

}  // namespace tolv
