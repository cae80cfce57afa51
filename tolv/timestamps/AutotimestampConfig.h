#pragma once
// What the "Add timestamps automatically" dialog does, without its window.
// Combo-box choices go into the settings at once; the check boxes only on OK.
#include <string>
#include <vector>

namespace tolv {

enum class AutoCheck { Every, Delay, Paragraph, Subtract, NewLine };
enum class AutoCombo { Interval, Delay, Subtract, AddAfter };

// Which controls can be used, from the check boxes as they stand.
struct AutoEnabled {
  bool delayCheck = false;
  bool intervalCombo = false;
  bool delayCombo = false;
  bool subtractCheck = false;
  bool newLineCheck = false;
  bool addAfterCombo = false;
  bool subtractCombo = false;

  bool operator==(const AutoEnabled&) const = default;
};

class CAutotimestampConfigLogic {
 public:
  // The numbers a combo box offers, in list order, and their texts.
  static const std::vector<int>& Values(AutoCombo combo);
  static std::vector<std::wstring> Items(AutoCombo combo);

  // Check boxes from the settings.
  void Open();
  bool Check(AutoCheck box) const { return checks_[static_cast<int>(box)]; }
  void SetCheck(AutoCheck box, bool checked) { checks_[static_cast<int>(box)] = checked; }
  AutoEnabled Enabled() const;

  // List index showing the setting's value; -1 for 0 or a value not offered.
  static int Selection(AutoCombo combo);
  // A choice in a combo box, stored in its setting at once.
  static void Select(AutoCombo combo, int index);

  // Stores the five check boxes.
  void Ok() const;

 private:
  bool checks_[5] = {};
};

}  // namespace tolv
