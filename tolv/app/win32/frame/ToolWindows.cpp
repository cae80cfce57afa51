#include "tolv/app/win32/frame/ToolWindows.h"

namespace tolv {
namespace {

// A hidden window is filled again when it is shown.
template <class Window>
void RedisplayIfShown(Window& window) {
  if (window.hwnd() && IsWindowVisible(window.hwnd())) window.Redisplay();
}

}  // namespace

void CViewBookmarkPlayer::pause() {
  player_.controlsPause();
  view_.playing = false;
  form_.setPlayIcon(false);
}

void CViewBookmarkPlayer::playFrom(int32_t seconds) {
  player_.setCurrentPosition(seconds);
  view_.playing = false;
  view_.PlayToggle();
}

CToolWindows::CToolWindows(CTolvView& view, IMediaPlayer& player, ITolvForm& form, CSettingsStore& settings,
                           IDataFiles& files)
    : bookmarkPlayer_(view, player, form),
      playlistWindow_(files, clock_, settings, [&view](const std::wstring& path, bool play) { view.OpenMedia(path, play); }),
      bookmarksWindow_(files, clock_, bookmarkPlayer_) {}

bool CToolWindows::Create(HWND owner) {
  return playlistWindow_.CreateHidden(owner) && bookmarksWindow_.CreateHidden(owner);
}

void CToolWindows::AddToPlaylist(const std::wstring& path, int lengthSeconds, int playpointSeconds) {
  playlist().AddToPlaylist(path, lengthSeconds, playpointSeconds);
  RedisplayIfShown(playlistWindow_);
}

void CToolWindows::SetPlaypoint(const std::wstring& mediumName, int seconds) {
  playlist().SetPlaypoint(mediumName, seconds);
  RedisplayIfShown(playlistWindow_);
}

void CToolWindows::ShowBookmarksFor(const std::wstring& path) {
  // Only a played medium gets here: it is the player's file from now on.
  playlist().setPlayerFile(path);
  bookmarks().ShowBookmarksFor(path);
  RedisplayIfShown(bookmarksWindow_);
}

}  // namespace tolv
