#pragma once
// The open-media ports of the view bound to the program's parts: the
// converters, the "Files" positions of the settings store, the playlist and
// the bookmark window.
#include "tolv/app/SettingsStore.h"
#include "tolv/convert/Converter.h"
#include "tolv/convert/DictationFiles.h"
#include "tolv/playback/OpenMedia.h"
#include "tolv/playlist/BookmarkList.h"
#include "tolv/playlist/Playlist.h"

namespace tolv {

class CMediumConversions : public IMediumConversions {
 public:
  CMediumConversions(CConverter& converter, CDictationDecoder& decoder) : converter_(converter), decoder_(decoder) {}
  void ConvertIfConfigured(std::wstring& path) override { converter_.ConvertIfConfigured(path); }
  bool DecodeDictationFile(std::wstring& path) override { return decoder_.DecodeDictationFile(path); }

 private:
  CConverter& converter_;
  CDictationDecoder& decoder_;
};

class CStoredMediumPositions : public IMediumPositions {
 public:
  explicit CStoredMediumPositions(CSettingsStore& store) : store_(store) {}
  int SavedPosition(const std::wstring& mediumName) override { return store_.MediumPosition(mediumName); }
  void SavePosition(const std::wstring& mediumName, double seconds) override {
    store_.SaveMediumPosition(mediumName, seconds);
  }

 private:
  CSettingsStore& store_;
};

class CMediaLists : public IMediaLists, public IConvertedMedia {
 public:
  CMediaLists(Playlist& playlist, CBookmarkList& bookmarks) : playlist_(playlist), bookmarks_(bookmarks) {}
  void AddToPlaylist(const std::wstring& path, int lengthSeconds, int playpointSeconds) override {
    playlist_.AddToPlaylist(path, lengthSeconds, playpointSeconds);
  }
  void SetPlaypoint(const std::wstring& mediumName, int seconds) override { playlist_.SetPlaypoint(mediumName, seconds); }
  void ShowBookmarksFor(const std::wstring& path) override { bookmarks_.ShowBookmarksFor(path); }
  void RemoveFromPlaylist(const std::wstring& path) override { playlist_.RemoveFromPlaylist(path); }

 private:
  Playlist& playlist_;
  CBookmarkList& bookmarks_;
};

}  // namespace tolv
