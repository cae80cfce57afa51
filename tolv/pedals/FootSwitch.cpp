#include "tolv/pedals/FootSwitch.h"

#include "tolv/config/Settings.h"

namespace tolv {

// A USB pedal of the VEC layout takes precedence over the foot-switch library.
static bool UsbPedalInCharge() { return vecPedalLayout; }

void CFootSwitch::OnDeviceChange(std::uintptr_t wParam, std::uintptr_t lParam) {
  if (!library_.available() || UsbPedalInCharge()) return;
  if (wParam == FootSwitchArrived) {
    if (footSwitchId != 0) return;
    if (library_.FsOpen(lParam, view_) != 0) {
      messages_.show(L"FsOpen Failure", MessageIcon::Error);
      return;
    }
    footSwitchId = lParam;
  } else if (wParam == FootSwitchRemoved) {
    // The library has let go of it already; FsClose is for shutdown only.
    if (lParam == footSwitchId) footSwitchId = 0;
  }
}

bool CFootSwitch::OnButtonMessage(unsigned message, std::uintptr_t wParam, std::uintptr_t lParam) {
  if (message != WM_DVR_BUTTON_FS_REW && message != WM_DVR_BUTTON_FS_LISTEN && message != WM_DVR_BUTTON_FS_FF)
    return false;
  const bool accepted = footSwitchId != 0 && lParam == footSwitchId && !UsbPedalInCharge();
  ApplyFootSwitchMessage(transport_, message, wParam != 0, accepted);
  return true;
}

void CFootSwitch::Close() {
  if (footSwitchId == 0 || !library_.available()) return;
  library_.FsClose(footSwitchId);
  footSwitchId = 0;
}

}  // namespace tolv
