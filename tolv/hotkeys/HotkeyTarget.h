#pragma once
#include <cstdint>

namespace tolv {

// On-screen buttons whose pushed state carries a held key.
enum class HeldButton { Play, Rew, Ff };

// What the hotkey dispatcher needs from the main view. Every call comes on the
// user-interface thread, inside the keyboard hook, so implementations must not block.
class IHotkeyTarget {
 public:
  virtual ~IHotkeyTarget() = default;

  // The transport's playing flag.
  virtual bool IsPlaying() const = 0;
  // True in the play-while-held mode.
  virtual bool IsPlayWhileHeld() const = 0;
  // Duration of the loaded medium in seconds; 0 when none is loaded.
  virtual double MediaDuration() const = 0;

  // Transport operations, run at once.
  virtual void PlayToggle() = 0;
  virtual void Stop() = 0;
  virtual void RewindStep() = 0;
  virtual void FastForwardStep() = 0;
  virtual void SetHeld(HeldButton button, bool pressed) = 0;
  // Clears the held REW or FF state and restores speed and volume.
  virtual void ReleaseRewFf(HeldButton button) = 0;
  // Adds a bookmark at the current position of the current medium.
  virtual void AddBookmark() = 0;

  // Posts a command to the main window; it runs after the hook has returned. Never blocks.
  virtual void PostCommand(uint32_t commandId) = 0;

  // Automatic timestamp settings.
  virtual bool IntervalTimestamps() const = 0;
  virtual bool ParagraphTimestamps() const = 0;
  virtual int ParagraphEnterCount() const = 0;
};

}  // namespace tolv
