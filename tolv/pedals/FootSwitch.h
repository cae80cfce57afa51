#pragma once
// The dictation-device maker's foot-switch library, bound at run time. The
// library announces foot switches through a registered window message and,
// once one is opened for the main view, sends it the button messages
// 0x608-0x60A with the foot switch's identity.
#include <cstdint>

#include "tolv/pedals/PedalMapping.h"
#include "tolv/playback/TolvForm.h"

namespace tolv {

inline constexpr wchar_t FootSwitchDeviceChangeMessageName[] = L"VARNETH_DICTADESK_FOOTSWITCH_WM_DEVICECHANGE";
// First parameter of the device-change message.
constexpr std::uintptr_t FootSwitchArrived = 0x8000;
constexpr std::uintptr_t FootSwitchRemoved = 0x8004;

using FootSwitchId = std::uintptr_t;
using WindowRef = std::uintptr_t;

class IFootSwitchLibrary {
 public:
  virtual ~IFootSwitchLibrary() = default;
  // False when the library or one of its entry points could not be bound.
  virtual bool available() = 0;
  // 0 on success.
  virtual long FsOpen(FootSwitchId id, WindowRef window) = 0;
  virtual void FsClose(FootSwitchId id) = 0;
};

class CFootSwitch {
 public:
  CFootSwitch(IFootSwitchLibrary& library, IMessageBoxes& messages, IPedalTransport& transport, WindowRef view)
      : library_(library), messages_(messages), transport_(transport), view_(view) {}

  // The opened foot switch; 0 = none.
  FootSwitchId footSwitchId = 0;

  // The registered device-change message.
  void OnDeviceChange(std::uintptr_t wParam, std::uintptr_t lParam);
  // 0x608-0x60A; false for any other message.
  bool OnButtonMessage(unsigned message, std::uintptr_t wParam, std::uintptr_t lParam);
  // Shutdown of the view: closes the opened foot switch.
  void Close();

 private:
  IFootSwitchLibrary& library_;
  IMessageBoxes& messages_;
  IPedalTransport& transport_;
  WindowRef view_;
};

}  // namespace tolv
