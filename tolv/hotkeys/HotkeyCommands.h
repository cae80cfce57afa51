#pragma once
#include <cstdint>

namespace tolv {

// Command identifiers of the main window that the hotkeys post.
constexpr uint32_t kCmdTimeStamp = 32777;
constexpr uint32_t kCmdKeyboardShortcut1 = 32779;  // .. 32783 for shortcut 5
constexpr uint32_t kCmdIntervalTimestamp = 32785;
constexpr uint32_t kCmdParagraphTimestamp = 32786;
constexpr uint32_t kCmdDelayedTimestamp = 32787;
constexpr uint32_t kCmdRx = 32788;
constexpr uint32_t kCmdPx = 32789;
constexpr uint32_t kCmdIncreaseSpeed = 32791;
constexpr uint32_t kCmdDecreaseSpeed = 32792;
constexpr uint32_t kCmdSpeedToggle = 32793;

}  // namespace tolv
