#pragma once
#include <string>

#include "tolv/hotkeys/MessageBoxPort.h"

namespace tolv {

// The part of the settings dialog that "Restore defaults" refreshes.
class IHotkeysGroup {
 public:
  virtual ~IHotkeysGroup() = default;
  // Shows the current keys of the eight hotkeys listed in the group.
  virtual void RefreshKeyFields() = 0;
  // Puts text into the three fields of "Timestamps Start From".
  virtual void SetTimestampStartFields(const std::wstring& text) = 0;
};

extern const wchar_t* const kRestoreDefaultsQuestion;
extern const wchar_t* const kRestoreDefaultsDone;

// The "Restore defaults" button: after a Yes, every hotkey except the five keyboard
// shortcuts gets its factory key back. Disable flags stay as they are. True if restored.
bool RestoreDefaultHotkeys(IMessageBoxPort& messages, IHotkeysGroup& group);

}  // namespace tolv
