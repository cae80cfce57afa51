#include "tolv/app/win32/frame/ViewLifecycle.h"

#include "tolv/app/win32/Wnd.h"
#include "tolv/config/files/ConfigurationFiles.h"
#include "tolv/hotkeys/HotkeyCommands.h"
#include "tolv/pedals/win32/Win32RawInput.h"

namespace tolv {
namespace {

bool IsTimestampCommand(unsigned id) {
  return id == kCmdTimeStamp || (id >= kCmdKeyboardShortcut1 && id <= kCmdKeyboardShortcut1 + 4) ||
         id == kCmdIntervalTimestamp || id == kCmdParagraphTimestamp || id == kCmdDelayedTimestamp;
}

}  // namespace

CViewLifecycle::CViewLifecycle(HWND window, CTolvView& view, IMediaPlayer& player, ITimerPort& timers,
                               IMessageBoxes& boxes)
    : window_(window),
      view_(view),
      player_(player),
      boxes_(boxes),
      pedalBoxes_(window, L"Error"),
      pedalTransport_(view),
      usbPedal_(devices_, stopEvent_, timers, pedalBoxes_, pedalTransport_),
      footSwitch_(footSwitchLibrary_, boxes, pedalTransport_, reinterpret_cast<WindowRef>(window)),
      footSwitchDeviceChange_(FootSwitchDeviceChangeMessage()),
      hotkeyTarget_(
          view, player,
          // Commands go to the application's main window, which hands them to the view.
          [window](uint32_t id) { PostCommandToWindow(GetAncestor(window, GA_ROOT), id); },
          [this] {
            if (addBookmark) addBookmark();
          },
          [this](const PlayerError& e) {
            hookError_ = WideFromUtf8(e.what());
            PostMessageW(window_, kShowHookError, 0, 0);
          }),
      dispatcher_(hotkeyTarget_),
      clipboard_(window),
      inserter_(automation_, clipboard_, keyboard_),
      timestamps_(player, boxes, inserter_, dispatcher_.typing()),
      speechMike_(speechMikeControl_, pedalTransport_),
      adapterCatchling_(pedalTransport_),
      adapterServer_(adapterCatchling_),
      adapterContainer_(adapterServer_) {
  usbPedal_.setFootSwitch(&footSwitch_);
  speechMikeControl_.setTarget(&speechMike_);
  view_.setPositionTickListener(&timestamps_);
}

CViewLifecycle::~CViewLifecycle() {
  hook_.Uninstall();
  usbPedal_.StopPedalWatcher();
  view_.setPositionTickListener(nullptr);
}

bool CViewLifecycle::ConnectDeviceTree() { return usbPedal_.ConnectConfigurationManager(); }

void CViewLifecycle::StartPedalsAndHook() {
  usbPedal_.StartPedalWatcher();
  // A refused hook is not reported: the hotkeys then simply do not work.
  hook_.Install(dispatcher_, GetModuleHandleW(nullptr));
}

void CViewLifecycle::ConnectVendorComponents() {
  try {
    speechMike_.Start(philipsEquipment != 0);
  } catch (...) {
    ReportHandlerException(window_);
  }
  try {
    adapterContainer_.Connect();
  } catch (...) {
  }
  // The device manager's notification classes, served while the view lives.
  deviceNotifications_ = RegisterDeviceNotifications(window_);
}

void CViewLifecycle::StopPedalWatcher() { usbPedal_.StopPedalWatcher(); }

void CViewLifecycle::Destroy(IDataFiles* files) {
  adapterContainer_.Disconnect();
  deviceNotifications_.reset();
  if (files) SaveMainConfiguration(*files);
  hook_.Uninstall();
}

bool CViewLifecycle::OnTimer(unsigned id) { return usbPedal_.OnTimer(id); }

bool CViewLifecycle::OnCommand(unsigned id) { return IsTimestampCommand(id) && timestamps_.OnCommand(id); }

bool CViewLifecycle::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == footSwitchDeviceChange_ || message == WM_DVR_BUTTON_FS_REW || message == WM_DVR_BUTTON_FS_LISTEN ||
      message == WM_DVR_BUTTON_FS_FF)
    return RouteFootSwitchMessage(footSwitch_, message, wParam, lParam);
  if (message == WM_INPUT) {
    if (auto record = ReadRawInput(reinterpret_cast<HRAWINPUT>(lParam)))
      ShowRawInputReport(*record, SettingsWindowOpen(), boxes_);
    DefWindowProcW(window_, message, wParam, lParam);
    return true;
  }
  if (message == kShowHookError) {
    const std::wstring text = std::move(hookError_);
    hookError_.clear();
    if (!text.empty()) MessageBoxW(window_, text.c_str(), L"Tolv", MB_OK | MB_ICONERROR);
    return true;
  }
  return false;
}

}  // namespace tolv
