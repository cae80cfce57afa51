#include "tolv/hotkeys/ViewHotkeyTarget.h"

#include <utility>

#include "tolv/config/Settings.h"

namespace tolv {

TransportButton ToTransportButton(HeldButton button) {
  switch (button) {
    case HeldButton::Play: return TransportButton::Play;
    case HeldButton::Rew: return TransportButton::Rew;
    case HeldButton::Ff: return TransportButton::Ff;
  }
  return TransportButton::Play;
}

CViewHotkeyTarget::CViewHotkeyTarget(CTolvView& view, IMediaPlayer& player, CommandPoster postCommand,
                                     BookmarkAction addBookmark, ErrorReporter reportError)
    : view_(view),
      player_(player),
      postCommand_(std::move(postCommand)),
      addBookmark_(std::move(addBookmark)),
      reportError_(std::move(reportError)) {}

template <class F>
void CViewHotkeyTarget::guarded(F&& f) const {
  try {
    f();
  } catch (const PlayerError& e) {
    if (reportError_) reportError_(e);
  }
}

bool CViewHotkeyTarget::IsPlaying() const { return view_.playing; }
bool CViewHotkeyTarget::IsPlayWhileHeld() const { return playMode == PlayModeWhileHeld; }

double CViewHotkeyTarget::MediaDuration() const {
  double seconds = 0;
  guarded([&] {
    if (player_.hasURL()) seconds = player_.duration();
  });
  return seconds;
}

void CViewHotkeyTarget::PlayToggle() { guarded([&] { view_.PlayToggle(); }); }
void CViewHotkeyTarget::Stop() { guarded([&] { view_.Stop(); }); }
void CViewHotkeyTarget::RewindStep() { guarded([&] { view_.RewindStep(); }); }
void CViewHotkeyTarget::FastForwardStep() { guarded([&] { view_.FastForwardStep(); }); }
void CViewHotkeyTarget::SetHeld(HeldButton button, bool pressed) {
  guarded([&] { view_.SetHeld(ToTransportButton(button), pressed); });
}
void CViewHotkeyTarget::ReleaseRewFf(HeldButton button) {
  guarded([&] { view_.ReleaseRewFf(ToTransportButton(button)); });
}
void CViewHotkeyTarget::AddBookmark() {
  if (addBookmark_) guarded(addBookmark_);
}
void CViewHotkeyTarget::PostCommand(uint32_t commandId) {
  if (postCommand_) postCommand_(commandId);
}
bool CViewHotkeyTarget::IntervalTimestamps() const { return intervalTimestamps != 0; }
bool CViewHotkeyTarget::ParagraphTimestamps() const { return paragraphTimestamps != 0; }
int CViewHotkeyTarget::ParagraphEnterCount() const { return paragraphEnterCount; }

}  // namespace tolv
