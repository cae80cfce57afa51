#pragma once
// Pedal components of other makers that the player calls or is called by:
// the pedal adapter server, the SpeechMike control and the device-manager
// SDK's notification objects. The COM plumbing lives behind small ports;
// what reaches the transport goes through the pedal mapping.
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tolv/pedals/PedalMapping.h"

namespace tolv {

// A failed COM call that is not swallowed.
class ComError : public std::runtime_error {
 public:
  explicit ComError(long hr) : std::runtime_error("COM call failed"), hr(hr) {}
  long hr;
};

// ------------------------------------------------------ pedal adapter server

// CLSID {98FFF453-B75E-4BB6-8499-BAA7055DEE52}.
class IAdapterServerPort {
 public:
  virtual ~IAdapterServerPort() = default;
  // Creates the server object, takes its adapter interface and subscribes the
  // catchling to its events; false when any of it fails (nothing is left held).
  virtual bool Create() = 0;
  virtual bool OpenPort(const std::wstring& name, long value) = 0;
  // Unsubscribes and releases the server.
  virtual void Release() = 0;
};

// The five events of the adapter, in their order; only the first carries a button.
class IAdapterEventsCatchling {
 public:
  virtual ~IAdapterEventsCatchling() = default;
  virtual void OnButton(long code) = 0;
  virtual void OnPortOpened() = 0;
  virtual void OnPortClosed() = 0;
  virtual void OnError(long code) = 0;
  virtual void OnData(long value) = 0;
};

class CAdapterEventsCatchling : public IAdapterEventsCatchling {
 public:
  explicit CAdapterEventsCatchling(IPedalTransport& transport) : transport_(transport) {}
  void OnButton(long code) override;
  void OnPortOpened() override {}
  void OnPortClosed() override {}
  void OnError(long) override {}
  void OnData(long) override {}

 private:
  IPedalTransport& transport_;
};

// Connected once at the end of the view's start-up; every failure is silent
// and the player runs without the adapter.
class CAdapterServerContainer {
 public:
  explicit CAdapterServerContainer(IAdapterServerPort& server) : server_(server) {}
  ~CAdapterServerContainer() { Disconnect(); }
  void Connect();
  void Disconnect();
  bool connected() const { return connected_; }

 private:
  IAdapterServerPort& server_;
  bool connected_ = false;
};

// -------------------------------------------------------- SpeechMike control

// CLSID {AAA44754-CC81-4692-91AF-7064E58EB22A}, ISpeechMikeControl {D153FC68-6086-4AC4-BB4D-B2E042988A41}.
class ISpeechMikePort {
 public:
  virtual ~ISpeechMikePort() = default;
  // False when the control is not installed.
  virtual bool Create() = 0;
  // The interface's first and third own methods; both throw ComError on failure.
  virtual void FirstMethod(long argument) = 0;
  virtual void ThirdMethod() = 0;
  // Connects the event handler that calls CSpeechMike::OnEvent.
  virtual bool Advise() = 0;
};

constexpr int SpeechMikeButtonEvent = 3;

class CSpeechMike {
 public:
  CSpeechMike(ISpeechMikePort& control, IPedalTransport& transport) : control_(control), transport_(transport) {}
  // Only when "Philips equipment" was on at start-up. ComError from the set-up calls propagates.
  void Start(bool philipsEquipment);
  // An event of the control; `firstArgument` is the first entry of its
  // argument array, absent when it has none.
  void OnEvent(int event, const long* firstArgument);
  bool started() const { return started_; }

 private:
  ISpeechMikePort& control_;
  IPedalTransport& transport_;
  bool started_ = false;
};

// ------------------------------------------------- device-manager callbacks

constexpr unsigned WM_VRDM_DEVICE_NOTIFY = 0x1400;
constexpr unsigned WM_VRDM_BUTTON = 0x1401;
constexpr long VrdmDeviceArrived = 1725;
constexpr long VrdmDeviceChanged = 1726;
constexpr long VrdmIgnoredButton = 1524;
constexpr long VRDM_E_TRANSFER_CANCELLED = static_cast<long>(0x80040312);

struct DvrButton {
  long code;
  std::string_view name;
};
// The SDK's button codes, in the SDK's order.
extern const std::array<DvrButton, 27> DvrButtons;
bool IsDvrButton(long code);

// The device-manager client that the notification objects report to.
class IVRDMOwner {
 public:
  virtual ~IVRDMOwner() = default;
  virtual void OnDeviceNotify(long event, std::intptr_t device, long extra) = 0;
  virtual void PostToWindow(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
  // True when a cancel test is set and it asks to cancel.
  virtual bool CancelRequested() = 0;
  virtual void OnProgress(long long totalFileSize, long long totalBytesTransferred, long a, long b) = 0;
};

class CVRDMDeviceNotification {
 public:
  void Initialze(IVRDMOwner* owner) { owner_ = owner; }
  void OnDeviceNotify(long event, std::intptr_t device, long extra);
  void OnDeviceNotifyString() {}
  void OnDeviceErrorNotify() {}

 private:
  IVRDMOwner* owner_ = nullptr;
};

class CVRDMButtonNotification {
 public:
  void Initialze(IVRDMOwner* owner) { owner_ = owner; }
  void OnButtonChange(long code, long parameter);

 private:
  IVRDMOwner* owner_ = nullptr;
};

class CVRDMFileProgressNotification {
 public:
  void Initialze(IVRDMOwner* owner) { owner_ = owner; }
  // 0, or VRDM_E_TRANSFER_CANCELLED when the owner asks to cancel.
  long OnProgressNotify(long long totalFileSize, long long totalBytesTransferred, long a, long b);

 private:
  IVRDMOwner* owner_ = nullptr;
};

}  // namespace tolv
