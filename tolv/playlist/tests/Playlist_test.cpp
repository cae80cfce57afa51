#include "tolv/playlist/Playlist.h"

#include <gtest/gtest.h>

#include "tolv/app/tests/fakes/FakeProfileStore.h"
#include "tolv/config/tests/fakes/FakeDataFiles.h"
#include "tolv/playlist/tests/fakes/FakePlaylistPorts.h"

namespace tolv {
namespace {

using namespace tolv::testing;

class PlaylistTest : public ::testing::Test {
 protected:
  FakeDataFiles files;
  FakeClock clock;
  FakePlaylistMessages messages;
  FakeProfileStore profile;
  CSettingsStore settings{profile};

  Playlist make() { return Playlist(files, clock, messages, settings); }
  std::vector<PlaylistEntry> stored() { return ReadPlaylistFile(files.at(files.inData(L"playlist.tolv"))); }
  void store(const std::vector<PlaylistEntry>& entries) {
    files.files[files.inData(L"playlist.tolv")] = WritePlaylistFile(entries);
  }
  static PlaylistEntry entry(const std::wstring& path, int32_t length, int64_t accessed = 0) {
    PlaylistEntry e;
    e.path = path;
    e.fileName = FileNamePart(path);
    e.lengthSeconds = length;
    e.lastAccessed = accessed;
    return e;
  }
  static std::vector<std::wstring> column(const Playlist& p, int c) {
    std::vector<std::wstring> texts;
    for (const auto& row : p.rows()) texts.push_back(row.texts[c]);
    return texts;
  }
};

TEST_F(PlaylistTest, AddedFileIsSavedShownAndSelected) {
  files.addMedia(L"C:\\m\\talk.mp3", 1572864);
  clock.time = 86400;  // 1970-01-02 00:00:00
  Playlist p = make();
  p.AddToPlaylist(L"C:\\m\\talk.mp3", 90061, 95);

  const auto all = stored();
  ASSERT_EQ(all.size(), 1u);
  const PlaylistEntry& e = all[0];
  EXPECT_EQ(e.path, L"C:\\m\\talk.mp3");
  EXPECT_EQ(e.fileName, L"talk.mp3");
  EXPECT_EQ(e.playpointSeconds, 95);
  EXPECT_EQ(e.lengthSeconds, 90061);
  EXPECT_EQ(e.sizeMegabytes, 1.5);
  EXPECT_EQ(e.lastAccessed, 86400);

  ASSERT_EQ(p.rows().size(), 1u);
  const std::array<std::wstring, 5> texts = {L"talk.mp3", L"01:01:01", L"00:01:35", L"1.50",
                                             L"Fri Jan  2 00:00:00 1970"};
  EXPECT_EQ(p.rows()[0].texts, texts);  // hours of the length wrap at 24
  EXPECT_EQ(p.totalText(), L"01:01:01");
  EXPECT_EQ(p.selectedRow(), 0u);
  ASSERT_NE(p.currentEntry(), nullptr);
  EXPECT_EQ(p.currentPath(), L"C:\\m\\talk.mp3");
}

TEST_F(PlaylistTest, SameFileNameInAnotherFolderOnlyUpdatesTheLength) {
  files.addMedia(L"C:\\a\\rec.mp3");
  files.addMedia(L"D:\\b\\rec.mp3");
  Playlist p = make();
  p.AddToPlaylist(L"C:\\a\\rec.mp3", 60, 10);
  clock.time += 100;
  p.AddToPlaylist(L"D:\\b\\rec.mp3", 120, 0);
  ASSERT_EQ(stored().size(), 1u);
  EXPECT_EQ(stored()[0].path, L"C:\\a\\rec.mp3");
  EXPECT_EQ(stored()[0].lengthSeconds, 120);
  EXPECT_EQ(stored()[0].playpointSeconds, 10);
  EXPECT_EQ(stored()[0].lastAccessed, clock.time - 100);
}

TEST_F(PlaylistTest, RemoteFilesAreNeverAdded) {
  for (const wchar_t* path : {L"http://host/a.mp3", L"\\\\www.host.com\\share\\a.mp3", L"mms://www.x/y.wma"}) {
    Playlist p = make();
    p.AddToPlaylist(path, 10, 0);
    EXPECT_EQ(files.replaces, 0) << path;
  }
}

TEST_F(PlaylistTest, MissingFileOrUnreadableSizeGiveAnEmptyListOrZeroMegabytes) {
  Playlist p = make();
  p.RefreshPlaylist();
  EXPECT_TRUE(p.rows().empty());
  EXPECT_EQ(p.totalText(), L"00:00:00");
  // Not on disk but in the player: added, with size 0.
  p.setPlayerFile(L"C:\\gone.wav");
  p.AddToPlaylist(L"C:\\gone.wav", 5, 0);
  ASSERT_EQ(p.rows().size(), 1u);
  EXPECT_EQ(p.rows()[0].texts[ColumnSize], L"0.00");
}

TEST_F(PlaylistTest, FilesThatVanishedDropOutAtTheNextRefreshUnlessInThePlayer) {
  for (const wchar_t* path : {L"C:\\1.mp3", L"C:\\2.mp3", L"C:\\3.mp3"}) files.addMedia(path);
  store({entry(L"C:\\1.mp3", 10), entry(L"C:\\2.mp3", 20), entry(L"C:\\3.mp3", 30)});
  files.remove(L"C:\\2.mp3");
  files.remove(L"C:\\3.mp3");
  files.locked.insert(L"C:\\1.mp3");
  Playlist p = make();
  p.setPlayerFile(L"C:\\3.mp3");
  p.RefreshPlaylist();
  ASSERT_EQ(p.rows().size(), 1u);
  EXPECT_EQ(p.rows()[0].texts[0], L"3.mp3");
  EXPECT_EQ(p.totalText(), L"00:00:30");
}

TEST_F(PlaylistTest, FirstAddBeforeAnyRefreshKeepsTheStoredEntries) {
  files.addMedia(L"C:\\old.mp3");
  files.addMedia(L"C:\\new.mp3");
  store({entry(L"C:\\old.mp3", 10)});
  Playlist p = make();
  p.AddToPlaylist(L"C:\\new.mp3", 20, 0);
  EXPECT_EQ(stored().size(), 2u);
}

TEST_F(PlaylistTest, SortsByEachColumnBothWaysKeepingEqualKeysInOrder) {
  std::vector<PlaylistEntry> entries;
  const struct {
    const wchar_t* path;
    int length, playpoint;
    double size;
    int64_t accessed;
  } data[] = {
      {L"C:\\b.mp3", 30, 5, 2.0, 300},
      {L"C:\\a.mp3", 10, 5, 1.0, 100},
      {L"C:\\c.mp3", 30, 1, 3.0, 200},
  };
  for (const auto& d : data) {
    files.addMedia(d.path);
    PlaylistEntry e = entry(d.path, d.length, d.accessed);
    e.playpointSeconds = d.playpoint;
    e.sizeMegabytes = d.size;
    entries.push_back(e);
  }
  store(entries);
  const struct {
    int column;
    bool descending;
    std::vector<std::wstring> names;
  } cases[] = {
      {ColumnFileName, false, {L"a.mp3", L"b.mp3", L"c.mp3"}},
      {ColumnFileName, true, {L"c.mp3", L"b.mp3", L"a.mp3"}},
      {ColumnLength, false, {L"a.mp3", L"b.mp3", L"c.mp3"}},   // b and c equal: file order
      {ColumnLength, true, {L"b.mp3", L"c.mp3", L"a.mp3"}},
      {ColumnPlaypoint, false, {L"c.mp3", L"b.mp3", L"a.mp3"}},
      {ColumnPlaypoint, true, {L"b.mp3", L"a.mp3", L"c.mp3"}},
      {ColumnSize, true, {L"c.mp3", L"b.mp3", L"a.mp3"}},
      {ColumnLastAccessed, false, {L"a.mp3", L"c.mp3", L"b.mp3"}},
      {ColumnLastAccessed, true, {L"b.mp3", L"c.mp3", L"a.mp3"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.column << (c.descending ? " descending" : " ascending"));
    profile.values.clear();
    settings.SetSorting(c.column, c.descending ? 1 : 0);
    Playlist p = make();
    p.RefreshPlaylist();
    EXPECT_EQ(column(p, ColumnFileName), c.names);
  }
}

TEST_F(PlaylistTest, SortSettingsDefaultToLastAccessedAscending) {
  for (std::optional<int> order : {std::optional<int>(), std::optional<int>(-1), std::optional<int>(9)}) {
    profile.values.clear();
    if (order) profile.WriteProfileInt(L"Playlist", L"SortingOrder", *order);
    Playlist p = make();
    EXPECT_EQ(p.sortColumn(), ColumnLastAccessed);
    EXPECT_FALSE(p.sortDescending());
  }
}

TEST_F(PlaylistTest, ClickingAHeadingSortsDescendingFirstThenToggles) {
  files.addMedia(L"C:\\short.mp3");
  files.addMedia(L"C:\\long.mp3");
  store({entry(L"C:\\short.mp3", 10), entry(L"C:\\long.mp3", 99)});
  Playlist p = make();
  p.RefreshPlaylist();
  p.ClickColumn(ColumnLength);
  EXPECT_EQ(column(p, 0), (std::vector<std::wstring>{L"long.mp3", L"short.mp3"}));
  EXPECT_TRUE(p.sortDescending());
  EXPECT_EQ(profile.GetProfileInt(L"Playlist", L"SortingOrder", -9), 1);
  EXPECT_EQ(profile.GetProfileInt(L"Playlist", L"bSortAscending", -9), 1);
  p.ClickColumn(ColumnLength);
  EXPECT_EQ(column(p, 0), (std::vector<std::wstring>{L"short.mp3", L"long.mp3"}));
  EXPECT_EQ(profile.GetProfileInt(L"Playlist", L"bSortAscending", -9), 0);
}

TEST_F(PlaylistTest, DroppingPastFiveHundredFilesIsRefused) {
  std::vector<PlaylistEntry> entries;
  for (int i = 0; i < 498; ++i) {
    const std::wstring path = L"C:\\m\\" + std::to_wstring(i) + L".wav";
    files.addMedia(path);
    entries.push_back(entry(path, 1));
  }
  store(entries);
  Playlist p = make();
  p.RefreshPlaylist();
  std::vector<std::wstring> added;
  auto addOnly = [&](const std::wstring& path) {
    added.push_back(path);
    files.addMedia(path);
    p.AddToPlaylist(path, 1, 0);
  };
  EXPECT_FALSE(p.DropFiles({L"C:\\x1.wav", L"C:\\x2.wav", L"C:\\x3.wav"}, addOnly));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, L"Maximum 500 files can be added at one time.");
  EXPECT_TRUE(added.empty());

  EXPECT_TRUE(p.DropFiles({L"C:\\x1.wav", L"C:\\x2.wav"}, addOnly));
  EXPECT_EQ(added.size(), 2u);
  EXPECT_EQ(stored().size(), 500u);
  EXPECT_EQ(p.sortColumn(), ColumnFileName);
  EXPECT_FALSE(p.sortDescending());
}

TEST_F(PlaylistTest, DoubleClickOnAVanishedFileTellsAndDropsIt) {
  files.addMedia(L"C:\\here.mp3");
  files.addMedia(L"C:\\gone.mp3");
  store({entry(L"C:\\here.mp3", 1, 1), entry(L"C:\\gone.mp3", 1, 2)});
  Playlist p = make();
  p.RefreshPlaylist();  // last accessed ascending: here, gone
  files.remove(L"C:\\gone.mp3");
  EXPECT_EQ(p.OpenRow(1), std::nullopt);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].caption, L"Error playing file");
  EXPECT_EQ(messages.shown[0].text, L"gone.mp3  is not found, and will be removed automatically from the Playlist.");
  ASSERT_EQ(stored().size(), 1u);
  EXPECT_EQ(stored()[0].path, L"C:\\here.mp3");
}

TEST_F(PlaylistTest, DoubleClickMakesTheEntryCurrentAndKeepsItsLastAccessedTime) {
  files.addMedia(L"C:\\a.mp3");
  files.addMedia(L"C:\\b.mp3");
  store({entry(L"C:\\a.mp3", 1, 1), entry(L"C:\\b.mp3", 1, 2)});
  Playlist p = make();
  p.RefreshPlaylist();
  clock.time = 5000;
  EXPECT_EQ(p.OpenRow(0), L"C:\\a.mp3");
  EXPECT_EQ(p.currentPath(), L"C:\\a.mp3");
  // The open-media operation follows: it adds the file again, which refreshes from the file.
  p.AddToPlaylist(L"C:\\a.mp3", 1, 0);
  EXPECT_EQ(stored()[0].lastAccessed, 5000);
  EXPECT_EQ(column(p, 0), (std::vector<std::wstring>{L"b.mp3", L"a.mp3"}));
  EXPECT_EQ(p.selectedRow(), 1u);
}

TEST_F(PlaylistTest, DeleteClearPlaypointAndRemoval) {
  for (const wchar_t* path : {L"C:\\a.mp3", L"C:\\b.mp3", L"C:\\c.mp3"}) files.addMedia(path);
  store({entry(L"C:\\a.mp3", 1, 1), entry(L"C:\\b.mp3", 1, 2), entry(L"C:\\c.mp3", 1, 3)});
  Playlist p = make();
  p.RefreshPlaylist();

  p.SetPlaypoint(L"X:\\elsewhere\\b.mp3", 77);  // found by file name
  EXPECT_EQ(stored()[1].playpointSeconds, 77);

  p.DeleteRows({0, 2});
  ASSERT_EQ(stored().size(), 1u);
  EXPECT_EQ(stored()[0].path, L"C:\\b.mp3");

  // A removal by conversion waits for the next save.
  p.RemoveFromPlaylist(L"C:\\b.mp3");
  EXPECT_EQ(stored().size(), 1u);
  p.SavePlaylist();
  EXPECT_TRUE(stored().empty());

  store({entry(L"C:\\a.mp3", 1)});
  p.ClearPlaylist();
  EXPECT_TRUE(stored().empty());
  EXPECT_TRUE(p.rows().empty());
  EXPECT_EQ(p.currentPath(), L"");
}

TEST_F(PlaylistTest, FailedSaveKeepsTheLastGoodFile) {
  files.addMedia(L"C:\\a.mp3");
  files.addMedia(L"C:\\b.mp3");
  Playlist p = make();
  p.AddToPlaylist(L"C:\\a.mp3", 10, 0);
  const auto good = files.at(files.inData(L"playlist.tolv"));
  files.diskSpace = 20;  // the disk fills while the new file is written
  p.AddToPlaylist(L"C:\\b.mp3", 10, 0);
  EXPECT_EQ(files.at(files.inData(L"playlist.tolv")), good);
  EXPECT_EQ(p.rows().size(), 1u);
}

TEST_F(PlaylistTest, DamagedFileWithHugeClaimsLoadsWhatItHolds) {
  files.addMedia(L"C:\\a.mp3");
  auto bytes = WritePlaylistFile({entry(L"C:\\a.mp3", 10)});
  bytes[0] = bytes[1] = bytes[2] = 0xFF;  // count 0x7FFFFFFF
  bytes[3] = 0x7F;
  const uint8_t hugeString[] = {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F};
  bytes.insert(bytes.end(), std::begin(hugeString), std::end(hugeString));
  files.files[files.inData(L"playlist.tolv")] = bytes;
  Playlist p = make();
  p.RefreshPlaylist();
  EXPECT_EQ(p.rows().size(), 1u);
}

}  // namespace
}  // namespace tolv
