#include "tolv/hotkeys/RestoreDefaults.h"

#include "tolv/hotkeys/Hotkeys.h"

namespace tolv {

const wchar_t* const kRestoreDefaultsQuestion =
    L"Are you sure you want to restore all hotkeys to the default settings?";
const wchar_t* const kRestoreDefaultsDone = L"Hotkeys have been restored to default settings";

bool RestoreDefaultHotkeys(IMessageBoxPort& messages, IHotkeysGroup& group) {
  if (messages.Show(kRestoreDefaultsQuestion, MessageBoxKind::YesNo) != MessageBoxAnswer::Yes)
    return false;
  // The keyboard shortcuts (6..10) keep their keys and texts: the typist's own snippets.
  // No check for keys now used twice; the lower index wins in the dispatcher.
  static constexpr int restored[] = {1, 2, 3, 4, 11, 12, 5, 13, 14, 15, 16};
  for (int id : restored) HotkeyTable[id - 1] = DefaultHotkeyTable[id - 1];
  group.RefreshKeyFields();
  group.SetTimestampStartFields(L"00");
  messages.Show(kRestoreDefaultsDone, MessageBoxKind::Information);
  return true;
}

}  // namespace tolv
