#pragma once
#include <string>

// Process-wide settings of the player. The configuration files load and save
// these variables; dialogs edit them in place. Values here are those in force
// before any configuration file has been read.

namespace tolv {

enum PlayMode : int {
  PlayModeFixedLength = 0,  // play for playLengthSeconds, then stop
  PlayModeWhileHeld = 1,    // play while PLAY is held
  PlayModeToggle = 2,       // play until pause, stop, rewind or fast forward
};

extern int playMode;
extern int playLengthSeconds;
extern int jumpBackSeconds;      // negative: STOP returns to the start instead
extern int pxSeconds;            // 0 or less disables PX
extern int rxSeconds;            // 0 or less disables RX
extern int speedPercent;         // last position of the speed slider
extern int toggleSpeedPercent;   // 25..250 once set through the form
extern bool displayTimeRemaining;
extern bool switchPedalFfRew;
extern bool vecPedalLayout;      // set by the USB pedal reader when it opens a pedal

// Automatic timestamps (kept with the named configuration).
extern int intervalTimestamps;   // 0/1
extern int paragraphTimestamps;  // 0/1
extern int paragraphEnterCount;  // Enter presses that make a new paragraph
extern int intervalSeconds;      // 0 until chosen: no interval timestamps
extern int delayTimestamps;      // 0/1
extern int delaySeconds;
extern int subtractTimestamps;   // 0/1
extern int subtractSeconds;
extern int paragraphNewLine;     // 0/1: CR LF after a paragraph timestamp

// "Timestamps Start From" (kept with the main configuration): seconds added to
// every position before it is written, and the dialog texts it was made from.
extern int timestampOffset;
extern std::wstring timestampOffsetSign;  // "+" or "-"
extern std::wstring timestampOffsetHours;
extern std::wstring timestampOffsetMinutes;
extern std::wstring timestampOffsetSeconds;

// "Add Word timestamps from clipboard": non-zero skips the word processor's
// automation and always pastes through the clipboard.
extern int useClipboardForWord;  // 0/1

// Conversions before an open (0/1 each), tried in this order.
extern int convertWmaToWav;
extern int convertMp4aToMpg;
extern int convertMp4ToMpg;
extern int convertWmvToMpg;
extern int convertFlvToMpg;
extern int convertMp3ToWav;
// The hint on enlarging the video, shown when a video file is opened (0/1).
extern int showVideoResizeHelp;

// Puts every variable above back to its first-start value.
void ResetPlaybackSettings();

}  // namespace tolv
