#include <windows.h>

#include <gtest/gtest.h>

#include "testsupport/win32/WinTest.h"
#include "tolv/app/win32/Win32ProfileStore.h"
#include "tolv/config/win32/Win32DataFiles.h"
#include "tolv/playlist/BookmarkList.h"
#include "tolv/playlist/Playlist.h"
#include "tolv/playlist/win32/Win32PlaylistPorts.h"

namespace tolv {
namespace {

class NoMessages : public IPlaylistMessages {
 public:
  std::vector<std::wstring> shown;
  void show(std::wstring_view, std::wstring_view text) override { shown.emplace_back(text); }
  bool ask(std::wstring_view) override { return true; }
};

// The record files live beside this executable; each test starts without them.
class PlaylistFilesTest : public ::testing::Test {
 protected:
  Win32DataFiles files;
  Win32Clock clock;
  NoMessages messages;
  CRegistryProfileStore profile{L"Software\\" + kit::uniqueName(L"TolvTest")};
  CSettingsStore settings{profile};
  std::vector<std::wstring> created;

  void SetUp() override { removeRecords(); }
  void TearDown() override {
    removeRecords();
    for (const auto& p : created) DeleteFileW(p.c_str());
  }
  void removeRecords() {
    DeleteFileW((kit::exeFolder() + L"playlist.tolv").c_str());
    DeleteFileW((kit::exeFolder() + L"bookmarks.tolv").c_str());
  }
  std::wstring makeMedia(const std::wstring& stem, DWORD size) {
    const std::wstring path = kit::exeFolder() + kit::uniqueName(stem) + L".wav";
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::vector<char> bytes(size);
    DWORD written = 0;
    WriteFile(h, bytes.data(), size, &written, nullptr);
    CloseHandle(h);
    created.push_back(path);
    return path;
  }
};

TEST_F(PlaylistFilesTest, PlaylistBesideTheExecutableSurvivesARestartAndDropsDeletedFiles) {
  const std::wstring kept = makeMedia(L"kept", 1572864);
  const std::wstring deleted = makeMedia(L"deleted", 10);
  {
    Playlist p(files, clock, messages, settings);
    p.AddToPlaylist(kept, 90061, 12);
    p.AddToPlaylist(deleted, 5, 0);
    p.ClickColumn(ColumnLength);
  }
  ASSERT_TRUE(files.canOpen(kit::exeFolder() + L"playlist.tolv"));
  EXPECT_FALSE(files.canOpen(kit::exeFolder() + L"playlist.tolv.new"));
  DeleteFileW(deleted.c_str());

  Playlist again(files, clock, messages, settings);
  EXPECT_EQ(again.sortColumn(), ColumnLength);  // read back from the registry
  EXPECT_TRUE(again.sortDescending());
  again.RefreshPlaylist();
  ASSERT_EQ(again.rows().size(), 1u);
  EXPECT_EQ(again.entries()[0].path, kept);
  EXPECT_EQ(again.rows()[0].texts[ColumnSize], L"1.50");
  EXPECT_EQ(again.rows()[0].texts[ColumnLength], L"01:01:01");
  EXPECT_FALSE(again.rows()[0].texts[ColumnLastAccessed].empty());
  const int64_t age = clock.now() - again.entries()[0].lastAccessed;
  EXPECT_TRUE(age >= 0 && age < 600) << age;
}

TEST_F(PlaylistFilesTest, BookmarksBesideTheExecutableSurvivesARestart) {
  {
    CBookmarkList list(files, clock, messages);
    list.LoadBookmarks(false);
    list.keepOpenOnDoubleClick = true;
    ASSERT_TRUE(list.AddBookmarkAtCurrentPosition(L"C:\\dictation.dss", 83.9, L"note"));
  }
  CBookmarkList list(files, clock, messages);
  list.LoadBookmarks(false);
  list.ShowBookmarksFor(L"C:\\dictation.dss");
  ASSERT_EQ(list.rows().size(), 1u);
  EXPECT_EQ(list.rows()[0].texts[1], L"00:01:23");
  EXPECT_EQ(list.rows()[0].texts[2].size(), 19u);  // "%H:%M:%S %d.%m.%Y"
  EXPECT_TRUE(list.keepOpenOnDoubleClick);
}

}  // namespace
}  // namespace tolv
