// Opening media through the real converter, decoder, playlist, bookmark list
// and settings store, with the player, the form and the system faked.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tolv/app/tests/fakes/FakeProfileStore.h"
#include "tolv/config/tests/fakes/FakeDataFiles.h"
#include "tolv/convert/MediaLinks.h"
#include "tolv/convert/tests/fakes/FakeConvertPorts.h"
#include "tolv/playback/tests/ViewFixture.h"
#include "tolv/playback/tests/fakes/FakeOpenMediaPorts.h"
#include "tolv/playlist/tests/fakes/FakePlaylistPorts.h"

namespace tolv::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class OpenMediaFlow : public ViewTest {
 protected:
  OpenMediaFlow() {
    sdk.files = &platform.files;
    view.setOpenMediaPorts({&conversions, &positions, &lists, &window});
    window.onPump = [this] { run(10); };
    player.openDelayMs = 200;
  }

  // A medium the player can open; `converted` ones appear in the converter's view only once made.
  void medium(const std::wstring& path, double duration, bool converted = false) {
    player.addMedium(path, duration);
    files.addMedia(path);
    if (!converted) platform.files.insert(path);
  }
  std::vector<std::wstring> playlistPaths() {
    std::vector<std::wstring> paths;
    for (const auto& e : playlist.entries()) paths.push_back(e.path);
    return paths;
  }

  FakeConvertPlatform platform;
  FakeConvertUi ui;
  FakeDictationSdk sdk;
  FakeDataFiles files;
  FakeClock wallClock;
  FakePlaylistMessages playlistMessages;
  FakeProfileStore profile;
  CSettingsStore store{profile};
  Playlist playlist{files, wallClock, playlistMessages, store};
  CBookmarkList bookmarks{files, wallClock, playlistMessages};
  CMediaLists lists{playlist, bookmarks};
  CConverter converter{platform, ui, lists};
  CDictationDecoder decoder{sdk, platform, ui};
  CMediumConversions conversions{converter, decoder};
  CStoredMediumPositions positions{store};
  OpenLog log;
  FakeOpenMediaWindow window{log};
};

TEST_F(OpenMediaFlow, WmaIsConvertedAndTheCopyPlayed) {
  platform.files = {L"C:\\rec\\talk.WMA"};
  medium(L"C:\\rec\\talk.WMA.wav", 120, true);

  view.OpenMedia(L"C:\\rec\\talk.WMA", true);

  ASSERT_EQ(platform.started.size(), 1u);
  EXPECT_EQ(platform.started[0].parameters, L"-i \"C:\\rec\\talk.WMA\"  \"C:\\rec\\talk.WMA.wav\"");
  EXPECT_EQ(player.URL(), L"C:\\rec\\talk.WMA.wav");
  EXPECT_TRUE(player.isPlaying());
  EXPECT_EQ(view.mediumName, L"talk.WMA.wav");
  EXPECT_THAT(playlistPaths(), ElementsAre(L"C:\\rec\\talk.WMA.wav"));
  EXPECT_EQ(bookmarks.currentKey(), L"C:\\rec\\talk.WMA.wav");
}

TEST_F(OpenMediaFlow, Mp4aIsConvertedOnceEvenWithTheMp4RuleOn) {
  convertMp4ToMpg = 1;
  platform.files = {L"C:\\m\\x.mp4a"};
  player.addMedium(L"C:\\m\\x.mp4a.mpg", 30);

  view.OpenMedia(L"C:\\m\\x.mp4a", true);

  EXPECT_EQ(platform.started.size(), 1u);
  EXPECT_EQ(player.URL(), L"C:\\m\\x.mp4a.mpg");
  EXPECT_THAT(ui.warnings, IsEmpty());
}

TEST_F(OpenMediaFlow, DecodedWavIsReusedAndListed) {
  platform.files = {L"C:\\d\\dict.dss"};
  medium(L"C:\\d\\dict.dss.wav", 45);

  view.OpenMedia(L"C:\\d\\dict.dss", true);

  EXPECT_THAT(sdk.calls, IsEmpty());
  EXPECT_EQ(player.URL(), L"C:\\d\\dict.dss.wav");
  EXPECT_THAT(playlistPaths(), ElementsAre(L"C:\\d\\dict.dss.wav"));
}

TEST_F(OpenMediaFlow, RemoteDictationFileShowsTheMessageAndLoadsNothing) {
  view.OpenMedia(L"http://www.example.com/rec/memo.ds2", true);

  EXPECT_THAT(ui.warnings, ElementsAre(kRemoteDictationText));
  EXPECT_FALSE(player.hasURL());
  EXPECT_TRUE(view.mediumName.empty());
  EXPECT_THAT(playlistPaths(), IsEmpty());
  EXPECT_THAT(sdk.calls, IsEmpty());
}

TEST_F(OpenMediaFlow, MissingCodecsLeaveThePlayingMediumAlone) {
  sdk.installed = false;
  player.addMedium(L"C:\\a\\talk.wav", 100);
  view.OpenMedia(L"C:\\a\\talk.wav", true);

  view.OpenMedia(L"C:\\d\\memo.dss", true);

  EXPECT_THAT(ui.questions, ElementsAre(kCodecQuestionText));
  EXPECT_EQ(player.URL(), L"C:\\a\\talk.wav");
  EXPECT_EQ(view.mediumName, L"talk.wav");
}

TEST_F(OpenMediaFlow, PositionIsKeptPerFileNameAcrossFolders) {
  convertMp3ToWav = 0;
  player.addMedium(L"C:\\a\\Talk.MP3", 600);
  player.addMedium(L"D:\\b\\talk.mp3", 600);
  player.addMedium(L"C:\\a\\never.wav", 600);

  view.OpenMedia(L"C:\\a\\Talk.MP3", true);
  run(95800);
  view.SaveCurrentMediumPosition();  // as when the view is destroyed
  EXPECT_EQ(profile.GetProfileInt(L"Files", L"talk.mp3", -1), 95);

  view.OpenMedia(L"C:\\a\\never.wav", true);
  EXPECT_DOUBLE_EQ(position(), 0);

  view.OpenMedia(L"D:\\b\\talk.mp3", true);
  EXPECT_DOUBLE_EQ(position(), 95);
  EXPECT_TRUE(player.isPlaying());
}

TEST_F(OpenMediaFlow, DroppedFilesAreListedWithTheirSavedPositions) {
  convertMp3ToWav = 0;
  profile.WriteProfileInt(L"Files", L"b.mp3", 42);
  medium(L"C:\\a\\playing.wav", 100);
  for (const wchar_t* path : {L"C:\\x\\a.wma", L"C:\\x\\B.mp3", L"C:\\x\\c.dss"}) files.addMedia(path);
  view.OpenMedia(L"C:\\a\\playing.wav", true);

  for (const wchar_t* path : {L"C:\\x\\a.wma", L"C:\\x\\B.mp3", L"C:\\x\\c.dss"}) view.OpenMedia(path, false);

  EXPECT_THAT(playlistPaths(), ElementsAre(L"C:\\a\\playing.wav", L"C:\\x\\a.wma", L"C:\\x\\B.mp3", L"C:\\x\\c.dss"));
  EXPECT_EQ(playlist.entries()[2].playpointSeconds, 42);
  EXPECT_EQ(player.URL(), L"C:\\a\\playing.wav");
  EXPECT_TRUE(player.isPlaying());
  EXPECT_THAT(platform.started, IsEmpty());  // nothing converted or decoded
  EXPECT_THAT(sdk.calls, IsEmpty());
}

}  // namespace
}  // namespace tolv::testing
