#pragma once
// What the "Keyboard Shortcuts Configuration" dialog does, without its window.
#include <array>
#include <functional>
#include <string>

namespace tolv {

// One row of the dialog: rows 0-4 are shortcuts 1-5 (records 6-10, text
// editable), rows 5-7 the speed keys (records 14-16, their name shown disabled).
struct ShortcutRow {
  std::wstring left;     // the shortcut's text, or the record's name for the speed keys
  bool leftEditable = false;
  std::wstring keyName;  // read-only key field
  bool disabled = false; // the "disable" check box
};

constexpr int kShortcutRows = 8;
constexpr int kShortcutTexts = 5;

class CShortcutsDialogLogic {
 public:
  // saveMainConfiguration runs when the dialog ends with OK.
  explicit CShortcutsDialogLogic(std::function<void()> saveMainConfiguration);

  // The fields as the dialog opens.
  std::array<ShortcutRow, kShortcutRows> Open() const;
  // A click on a check box sets the flag at once; Cancel does not undo it.
  void OnDisableClicked(int row, bool checked);
  // OK: the five texts, in order, into records 6-10 (empty texts accepted), then save.
  void OnOk(const std::array<std::wstring, kShortcutTexts>& texts);
  // Cancel leaves the texts as they were.
  void OnCancel() {}

 private:
  std::function<void()> save_;
};

}  // namespace tolv
