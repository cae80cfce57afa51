#pragma once
// What the main view starts when it is first shown and ends when it goes:
// the pedal reader and foot switch, the keyboard hook with its dispatcher,
// the timestamps, the other makers' pedal components, and the configuration
// saved at the end. The view window routes its messages here.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "tolv/config/DataFiles.h"
#include "tolv/hotkeys/HotkeyDispatcher.h"
#include "tolv/hotkeys/ViewHotkeyTarget.h"
#include "tolv/hotkeys/win32/Win32KeyboardHook.h"
#include "tolv/pedals/FootSwitch.h"
#include "tolv/pedals/UsbPedal.h"
#include "tolv/pedals/VendorComponents.h"
#include "tolv/pedals/ViewPedalTransport.h"
#include "tolv/pedals/win32/DeviceNotifications.h"
#include "tolv/pedals/win32/Win32AdapterServer.h"
#include "tolv/pedals/win32/Win32PedalDevices.h"
#include "tolv/pedals/win32/Win32SpeechMike.h"
#include "tolv/playback/win32/WindowPorts.h"
#include "tolv/timestamps/InsertText.h"
#include "tolv/timestamps/Timestamps.h"
#include "tolv/timestamps/win32/Win32Automation.h"
#include "tolv/timestamps/win32/Win32Clipboard.h"
#include "tolv/timestamps/win32/Win32Keyboard.h"

namespace tolv {

// A player error inside the hook is shown once the hook has returned.
constexpr UINT kShowHookError = WM_APP + 40;

class CViewLifecycle {
 public:
  // `view` is the form window's; messages go to `boxes` (the view's own).
  CViewLifecycle(HWND window, CTolvView& view, IMediaPlayer& player, ITimerPort& timers, IMessageBoxes& boxes);
  ~CViewLifecycle();

  // The bookmark hotkey's action; the bookmark window supplies it.
  std::function<void()> addBookmark;

  // From the pedal check on: false when the device tree cannot be reached,
  // and the rest of the view's initialisation is skipped.
  bool ConnectDeviceTree();
  // The steps after the timers and the command line's medium.
  void StartPedalsAndHook();
  void ConnectVendorComponents();
  // Closing the frame, after the view's timers.
  void StopPedalWatcher();
  // Destruction of the view, up to the medium's position.
  void Destroy(IDataFiles* files);

  // Message routing of the view window; true when handled.
  bool OnTimer(unsigned id);
  bool OnCommand(unsigned id);
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HWND window_;
  CTolvView& view_;
  IMediaPlayer& player_;
  IMessageBoxes& boxes_;

  CMessageBoxes pedalBoxes_;
  Win32PedalDevices devices_;
  Win32StopEvent stopEvent_;
  CViewPedalTransport pedalTransport_;
  CUsbPedal usbPedal_;
  Win32FootSwitchLibrary footSwitchLibrary_;
  CFootSwitch footSwitch_;
  UINT footSwitchDeviceChange_;

  CViewHotkeyTarget hotkeyTarget_;
  HotkeyDispatcher dispatcher_;
  Win32KeyboardHook hook_;
  std::wstring hookError_;

  Win32Automation automation_;
  Win32Clipboard clipboard_;
  Win32Keyboard keyboard_;
  CTextInserter inserter_;
  CTimestamps timestamps_;

  Win32SpeechMike speechMikeControl_;
  CSpeechMike speechMike_;
  CAdapterEventsCatchling adapterCatchling_;
  Win32AdapterServer adapterServer_;
  CAdapterServerContainer adapterContainer_;
  std::unique_ptr<CDeviceNotifications> deviceNotifications_;
};

}  // namespace tolv
