#include "tolv/timestamps/AutotimestampConfig.h"

#include <algorithm>

#include "tolv/config/Settings.h"
#include "tolv/timestamps/TimestampPattern.h"

namespace tolv {
namespace {

int& Setting(AutoCombo combo) {
  switch (combo) {
    case AutoCombo::Interval: return intervalSeconds;
    case AutoCombo::Delay: return delaySeconds;
    case AutoCombo::Subtract: return subtractSeconds;
    case AutoCombo::AddAfter: return paragraphEnterCount;
  }
  return intervalSeconds;
}

int* const kCheckSettings[] = {&intervalTimestamps, &delayTimestamps, &paragraphTimestamps,
                               &subtractTimestamps, &paragraphNewLine};

}  // namespace

const std::vector<int>& CAutotimestampConfigLogic::Values(AutoCombo combo) {
  static const std::vector<int> interval = {2,   3,   4,   5,    6,    10,   12,   15,   20,   30,
                                            45,  60,  120, 180,  300,  600,  1200, 1800, 3600, 7200};
  static const std::vector<int> oneToTen = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  static const std::vector<int> enters = {1, 2, 3};
  switch (combo) {
    case AutoCombo::Interval: return interval;
    case AutoCombo::AddAfter: return enters;
    default: return oneToTen;
  }
}

std::vector<std::wstring> CAutotimestampConfigLogic::Items(AutoCombo combo) {
  std::vector<std::wstring> items;
  for (int value : Values(combo)) items.push_back(Digits(value, 1));
  return items;
}

void CAutotimestampConfigLogic::Open() {
  for (int i = 0; i < 5; ++i) checks_[i] = *kCheckSettings[i] != 0;
}

AutoEnabled CAutotimestampConfigLogic::Enabled() const {
  const bool every = Check(AutoCheck::Every);
  const bool paragraph = Check(AutoCheck::Paragraph);
  AutoEnabled e;
  e.delayCheck = every;
  e.intervalCombo = every;
  e.delayCombo = every && Check(AutoCheck::Delay);
  e.subtractCheck = paragraph;
  e.newLineCheck = paragraph;
  e.addAfterCombo = paragraph;
  e.subtractCombo = paragraph && Check(AutoCheck::Subtract);
  return e;
}

int CAutotimestampConfigLogic::Selection(AutoCombo combo) {
  const auto& values = Values(combo);
  const auto it = std::find(values.begin(), values.end(), Setting(combo));
  return it == values.end() ? -1 : static_cast<int>(it - values.begin());
}

void CAutotimestampConfigLogic::Select(AutoCombo combo, int index) {
  const auto& values = Values(combo);
  if (index < 0 || index >= static_cast<int>(values.size())) return;
  Setting(combo) = values[index];
}

void CAutotimestampConfigLogic::Ok() const {
  for (int i = 0; i < 5; ++i) *kCheckSettings[i] = checks_[i] ? 1 : 0;
}

}  // namespace tolv
