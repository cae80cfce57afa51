#include "tolv/hotkeys/ShortcutsDialog.h"

#include <utility>

#include "tolv/hotkeys/Hotkeys.h"

namespace tolv {

namespace {
// Record id shown on each row.
constexpr int kRowRecord[kShortcutRows] = {6, 7, 8, 9, 10, 14, 15, 16};
}  // namespace

CShortcutsDialogLogic::CShortcutsDialogLogic(std::function<void()> saveMainConfiguration)
    : save_(std::move(saveMainConfiguration)) {}

std::array<ShortcutRow, kShortcutRows> CShortcutsDialogLogic::Open() const {
  std::array<ShortcutRow, kShortcutRows> rows;
  for (int r = 0; r < kShortcutRows; ++r) {
    const CTipHotkeys& record = HotkeyTable[kRowRecord[r] - 1];
    const bool shortcut = r < kShortcutTexts;
    rows[r].left = shortcut ? record.text : record.name;
    rows[r].leftEditable = shortcut;
    rows[r].keyName = record.keyName;
    rows[r].disabled = hotkeyDisabled[kRowRecord[r] - 1];
  }
  return rows;
}

void CShortcutsDialogLogic::OnDisableClicked(int row, bool checked) {
  if (row < 0 || row >= kShortcutRows) return;
  hotkeyDisabled[kRowRecord[row] - 1] = checked;
}

void CShortcutsDialogLogic::OnOk(const std::array<std::wstring, kShortcutTexts>& texts) {
  for (int k = 0; k < kShortcutTexts; ++k) HotkeyTable[kRowRecord[k] - 1].text = texts[k];
  if (save_) save_();
}

}  // namespace tolv
