#include "tolv/playlist/BookmarkList.h"

#include <gtest/gtest.h>

#include "tolv/config/tests/fakes/FakeDataFiles.h"
#include "tolv/playlist/tests/ByteFixtures.h"
#include "tolv/playlist/tests/fakes/FakePlaylistPorts.h"

namespace tolv {
namespace {

using namespace tolv::testing;

// Two media, the second with two bookmarks, as the file holds them.
const Bytes kTwoMedia = cat({
    {0x01},                        // askForDescription
    i32(2),                        // collections
    str(L"C:\\a.mp3"),             // key (code-unit order: "C:\a" before "C:\b")
    i32(0),                        //   no bookmarks
    str(L"C:\\b.mp3"),             // key
    i32(2),                        //   bookmarks
    i32(120),                      //   playpointSeconds
    str(L"00:02:00"),              //   playpointText
    str(L"10:00:00 01.02.2024"),   //   createdText
    str(L"later"),                 //   description
    i32(60), str(L"00:01:00"), str(L"10:05:00 01.02.2024"), str(L""),
});

class BookmarksTest : public ::testing::Test {
 protected:
  FakeDataFiles files;
  FakeClock clock;
  FakePlaylistMessages messages;
  CBookmarkList list{files, clock, messages};

  std::wstring path() const { return files.inData(L"bookmarks.tolv"); }
  std::vector<std::wstring> column(int c) const {
    std::vector<std::wstring> texts;
    for (const auto& row : list.rows()) texts.push_back(row.texts[c]);
    return texts;
  }
};

TEST_F(BookmarksTest, FileWithoutTheTrailingByteLeavesKeepOpenAsItWas) {
  files.files[path()] = kTwoMedia;
  for (bool before : {false, true}) {
    list.keepOpenOnDoubleClick = before;
    list.LoadBookmarks(false);
    EXPECT_EQ(list.keepOpenOnDoubleClick, before);
  }
  EXPECT_TRUE(list.askForDescription);
  ASSERT_EQ(list.collections().size(), 2u);
  EXPECT_TRUE(list.collections().at(L"C:\\a.mp3").empty());
  EXPECT_EQ(list.collections().at(L"C:\\b.mp3")[0].description, L"later");

  // Saved again, the file is the same bytes plus the option.
  list.keepOpenOnDoubleClick = true;
  list.SaveBookmarks();
  EXPECT_EQ(files.at(path()), cat({kTwoMedia, {0x01}}));
}

TEST_F(BookmarksTest, TrailingByteSetsKeepOpen) {
  files.files[path()] = cat({kTwoMedia, {0x01}});
  list.LoadBookmarks(false);
  EXPECT_TRUE(list.keepOpenOnDoubleClick);
}

TEST_F(BookmarksTest, ShortFileLoadsAsFarAsItGoes) {
  // Every cut of the file loads without failing, keeping whole bookmarks only.
  const Bytes file = cat({kTwoMedia, {0x01}});
  for (size_t cut = 0; cut <= file.size(); ++cut) {
    CBookmarkList fresh(files, clock, messages);
    files.files[path()] = Bytes(file.begin(), file.begin() + cut);
    fresh.LoadBookmarks(false);
    size_t count = 0;
    for (const auto& [key, c] : fresh.collections()) count += c.size();
    EXPECT_LE(count, 2u);
  }
  // Cut inside the second bookmark: the first one stays.
  files.files[path()] = Bytes(kTwoMedia.begin(), kTwoMedia.end() - 3);
  list.LoadBookmarks(false);
  ASSERT_EQ(list.collections().at(L"C:\\b.mp3").size(), 1u);
  EXPECT_EQ(list.collections().at(L"C:\\b.mp3")[0].playpointSeconds, 120);
}

TEST_F(BookmarksTest, HugeCountsAndLengthsEndTheLoad) {
  const Bytes cases[] = {
      cat({{0x00}, i32(0x7FFFFFFF), str(L"k"), i32(0x7FFFFFFF), i32(1), str(L"x")}),
      cat({{0x00}, i32(1), {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}}),
  };
  for (const auto& bytes : cases) {
    files.files[path()] = bytes;
    list.LoadBookmarks(true);
    EXPECT_LE(list.collections().size(), 1u);
  }
}

TEST_F(BookmarksTest, MissingFileKeepsWhatIsInMemory) {
  list.AddBookmarkAtCurrentPosition(L"C:\\a.mp3", 10);
  files.remove(path());
  list.LoadBookmarks(true);
  EXPECT_EQ(list.collections().size(), 1u);
}

TEST_F(BookmarksTest, AddedBookmarkIsTruncatedListedInOrderAndSaved) {
  clock.time = 0;
  EXPECT_TRUE(list.AddBookmarkAtCurrentPosition(L"C:\\m.wav", 120.0));
  clock.time = 3661;
  EXPECT_TRUE(list.AddBookmarkAtCurrentPosition(L"C:\\m.wav", 83.9, L"hard word"));

  EXPECT_EQ(column(0), (std::vector<std::wstring>{L"1", L"2"}));
  EXPECT_EQ(column(1), (std::vector<std::wstring>{L"00:01:23", L"00:02:00"}));
  EXPECT_EQ(column(2), (std::vector<std::wstring>{L"01:01:01 01.01.1970", L"00:00:00 01.01.1970"}));
  EXPECT_EQ(column(3), (std::vector<std::wstring>{L"hard word", L""}));
  EXPECT_EQ(list.JumpTarget(0), 83);

  const auto saved = ReadBookmarksFile(files.at(path()));
  ASSERT_EQ(saved.collections.at(L"C:\\m.wav").size(), 2u);
  EXPECT_EQ(saved.collections.at(L"C:\\m.wav")[0].playpointSeconds, 83);

  list.ShowBookmarksFor(L"C:\\other.wav");
  EXPECT_TRUE(list.rows().empty());
}

TEST_F(BookmarksTest, WithoutAMediumNothingIsAdded) {
  EXPECT_FALSE(list.AddBookmarkAtCurrentPosition(L"", 5));
  EXPECT_FALSE(files.has(path()));
}

TEST_F(BookmarksTest, DeleteTellsBookmarksOfTheSameSecondApartByCreationTime) {
  clock.time = 100;
  list.AddBookmarkAtCurrentPosition(L"C:\\m.wav", 30.2);
  clock.time = 200;
  list.AddBookmarkAtCurrentPosition(L"C:\\m.wav", 30.7);

  messages.answer = false;
  EXPECT_FALSE(list.DeleteBookmark(1));
  EXPECT_EQ(list.rows().size(), 2u);

  messages.answer = true;
  EXPECT_TRUE(list.DeleteBookmark(1));
  EXPECT_EQ(messages.asked, (std::vector<std::wstring>{L"Delete this bookmark?", L"Delete this bookmark?"}));
  EXPECT_EQ(column(2), (std::vector<std::wstring>{L"00:01:40 01.01.1970"}));
}

TEST_F(BookmarksTest, CancelAfterClearingBringsTheBookmarksBackAndOkKeepsEdits) {
  list.AddBookmarkAtCurrentPosition(L"C:\\m.wav", 5);
  list.SetDescription(0, L"edited");
  list.ClearAllBookmarks();
  EXPECT_TRUE(list.rows().empty());
  list.Cancel();
  ASSERT_EQ(list.rows().size(), 1u);
  EXPECT_EQ(list.rows()[0].texts[3], L"");

  list.SetDescription(0, L"edited");
  list.askForDescription = true;
  list.Ok();
  list.askForDescription = false;
  list.Cancel();
  EXPECT_EQ(list.rows()[0].texts[3], L"edited");
  EXPECT_TRUE(list.askForDescription);
}

}  // namespace
}  // namespace tolv
