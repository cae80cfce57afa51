#pragma once
// The binding to the Varneth device-manager SDK: its device manager, the
// interfaces of a device, and the three notification interfaces that the
// player implements for it. Shared by the player and the test doubles.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

namespace tolv::vrdm {

// Device manager: class {BB5A6659-0AE4-4D24-9E84-9B01AA301863}, in-process.
inline constexpr CLSID CLSID_VRDMDeviceManager = {
    0xBB5A6659, 0x0AE4, 0x4D24, {0x9E, 0x84, 0x9B, 0x01, 0xAA, 0x30, 0x18, 0x63}};
inline constexpr IID IID_IVRDMDeviceManager = {
    0x4EF9F698, 0x1860, 0x4922, {0xBC, 0x05, 0x4C, 0x7C, 0x42, 0x4F, 0x23, 0x19}};

// Notification classes served by the player.
inline constexpr CLSID CLSID_CVRDMDeviceNotification = {
    0x24E0C7FD, 0xCAD0, 0x48F0, {0x92, 0xDB, 0xC6, 0xD5, 0xE9, 0x7C, 0x8E, 0x60}};
inline constexpr CLSID CLSID_CVRDMButtonNotification = {
    0x650DA1CA, 0x9983, 0x4B53, {0x87, 0x76, 0x6D, 0x00, 0x68, 0xF0, 0xE0, 0xB3}};
inline constexpr CLSID CLSID_CVRDMFileProgressNotification = {
    0x689D3681, 0xCECA, 0x4851, {0xAE, 0xA3, 0x1B, 0x55, 0x75, 0xBA, 0xA0, 0x8F}};

// The sink that the device manager takes.
inline constexpr IID IID_IVRDMDeviceNotification = {
    0x5736805D, 0x43BE, 0x478A, {0xAE, 0x36, 0xD2, 0x86, 0x72, 0x52, 0xE9, 0xC5}};
inline constexpr IID IID_IVRDMButtonNotification = {
    0x3B0F5E52, 0x7C1D, 0x4A86, {0x9E, 0x2B, 0x61, 0x4D, 0xA8, 0x0C, 0x35, 0x71}};
inline constexpr IID IID_IVRDMFileProgressNotification = {
    0x9D6A2C14, 0x5B3E, 0x4F09, {0xA1, 0x7C, 0x2E, 0x58, 0xB4, 0x90, 0x6D, 0x23}};
// Type library of the three notification interfaces.
inline constexpr GUID LIBID_VRDMNotificationLib = {
    0x4C8E1B27, 0x6A3D, 0x4E52, {0x8B, 0x19, 0x7F, 0x20, 0xC6, 0x5A, 0x91, 0x3E}};

// Interfaces of a device.
inline constexpr IID IID_IVRDMDevice = {
    0x1E7D4A60, 0x2B95, 0x4C3A, {0x8D, 0x51, 0x0A, 0x6F, 0x93, 0x2E, 0xC1, 0x47}};
inline constexpr IID IID_IVRDMDeviceInfo = {
    0x1E7D4A61, 0x2B95, 0x4C3A, {0x8D, 0x51, 0x0A, 0x6F, 0x93, 0x2E, 0xC1, 0x47}};
inline constexpr IID IID_IVRDMFileAccess = {
    0x1E7D4A62, 0x2B95, 0x4C3A, {0x8D, 0x51, 0x0A, 0x6F, 0x93, 0x2E, 0xC1, 0x47}};
inline constexpr IID IID_IVRDMDecoder = {
    0x1E7D4A63, 0x2B95, 0x4C3A, {0x8D, 0x51, 0x0A, 0x6F, 0x93, 0x2E, 0xC1, 0x47}};
inline constexpr IID IID_IVRDMButtons = {
    0x1E7D4A64, 0x2B95, 0x4C3A, {0x8D, 0x51, 0x0A, 0x6F, 0x93, 0x2E, 0xC1, 0x47}};

// ------------------------------------------------------------ notifications

// "Initialze" takes the owner as a pointer-sized value of the owner's
// process; it is meaningful in-process only.
struct IVRDMDeviceNotification : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE OnDeviceNotify(LONG event, LONGLONG device, LONG extra) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnDeviceNotifyString(LONG event, BSTR text) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnDeviceErrorNotify(LONG event, LONG error) = 0;
  virtual HRESULT STDMETHODCALLTYPE Initialze(LONGLONG owner) = 0;
};

struct IVRDMButtonNotification : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE OnButtonChange(LONG code, LONG parameter) = 0;
};

// Returns S_OK to go on, or VRDM_E_TRANSFER_CANCELLED to stop the transfer.
struct IVRDMFileProgressNotification : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE OnProgressNotify(LONGLONG totalFileSize, LONGLONG totalBytesTransferred,
                                                     LONG fileIndex, LONG fileCount) = 0;
};

// --------------------------------------------------------- device manager

struct IVRDMDeviceManager : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE RegisterNotification(IVRDMDeviceNotification* sink) = 0;
  virtual HRESULT STDMETHODCALLTYPE UnregisterNotification() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDeviceCount(LONG* count) = 0;
  // A device in the manager's order, as IVRDMDevice.
  virtual HRESULT STDMETHODCALLTYPE GetDevice(LONG index, IUnknown** device) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDeviceById(ULONG identity, IUnknown** device) = 0;
};

struct IVRDMDevice : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetIdentity(ULONG* identity) = 0;
  virtual HRESULT STDMETHODCALLTYPE Open() = 0;
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;
};

struct IVRDMDeviceInfo : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetName(BSTR* name) = 0;
};

struct IVRDMFileAccess : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE OpenFile(BSTR path, ULONG* handle) = 0;
  virtual HRESULT STDMETHODCALLTYPE QueryFile(ULONG handle, LONGLONG* length) = 0;
  virtual HRESULT STDMETHODCALLTYPE CloseFile(ULONG handle) = 0;
};

struct IVRDMDecoder : public IUnknown {
  // progress may be null.
  virtual HRESULT STDMETHODCALLTYPE DecodeToWav(ULONG handle, BSTR wavPath,
                                                IVRDMFileProgressNotification* progress) = 0;
};

struct IVRDMButtons : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Advise(IVRDMButtonNotification* sink) = 0;
  virtual HRESULT STDMETHODCALLTYPE Unadvise() = 0;
};

}  // namespace tolv::vrdm
