#include "tolv/pedals/RawInput.h"

#include <cwchar>

namespace tolv {

std::wstring_view RawInputTypeName(unsigned type) {
  switch (type) {
    case RawTypeMouse: return L"RIM_TYPEMOUSE";
    case RawTypeKeyboard: return L"RIM_TYPEKEYBOARD";
    case RawTypeHid: return L"RIM_TYPEHID";
    default: return L"Unknown";
  }
}

std::vector<RawInputRegistration> HidRegistrations(const std::vector<RawInputDevice>& devices) {
  std::vector<RawInputRegistration> entries;
  for (const RawInputDevice& d : devices)
    if (d.type == RawTypeHid) entries.push_back({d.usagePage, d.usage, 0});
  return entries;
}

std::optional<unsigned char> CapturedKey(const RawInputRecord& record) {
  if (record.data.empty()) return std::nullopt;
  return record.data.front();
}

std::wstring RawInputReportText(const RawInputRecord& record) {
  wchar_t piece[96];
  std::swprintf(piece, sizeof piece / sizeof piece[0], L"Pedal %d was pressed total count %d ",
                static_cast<int>(record.type), static_cast<int>(record.reportCount));
  std::wstring text = piece;
  // Size and count come from the record's header; never read past its bytes.
  const unsigned long long declared = static_cast<unsigned long long>(record.reportSize) * record.reportCount;
  const std::size_t n = declared < record.data.size() ? static_cast<std::size_t>(declared) : record.data.size();
  for (std::size_t i = 0; i < n; ++i) {
    std::swprintf(piece, sizeof piece / sizeof piece[0], L" %d = %d, ", static_cast<int>(i),
                  static_cast<int>(record.data[i]));
    text += piece;
  }
  return text;
}

void ShowRawInputReport(const RawInputRecord& record, bool settingsWindowOpen, IMessageBoxes& messages) {
  if (settingsWindowOpen) return;
  messages.show(RawInputReportText(record), MessageIcon::Information);
}

}  // namespace tolv
