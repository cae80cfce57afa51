#pragma once
// Which pedal event sets which held state, for every route a pedal takes into
// the player. Pedals never move playback themselves: they hold or release the
// on-screen PLAY, REW and FF buttons (the transport's timers poll those) or
// toggle playback.
#include <string_view>

#include "tolv/playback/TolvForm.h"

namespace tolv {

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
  // A foot-switch library button message; `accepted` false leaves the held
  // state alone (speed and volume are still restored for REW/FF).
  virtual void FootSwitchMessage(unsigned message, unsigned wParam, bool accepted) = 0;
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

}  // namespace tolv
