#include "tolv/playback/MediaPlayer.h"

#include <cstdio>

namespace tolv {

namespace {
std::string describe(const char* operation, long code) {
  char text[96];
  std::snprintf(text, sizeof text, "%s failed (0x%08lX)", operation, static_cast<unsigned long>(code) & 0xFFFFFFFFul);
  return text;
}
}  // namespace

PlayerError::PlayerError(const char* operation, long code)
    : std::runtime_error(describe(operation, code)), operation_(operation), code_(code) {}

}  // namespace tolv
