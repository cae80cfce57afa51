#pragma once
#include <cstdint>
#include <functional>

#include "tolv/hotkeys/HotkeyTarget.h"
#include "tolv/playback/TolvView.h"

namespace tolv {

// The main view as the hotkey dispatcher sees it. It runs inside the keyboard
// hook, where nothing may escape: a player error ends the operation and is
// handed to reportError, which shows it later, outside the hook.
class CViewHotkeyTarget : public IHotkeyTarget {
 public:
  using BookmarkAction = std::function<void()>;
  using CommandPoster = std::function<void(uint32_t)>;
  using ErrorReporter = std::function<void(const PlayerError&)>;

  CViewHotkeyTarget(CTolvView& view, IMediaPlayer& player, CommandPoster postCommand,
                    BookmarkAction addBookmark, ErrorReporter reportError);

  bool IsPlaying() const override;
  bool IsPlayWhileHeld() const override;
  double MediaDuration() const override;
  void PlayToggle() override;
  void Stop() override;
  void RewindStep() override;
  void FastForwardStep() override;
  void SetHeld(HeldButton button, bool pressed) override;
  void ReleaseRewFf(HeldButton button) override;
  void AddBookmark() override;
  void PostCommand(uint32_t commandId) override;
  bool IntervalTimestamps() const override;
  bool ParagraphTimestamps() const override;
  int ParagraphEnterCount() const override;

 private:
  template <class F>
  void guarded(F&& f) const;

  CTolvView& view_;
  IMediaPlayer& player_;
  CommandPoster postCommand_;
  BookmarkAction addBookmark_;
  ErrorReporter reportError_;
};

TransportButton ToTransportButton(HeldButton button);

}  // namespace tolv
