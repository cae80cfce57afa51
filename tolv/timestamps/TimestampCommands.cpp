#include "tolv/timestamps/TimestampCommands.h"

namespace tolv {

namespace {
constexpr std::wstring_view kMarker = L"***";
}

CTimestampCommands::CTimestampCommands(CTimestampWriter& writer, ITextSink& sink,
                                       const CTipHotkeysTable& table)
    : writer_(writer), sink_(sink), table_(table) {}

void CTimestampCommands::TimestampCommand() {
  auto text = writer_.Format(writer_.Position());
  if (!text) return;
  writer_.AppendFrames(*text, false);
  if (*text == lastManualTimestamp) return;
  sink_.InsertText(*text);
  lastManualTimestamp = *text;
}

std::wstring CTimestampCommands::ExpandTimestampMarker(const std::wstring& text) {
  if (text.find(kMarker) == std::wstring::npos) return text;
  auto stamp = writer_.Format(writer_.Position());
  if (!stamp) return text;
  writer_.AppendFrames(*stamp, true);
  std::wstring out;
  size_t from = 0;
  for (size_t at; (at = text.find(kMarker, from)) != std::wstring::npos; from = at + kMarker.size()) {
    out.append(text, from, at - from);
    out += *stamp;
  }
  out.append(text, from);
  return out;
}

void CTimestampCommands::TypeShortcut(int k) {
  if (k < 0 || k > HotkeyShortcut5 - HotkeyShortcut1) return;
  sink_.InsertText(ExpandTimestampMarker(table_[HotkeyShortcut1 - 1 + k].text));
}

}  // namespace tolv
