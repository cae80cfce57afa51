#include "tolv/playback/DlgPlaypointSet.h"

#include <climits>
#include <cwchar>

#include "tolv/playback/TimeText.h"

namespace tolv {

namespace {
void SetNumber(IPlaypointWindow& window, PlaypointField field, long long value) {
  wchar_t text[24];
  std::swprintf(text, 24, L"%lld", value);
  window.setText(field, text);
}
}  // namespace

DlgPlaypointSet::DlgPlaypointSet(IMediaPlayer& player, IPlaypointWindow& window, IMessageBoxes& messages)
    : player_(player), window_(window), messages_(messages) {}

void DlgPlaypointSet::OnInitDialog() {
  player_.controlsPause();
  const double position = player_.currentPosition();
  long long p = 0;
  if (position > 0 && position < static_cast<double>(LLONG_MAX / 2)) p = static_cast<long long>(position);
  SetNumber(window_, PlaypointField::Hours, p / 3600);
  SetNumber(window_, PlaypointField::Minutes, p % 3600 / 60);
  SetNumber(window_, PlaypointField::Seconds, p % 60);
  window_.focusHours();
}

void DlgPlaypointSet::OnEditChange(PlaypointField field) {
  const int value = ReadInteger(window_.text(field));
  const int ceiling = field == PlaypointField::Hours ? 99 : 59;
  if (value < 0)
    window_.setText(field, L"0");
  else if (value > ceiling)
    window_.setText(field, field == PlaypointField::Hours ? L"99" : L"59");
}

void DlgPlaypointSet::OnOK() {
  // 64-bit sum: the edits are clamped while typing, but pasted text may not be.
  long long t = static_cast<long long>(ReadInteger(window_.text(PlaypointField::Hours))) * 3600 +
                static_cast<long long>(ReadInteger(window_.text(PlaypointField::Minutes))) * 60 +
                ReadInteger(window_.text(PlaypointField::Seconds));
  const double duration = player_.duration();
  const long long end = duration > 0 && duration < static_cast<double>(LLONG_MAX / 2)
                            ? static_cast<long long>(duration)
                            : 0;
  if (t < 0) {
    t = 0;
  } else if (t > end) {
    messages_.show(L"The timing you have entered does not exist in the recording.", MessageIcon::Warning);
    return;
  }
  player_.setCurrentPosition(static_cast<double>(t));
  player_.controlsPlay();
  window_.close();
}

void DlgPlaypointSet::OnX() {
  player_.controlsPlay();
  window_.close();
}

}  // namespace tolv
