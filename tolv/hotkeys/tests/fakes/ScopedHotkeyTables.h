#pragma once
#include "tolv/hotkeys/Hotkeys.h"

namespace testing_tolv {

// Puts the process-wide hotkey tables and flags back to their factory state for a test,
// and restores what was there afterwards.
class ScopedHotkeyTables {
 public:
  ScopedHotkeyTables()
      : table_(tolv::HotkeyTable), defaults_(tolv::DefaultHotkeyTable), disabled_(tolv::hotkeyDisabled) {
    tolv::FillDefaultHotkeys();
    tolv::hotkeyDisabled = tolv::DefaultHotkeyDisabled();
  }
  ~ScopedHotkeyTables() {
    tolv::HotkeyTable = table_;
    tolv::DefaultHotkeyTable = defaults_;
    tolv::hotkeyDisabled = disabled_;
  }

 private:
  tolv::CTipHotkeysTable table_, defaults_;
  std::array<bool, tolv::kHotkeyCount> disabled_;
};

}  // namespace testing_tolv
