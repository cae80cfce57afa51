#pragma once
// The go-to-time window: three edits (hours, minutes, seconds), "OK" and "X".
// It addresses the player directly (pause, seek, play) and leaves the
// transport's `playing` flag and the PLAY icon alone.
#include <string>
#include <string_view>

#include "tolv/playback/MediaPlayer.h"
#include "tolv/playback/TolvForm.h"

namespace tolv {

enum class PlaypointField { Hours, Minutes, Seconds };

// The window's controls.
class IPlaypointWindow {
 public:
  virtual ~IPlaypointWindow() = default;
  virtual std::wstring text(PlaypointField field) = 0;
  virtual void setText(PlaypointField field, std::wstring_view text) = 0;
  virtual void focusHours() = 0;
  virtual void close() = 0;
};

class DlgPlaypointSet {
 public:
  DlgPlaypointSet(IMediaPlayer& player, IPlaypointWindow& window, IMessageBoxes& messages);

  // Pauses again and fills the edits with the current position.
  void OnInitDialog();
  // Clamps an edit as soon as its text changes.
  void OnEditChange(PlaypointField field);
  // Seeks to the entered time and plays; keeps the window open when the time
  // lies beyond the end of the medium.
  void OnOK();
  // "X": plays on from where the player is and closes.
  void OnX();

 private:
  IMediaPlayer& player_;
  IPlaypointWindow& window_;
  IMessageBoxes& messages_;
};

}  // namespace tolv
