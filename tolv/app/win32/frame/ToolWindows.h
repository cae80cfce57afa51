#pragma once
// The playlist and Bookmarks windows of the main view: created hidden once,
// shown by the view's buttons and menu, and kept in step with what an open
// does to the playlist and the bookmarks.
#include <windows.h>

#include <memory>

#include "tolv/app/SettingsStore.h"
#include "tolv/config/DataFiles.h"
#include "tolv/playback/OpenMedia.h"
#include "tolv/playback/TolvView.h"
#include "tolv/playlist/BookmarkPlayer.h"
#include "tolv/playlist/win32/DlgBookmarks.h"
#include "tolv/playlist/win32/DlgPlaylist.h"
#include "tolv/playlist/win32/Win32PlaylistPorts.h"

namespace tolv {

// The player of the view as the Bookmarks window uses it: playing goes
// through the transport so that the PLAY button shows it.
class CViewBookmarkPlayer : public IBookmarkPlayer {
 public:
  CViewBookmarkPlayer(CTolvView& view, IMediaPlayer& player, ITolvForm& form)
      : view_(view), player_(player), form_(form) {}
  std::wstring mediumKey() override { return player_.URL(); }
  double position() override { return player_.currentPosition(); }
  void pause() override;
  void playFrom(int32_t seconds) override;

 private:
  CTolvView& view_;
  IMediaPlayer& player_;
  ITolvForm& form_;
};

class CToolWindows : public IMediaLists {
 public:
  CToolWindows(CTolvView& view, IMediaPlayer& player, ITolvForm& form, CSettingsStore& settings, IDataFiles& files);

  // Both windows hidden, owned by the main window; bookmarks.tolv is read.
  bool Create(HWND owner);

  void ShowPlaylist() { playlistWindow_.Show(); }
  void ShowBookmarks() { bookmarksWindow_.Show(); }
  void AddBookmark() { bookmarksWindow_.AddBookmarkAtCurrentPosition(); }

  DlgPlaylist& playlistWindow() { return playlistWindow_; }
  DlgBookmarks& bookmarksWindow() { return bookmarksWindow_; }
  Playlist& playlist() { return playlistWindow_.playlist(); }
  CBookmarkList& bookmarks() { return bookmarksWindow_.bookmarks(); }

  // --- IMediaLists: the open's changes, shown at once ---
  void AddToPlaylist(const std::wstring& path, int lengthSeconds, int playpointSeconds) override;
  void SetPlaypoint(const std::wstring& mediumName, int seconds) override;
  void ShowBookmarksFor(const std::wstring& path) override;

 private:
  Win32Clock clock_;
  CViewBookmarkPlayer bookmarkPlayer_;
  DlgPlaylist playlistWindow_;
  DlgBookmarks bookmarksWindow_;
};

}  // namespace tolv
