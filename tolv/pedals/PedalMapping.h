#pragma once
// Which pedal event sets which held state, for every route a pedal takes into
// the player. Pedals never move playback themselves: they hold or release the
// on-screen PLAY, REW and FF buttons (the transport's timers poll those) or
// toggle playback.
#include <string_view>

#include "tolv/playback/TolvForm.h"

namespace tolv {

// Foot-switch messages of the dictation-device maker's library; WPARAM 1 pressed, 0 released.
constexpr unsigned WM_DVR_BUTTON_FS_REW = 0x608;
constexpr unsigned WM_DVR_BUTTON_FS_LISTEN = 0x609;
constexpr unsigned WM_DVR_BUTTON_FS_FF = 0x60A;

// Bits of a USB pedal state.
enum : int { PedalLeft = 1, PedalCenter = 2, PedalRight = 4 };

// "LEFT", "LEFT AND CENTER", ...; "UNKNOWN" for 0 and every value above 7.
std::wstring_view PedalStateName(int state);

enum class PedalAction { None, HoldRew, HoldFf, HoldPlay, TogglePlay, ReleaseAll };

// What a pedal needs from the transport; CViewPedalTransport forwards to the view.
class IPedalTransport {
 public:
  virtual ~IPedalTransport() = default;
  virtual void SetHeld(TransportButton button, bool pressed) = 0;
  virtual void PlayToggle() = 0;
  // The speed and volume of the sliders applied to the player again (a REW or
  // FF step leaves the volume down).
  virtual void ApplySpeedAndVolume() = 0;
};

// The centre button: holds PLAY in the play-while-held mode, toggles otherwise.
PedalAction CentreAction();

// A new state of a USB pedal, read with the layout in vecPedalLayout.
PedalAction UsbPedalAction(int state);
// Button code of the pedal adapter server (129 REW, 130 FF, 131 centre).
PedalAction AdapterServerAction(int code);
// Button code of the SpeechMike control (4 centre, 12 REW, 14 FF).
PedalAction SpeechMikeAction(int code);

void ApplyPedalAction(IPedalTransport& transport, PedalAction action);

// A button message of the foot-switch library (0x608 left, 0x609 centre, 0x60A
// right). `accepted` is false when it comes from a foot switch other than the
// opened one, or while a USB pedal of the VEC layout is in use: the held state
// is then left alone, but REW and FF still restore speed and volume.
void ApplyFootSwitchMessage(IPedalTransport& transport, unsigned message, bool pressed, bool accepted);

}  // namespace tolv
