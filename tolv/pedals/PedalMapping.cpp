#include "tolv/pedals/PedalMapping.h"

#include "tolv/config/Settings.h"

namespace tolv {

std::wstring_view PedalStateName(int state) {
  switch (state) {
    case 1: return L"LEFT";
    case 2: return L"CENTER";
    case 3: return L"LEFT AND CENTER";
    case 4: return L"RIGHT";
    case 5: return L"LEFT AND RIGHT";
    case 6: return L"RIGHT AND CENTER";
    case 7: return L"ALL";
    default: return L"UNKNOWN";
  }
}

PedalAction CentreAction() {
  return playMode == PlayModeWhileHeld ? PedalAction::HoldPlay : PedalAction::TogglePlay;
}

namespace {

// REW or FF as the pedal names it, after the user's "Switch pedal FF/Rew".
PedalAction Hold(bool rew) {
  return rew != switchPedalFfRew ? PedalAction::HoldRew : PedalAction::HoldFf;
}

}  // namespace

PedalAction UsbPedalAction(int state) {
  if (state == 0 || state > 7 || state < 0) return PedalAction::ReleaseAll;
  // Chords change nothing: what was held stays held until every button is up.
  if (state != PedalLeft && state != PedalCenter && state != PedalRight) return PedalAction::None;
  if (vecPedalLayout) {
    switch (state) {
      case PedalLeft: return Hold(false);
      case PedalCenter: return CentreAction();
      default: return Hold(true);
    }
  }
  switch (state) {
    case PedalLeft: return Hold(true);
    case PedalCenter: return Hold(false);
    default: return CentreAction();
  }
}

PedalAction AdapterServerAction(int code) {
  switch (code) {
    case 129: return PedalAction::HoldRew;
    case 130: return PedalAction::HoldFf;
    case 131: return CentreAction();
    default: return PedalAction::ReleaseAll;
  }
}

PedalAction SpeechMikeAction(int code) {
  switch (code) {
    case 4: return CentreAction();
    case 12: return PedalAction::HoldRew;
    case 14: return PedalAction::HoldFf;
    default: return PedalAction::ReleaseAll;
  }
}

void ApplyPedalAction(IPedalTransport& transport, PedalAction action) {
  switch (action) {
    case PedalAction::None: break;
    case PedalAction::HoldRew: transport.SetHeld(TransportButton::Rew, true); break;
    case PedalAction::HoldFf: transport.SetHeld(TransportButton::Ff, true); break;
    case PedalAction::HoldPlay: transport.SetHeld(TransportButton::Play, true); break;
    case PedalAction::TogglePlay: transport.PlayToggle(); break;
    case PedalAction::ReleaseAll:
      // Only the held states: speed and volume are left as they are.
      transport.SetHeld(TransportButton::Rew, false);
      transport.SetHeld(TransportButton::Ff, false);
      if (playMode == PlayModeWhileHeld) transport.SetHeld(TransportButton::Play, false);
      break;
  }
}

void ApplyFootSwitchMessage(IPedalTransport& transport, unsigned message, bool pressed, bool accepted) {
  switch (message) {
    case WM_DVR_BUTTON_FS_REW:
    case WM_DVR_BUTTON_FS_FF: {
      const bool left = message == WM_DVR_BUTTON_FS_REW;
      if (accepted) transport.SetHeld(left != switchPedalFfRew ? TransportButton::Rew : TransportButton::Ff, pressed);
      transport.ApplySpeedAndVolume();
      break;
    }
    case WM_DVR_BUTTON_FS_LISTEN:
      if (!accepted) break;
      // Outside the play-while-held mode a release toggles just like a press.
      if (playMode == PlayModeWhileHeld)
        transport.SetHeld(TransportButton::Play, pressed);
      else
        transport.PlayToggle();
      break;
    default:
      break;
  }
}

}  // namespace tolv
