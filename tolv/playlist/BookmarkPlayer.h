#pragma once
// What the Bookmarks window needs of the player in the main view.
#include <cstdint>
#include <string>

namespace tolv {

class IBookmarkPlayer {
 public:
  virtual ~IBookmarkPlayer() = default;
  // The player's URL: the key of the medium's bookmarks; empty without a medium.
  virtual std::wstring mediumKey() = 0;
  // Current position in seconds.
  virtual double position() = 0;
  // Pauses in place, without the jump back of the transport.
  virtual void pause() = 0;
  // Seeks and plays, as the transport's PLAY does.
  virtual void playFrom(int32_t seconds) = 0;
};

}  // namespace tolv
