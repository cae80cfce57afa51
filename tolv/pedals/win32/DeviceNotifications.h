#pragma once
// The device-manager SDK's notification classes as COM objects around the
// portable CVRDM* classes, the per-device wrapper, the classes' registry
// entries and the class objects that this program serves.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "tolv/pedals/VendorComponents.h"
#include "tolv/pedals/win32/VRDeviceManagerSdk.h"

namespace tolv {

// An owner that the notification objects may report to: known to the
// process from construction to destruction. "Initialze" comes from other
// components as a bare number, and a component may keep a sink longer than
// its owner lives; objects therefore report only to owners alive at the time
// of the call, and take no unknown number for an owner.
class CLiveVRDMOwner : public IVRDMOwner {
 public:
  CLiveVRDMOwner();
  ~CLiveVRDMOwner() override;
  CLiveVRDMOwner(const CLiveVRDMOwner&) = delete;
  CLiveVRDMOwner& operator=(const CLiveVRDMOwner&) = delete;

 protected:
  // From now on no object reports here; for a derived destructor's first step.
  void Retire();
};

// New objects with one reference, reporting to `owner` (may be null: then
// they report nowhere until "Initialze").
vrdm::IVRDMDeviceNotification* NewDeviceNotification(CLiveVRDMOwner* owner);
vrdm::IVRDMButtonNotification* NewButtonNotification(CLiveVRDMOwner* owner);
vrdm::IVRDMFileProgressNotification* NewFileProgressNotification(CLiveVRDMOwner* owner);

// One device that the device manager lists: its five interfaces and the
// button sink, all released when the wrapper goes.
class CVRDMDeviceWrapper {
 public:
  // Null when `device` is null or is no IVRDMDevice.
  static std::unique_ptr<CVRDMDeviceWrapper> Create(IUnknown* device, CLiveVRDMOwner* owner);
  ~CVRDMDeviceWrapper();
  CVRDMDeviceWrapper(const CVRDMDeviceWrapper&) = delete;
  CVRDMDeviceWrapper& operator=(const CVRDMDeviceWrapper&) = delete;

  uint32_t identity() const { return identity_; }
  vrdm::IVRDMDevice* device() const { return device_; }
  vrdm::IVRDMFileAccess* files() const { return files_; }
  vrdm::IVRDMDecoder* decoder() const { return decoder_; }

 private:
  CVRDMDeviceWrapper() = default;
  uint32_t identity_ = 0;
  vrdm::IVRDMDevice* device_ = nullptr;
  vrdm::IVRDMDeviceInfo* info_ = nullptr;
  vrdm::IVRDMFileAccess* files_ = nullptr;
  vrdm::IVRDMDecoder* decoder_ = nullptr;
  vrdm::IVRDMButtons* buttons_ = nullptr;
  vrdm::IVRDMButtonNotification* buttonSink_ = nullptr;
};

// An owner for objects that other components create by class id: their
// notices go to the main view's window, nothing else.
class CWindowVRDMOwner : public CLiveVRDMOwner {
 public:
  explicit CWindowVRDMOwner(HWND window) : window_(window) {}
  void OnDeviceNotify(long, std::intptr_t, long) override {}
  void PostToWindow(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
    if (window_) PostMessageW(window_, message, wParam, lParam);
  }
  bool CancelRequested() override { return false; }
  void OnProgress(long long, long long, long, long) override {}

 private:
  HWND window_;
};

enum class ClassesRoot {
  PerUser,  // HKEY_CURRENT_USER\Software\Classes: no administrator rights needed
  Machine,  // HKEY_LOCAL_MACHINE\Software\Classes
};

// Writes the three classes (friendly name, LocalServer32 = serverPath,
// threading model, ProgIDs), their interfaces and the type library, built
// into `typeLibraryPath`. False when a key could not be written.
bool WriteDeviceNotificationClasses(ClassesRoot root, const std::wstring& serverPath,
                                    const std::wstring& typeLibraryPath);
void RemoveDeviceNotificationClasses(ClassesRoot root);

// Builds the type library of the three notification interfaces into a file.
bool BuildNotificationTypeLibrary(const std::wstring& path);

// The three class objects of this process, registered with COM while it
// lives. Objects that other components create report to `owner`.
class CDeviceNotificationServer {
 public:
  explicit CDeviceNotificationServer(CLiveVRDMOwner& owner) : owner_(owner) {}
  ~CDeviceNotificationServer() { Stop(); }
  CDeviceNotificationServer(const CDeviceNotificationServer&) = delete;
  CDeviceNotificationServer& operator=(const CDeviceNotificationServer&) = delete;

  // COM is initialised for the calling thread by its owner. False when any
  // class object could not be registered (none stays registered).
  bool Start();
  void Stop();
  bool serving() const { return cookies_[0] != 0; }

 private:
  CLiveVRDMOwner& owner_;
  IClassFactory* factories_[3] = {};
  DWORD cookies_[3] = {};
};

// Everything the player does for the notification classes at start-up, in
// one call on the user-interface thread after COM is initialised: writes the
// per-user class entries for this program, the type library beside its
// per-user data, and serves the classes with notices to `view`. Keep the
// result while the view lives; null when the classes could not be served.
class CDeviceNotifications {
 public:
  explicit CDeviceNotifications(HWND view) : owner_(view), server_(owner_) {}
  CDeviceNotificationServer& server() { return server_; }

 private:
  CWindowVRDMOwner owner_;
  CDeviceNotificationServer server_;
};
std::unique_ptr<CDeviceNotifications> RegisterDeviceNotifications(HWND view);

// True when COM started this program to serve a class ("-Embedding" or
// "/Embedding", any case, alone on the command line): then it is no media
// path to open.
bool IsComServerLaunch(const std::wstring& commandLine);

// The per-user file of the type library (…\Quenmark\Tolv\VRDMNotify.tlb in
// the local application data).
std::wstring NotificationTypeLibraryPath();

}  // namespace tolv
