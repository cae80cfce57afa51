#include "tolv/config/Settings.h"

namespace tolv {

int playMode = PlayModeFixedLength;
int playLengthSeconds = 0;
int jumpBackSeconds = 0;
int pxSeconds = 0;
int rxSeconds = 0;
int speedPercent = 0;
int toggleSpeedPercent = 0;
bool displayTimeRemaining = false;
bool switchPedalFfRew = false;
bool vecPedalLayout = false;
int intervalTimestamps = 0;
int paragraphTimestamps = 0;
int paragraphEnterCount = 2;
int intervalSeconds = 0;
int delayTimestamps = 0;
int delaySeconds = 5;
int subtractTimestamps = 0;
int subtractSeconds = 5;
int paragraphNewLine = 1;
int timestampOffset = 0;
std::wstring timestampOffsetSign;
std::wstring timestampOffsetHours;
std::wstring timestampOffsetMinutes;
std::wstring timestampOffsetSeconds;
int useClipboardForWord = 0;
int convertWmaToWav = 1;
int convertMp4aToMpg = 1;
int convertMp4ToMpg = 0;
int convertWmvToMpg = 1;
int convertFlvToMpg = 1;
int convertMp3ToWav = 1;
int showVideoResizeHelp = 1;

void ResetPlaybackSettings() {
  playMode = PlayModeFixedLength;
  playLengthSeconds = 0;
  jumpBackSeconds = 0;
  pxSeconds = 0;
  rxSeconds = 0;
  speedPercent = 0;
  toggleSpeedPercent = 0;
  displayTimeRemaining = false;
  switchPedalFfRew = false;
  vecPedalLayout = false;
  intervalTimestamps = 0;
  paragraphTimestamps = 0;
  paragraphEnterCount = 2;
  intervalSeconds = 0;
  delayTimestamps = 0;
  delaySeconds = 5;
  subtractTimestamps = 0;
  subtractSeconds = 5;
  paragraphNewLine = 1;
  timestampOffset = 0;
  timestampOffsetSign.clear();
  timestampOffsetHours.clear();
  timestampOffsetMinutes.clear();
  timestampOffsetSeconds.clear();
  useClipboardForWord = 0;
  convertWmaToWav = 1;
  convertMp4aToMpg = 1;
  convertMp4ToMpg = 0;
  convertWmvToMpg = 1;
  convertFlvToMpg = 1;
  convertMp3ToWav = 1;
  showVideoResizeHelp = 1;
}

}  // namespace tolv
