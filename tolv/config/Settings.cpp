#include "tolv/config/Settings.h"

namespace tolv {

// Every setting with its first-start value, stated once: the definitions and
// ResetPlaybackSettings both come from this list.
#define TOLV_SETTINGS(X) \
  X(int, playMode, PlayModeFixedLength)                           \
  X(int, playLengthSeconds, 0)                                    \
  X(int, jumpBackSeconds, 0)                                      \
  X(int, pxSeconds, 0)                                            \
  X(int, rxSeconds, 0)                                            \
  X(int, speedPercent, 0)                                         \
  X(int, toggleSpeedPercent, 0)                                   \
  X(bool, displayTimeRemaining, false)                            \
  X(bool, switchPedalFfRew, false)                                \
  X(bool, vecPedalLayout, false)                                  \
  X(int, intervalTimestamps, 0)                                   \
  X(int, paragraphTimestamps, 0)                                  \
  X(int, paragraphEnterCount, 2)                                  \
  X(int, intervalSeconds, 0)                                      \
  X(int, delayTimestamps, 0)                                      \
  X(int, delaySeconds, 5)                                         \
  X(int, subtractTimestamps, 0)                                   \
  X(int, subtractSeconds, 5)                                      \
  X(int, paragraphNewLine, 1)                                     \
  X(int, timestampOffset, 0)                                      \
  X(std::wstring, timestampOffsetSign, std::wstring{})            \
  X(std::wstring, timestampOffsetHours, std::wstring{})           \
  X(std::wstring, timestampOffsetMinutes, std::wstring{})         \
  X(std::wstring, timestampOffsetSeconds, std::wstring{})         \
  X(int, useClipboardForWord, 0)                                  \
  X(int, convertWmaToWav, 1)                                      \
  X(int, convertMp4aToMpg, 1)                                     \
  X(int, convertMp4ToMpg, 0)                                      \
  X(int, convertWmvToMpg, 1)                                      \
  X(int, convertFlvToMpg, 1)                                      \
  X(int, convertMp3ToWav, 1)                                      \
  X(int, showVideoResizeHelp, 1)                                  \
  X(int, appearanceColorFrom, 0)                                  \
  X(int, appearanceColorTo, 0)                                    \
  X(int, alwaysOnTop, 0)                                          \
  X(int, philipsEquipment, 0)                                     \
  X(std::wstring, currentConfigurationName, std::wstring{})       \
  X(ReservedConfigFields, reservedConfig, ReservedConfigFields{})

#define TOLV_DEFINE_SETTING(type, name, value) type name = value;
TOLV_SETTINGS(TOLV_DEFINE_SETTING)
#undef TOLV_DEFINE_SETTING

void ResetPlaybackSettings() {
#define TOLV_RESET_SETTING(type, name, value) name = value;
  TOLV_SETTINGS(TOLV_RESET_SETTING)
#undef TOLV_RESET_SETTING
}

#undef TOLV_SETTINGS

}  // namespace tolv
