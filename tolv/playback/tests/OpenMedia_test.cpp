#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tolv/playback/tests/ViewFixture.h"
#include "tolv/playback/tests/fakes/FakeOpenMediaPorts.h"

namespace tolv::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsSubsetOf;

class CountingTickListener : public IPositionTickListener {
 public:
  explicit CountingTickListener(OpenLog& log) : log_(log) {}
  void AutoTimestampTick() override { ++ticks; }
  void OnMediaOpened() override { log_.push_back(L"timestamps reset"); }
  int ticks = 0;

 private:
  OpenLog& log_;
};

class OpenMediaTest : public ViewTest {
 protected:
  OpenMediaTest() {
    view.setOpenMediaPorts({&conversions, &positions, &lists, &window});
    view.setPositionTickListener(&ticks);
    player.openDelayMs = 300;
    // Each pump lets 10 ms pass, delivering the view's timers on the way.
    window.onPump = [this] { run(10); };
  }
  // Opens and clears the logs, so a test sees only what comes after.
  void opened(const std::wstring& path, double duration) {
    player.addMedium(path, duration);
    view.OpenMedia(path, true);
    log.clear();
    lists.added.clear();
    lists.bookmarksShown.clear();
    window.placeholderHidden = false;
    player.calls.clear();
    player.pauses = 0;
  }

  OpenLog log;
  FakeMediumConversions conversions{log};
  FakeMediumPositions positions{log};
  FakeMediaLists lists{log};
  FakeOpenMediaWindow window{log};
  CountingTickListener ticks{log};
};

TEST_F(OpenMediaTest, SuccessfulOpenRunsItsStepsInOrder) {
  player.addMedium(L"C:\\rec\\talk.wav", 600.7);
  positions.saved[L"talk.wav"] = 95;
  player.logCalls = true;

  view.OpenMedia(L"C:\\rec\\talk.wav", true);

  EXPECT_THAT(log, ElementsAre(L"convert C:\\rec\\talk.wav", L"hide placeholder", L"timestamps reset", L"redraw",
                               L"position? talk.wav", L"playlist add C:\\rec\\talk.wav",
                               L"bookmarks C:\\rec\\talk.wav", L"relayout"));
  // Paused first, the address written, then stop, stretch, seek and play.
  const std::vector<std::string> order = {"controlsPause", "setURL", "controlsStop", "setStretchToFit",
                                          "setCurrentPosition", "duration", "controlsPlay"};
  std::vector<std::string> seen;
  for (const auto& call : player.calls)
    if (std::find(order.begin(), order.end(), call) != order.end() && (seen.empty() || seen.back() != call))
      seen.push_back(call);
  EXPECT_EQ(seen, order);

  EXPECT_GT(window.pumps, 0);
  EXPECT_EQ(view.mediumName, L"talk.wav");
  EXPECT_EQ(form.label(LabelId::FileName), L"talk.wav");
  EXPECT_TRUE(player.stretchToFit());
  EXPECT_TRUE(view.playing);
  EXPECT_TRUE(player.isPlaying());
  EXPECT_DOUBLE_EQ(position(), 95);
  EXPECT_THAT(lists.added, ElementsAre(FakeMediaLists::Added{L"C:\\rec\\talk.wav", 600, 95}));
  EXPECT_EQ(lists.bookmarksShown, L"C:\\rec\\talk.wav");

  const FakeSlider& pos = form.sliderState(SliderId::Position);
  EXPECT_EQ(pos.max, 600);
  const FakeSlider& speed = form.sliderState(SliderId::Speed);
  EXPECT_EQ(speed.min, 20);
  EXPECT_EQ(speed.max, 250);
  EXPECT_EQ(speed.lineSize, 1);
  EXPECT_EQ(speed.pageSize, 1);
  EXPECT_EQ(speed.ticFreq, 1);
  const FakeSlider& balance = form.sliderState(SliderId::Balance);
  EXPECT_EQ(balance.min, 0);
  EXPECT_EQ(balance.max, 200);
  EXPECT_EQ(balance.pos, 100);
  EXPECT_EQ(balance.lineSize, 1);
  EXPECT_EQ(balance.pageSize, 1);
  EXPECT_EQ(balance.ticFreq, 10);
  EXPECT_EQ(balance.tickSide, TickSide::Top);
}

struct ResumeCase {
  const wchar_t* stored;  // medium key in the store, or null
  int storedSeconds;
  const wchar_t* opened;
  double expectedStart;
};

class Resume : public OpenMediaTest, public ::testing::WithParamInterface<ResumeCase> {};

TEST_P(Resume, PlaybackStartsAtTheSavedPosition) {
  const ResumeCase c = GetParam();
  if (c.stored) positions.saved[c.stored] = c.storedSeconds;
  player.addMedium(c.opened, 300);
  view.OpenMedia(c.opened, true);
  EXPECT_THAT(player.seeks, ElementsAre(c.expectedStart));
  EXPECT_DOUBLE_EQ(position(), c.expectedStart);
  EXPECT_TRUE(player.isPlaying());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Resume,
    ::testing::Values(ResumeCase{L"talk.mp3", 95, L"D:\\b\\talk.mp3", 95},  // same name in another folder
                      ResumeCase{L"talk.mp3", 95, L"D:\\b\\TALK.MP3", 95},  // the key ignores case
                      ResumeCase{nullptr, 0, L"C:\\new\\never.wav", 0},     // never played
                      ResumeCase{L"other.mp3", 40, L"C:\\new\\never.wav", 0}));

TEST_F(OpenMediaTest, OpeningAnotherMediumSavesWhereTheLastOneWas) {
  opened(L"C:\\a\\Talk.MP3", 600);
  run(95800);
  player.addMedium(L"C:\\b\\next.wav", 60);

  view.OpenMedia(L"C:\\b\\next.wav", true);

  EXPECT_EQ(positions.saved[L"talk.mp3"], 95);
  EXPECT_EQ(lists.playpoints[L"Talk.MP3"], 95);
  EXPECT_THAT((std::vector<std::wstring>{L"save position Talk.MP3", L"playlist playpoint Talk.MP3"}),
              IsSubsetOf(log));
  EXPECT_EQ(view.mediumName, L"next.wav");
}

TEST_F(OpenMediaTest, AddingWithoutPlayOnlyListsTheFile) {
  opened(L"C:\\a\\talk.wav", 600);
  run(30000);
  positions.saved[L"drop.mp3"] = 12;
  player.logCalls = true;

  view.OpenMedia(L"C:\\x\\Drop.mp3", false);

  EXPECT_THAT(lists.added, ElementsAre(FakeMediaLists::Added{L"C:\\x\\Drop.mp3", 0, 12}));
  EXPECT_EQ(player.URL(), L"C:\\a\\talk.wav");
  EXPECT_TRUE(player.isPlaying());  // no pause either
  EXPECT_EQ(player.pauses, 0);
  EXPECT_EQ(view.mediumName, L"talk.wav");
  EXPECT_TRUE(lists.bookmarksShown.empty());
  // Nothing converted; the playing medium's position is still saved.
  EXPECT_THAT(log, ElementsAre(L"save position talk.wav", L"playlist playpoint talk.wav", L"position? Drop.mp3",
                               L"playlist add C:\\x\\Drop.mp3"));
}

TEST_F(OpenMediaTest, AddingWithoutPlayAndWithoutMediumSavesNothing) {
  view.OpenMedia(L"C:\\x\\a.mp3", false);
  EXPECT_THAT(log, ElementsAre(L"position? a.mp3", L"playlist add C:\\x\\a.mp3"));
  EXPECT_FALSE(player.hasURL());
}

TEST_F(OpenMediaTest, FailedOpenShowsThePlayersStatusAndKeepsTheFullPath) {
  opened(L"C:\\a\\good.wav", 100);
  view.OpenMedia(L"C:\\a\\missing.wav", true);  // unknown to the player

  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, L"Error opening the file! Cannot open the file.");
  EXPECT_EQ(view.mediumName, L"C:\\a\\missing.wav");
  EXPECT_EQ(player.URL(), L"C:\\a\\missing.wav");
  EXPECT_TRUE(lists.added.empty());
  EXPECT_FALSE(window.placeholderHidden);

  // The next open saves under the failed address, whole.
  player.addMedium(L"C:\\a\\next.wav", 100);
  view.OpenMedia(L"C:\\a\\next.wav", true);
  EXPECT_EQ(positions.saved.count(L"c:\\a\\missing.wav"), 1u);
}

TEST_F(OpenMediaTest, TimersRunWhileThePlayerOpens) {
  player.addMedium(L"C:\\a\\slow.wav", 100);
  player.openDelayMs = 2000;
  view.OpenMedia(L"C:\\a\\slow.wav", true);
  EXPECT_GE(window.pumps, 200);
  EXPECT_GE(ticks.ticks, 19);  // position timer, every 100 ms
  EXPECT_TRUE(view.playing);
}

TEST_F(OpenMediaTest, AnOpenStartedDuringTheWaitTakesOver) {
  player.addMedium(L"C:\\a\\first.wav", 100);
  player.addMedium(L"C:\\a\\second.wav", 50);
  bool nested = false;
  window.onPump = [&] {
    run(10);
    if (!nested) {
      nested = true;
      view.OpenMedia(L"C:\\a\\second.wav", true);
    }
  };

  view.OpenMedia(L"C:\\a\\first.wav", true);

  EXPECT_EQ(view.mediumName, L"second.wav");
  EXPECT_EQ(player.URL(), L"C:\\a\\second.wav");
  EXPECT_THAT(lists.added, ElementsAre(FakeMediaLists::Added{L"C:\\a\\second.wav", 50, 0}));
  EXPECT_EQ(form.label(LabelId::FileName), L"second.wav");
  EXPECT_TRUE(player.isPlaying());
}

TEST_F(OpenMediaTest, ConvertedPathIsWhatIsLoaded) {
  conversions.converted[L"C:\\rec\\Talk.WMA"] = L"C:\\rec\\Talk.WMA.wav";
  player.addMedium(L"C:\\rec\\Talk.WMA.wav", 60);
  view.OpenMedia(L"C:\\rec\\Talk.WMA", true);
  EXPECT_EQ(player.URL(), L"C:\\rec\\Talk.WMA.wav");
  EXPECT_EQ(view.mediumName, L"Talk.WMA.wav");
  EXPECT_THAT(lists.added, ElementsAre(FakeMediaLists::Added{L"C:\\rec\\Talk.WMA.wav", 60, 0}));
}

struct DictationCase {
  const wchar_t* path;
  bool decoded;
};

class Dictation : public OpenMediaTest, public ::testing::WithParamInterface<DictationCase> {};

TEST_P(Dictation, OnlyDictationExtensionsAreDecoded) {
  const DictationCase c = GetParam();
  player.addMedium(c.path, 10);
  view.OpenMedia(c.path, true);
  const bool decoded = std::find(log.begin(), log.end(), std::wstring(L"decode ") + c.path) != log.end();
  EXPECT_EQ(decoded, c.decoded);
}

INSTANTIATE_TEST_SUITE_P(Cases, Dictation,
                         ::testing::Values(DictationCase{L"C:\\d\\memo.dss", true},
                                           DictationCase{L"C:\\d\\memo.DS2", true},
                                           DictationCase{L"C:\\d\\memo.dssx", true},  // contains ".dss"
                                           DictationCase{L"C:\\d.dss\\memo.wav", false},
                                           DictationCase{L"C:\\d\\memo.wav", false}));

TEST_F(OpenMediaTest, RefusedDictationFileLoadsNothing) {
  opened(L"C:\\a\\talk.wav", 100);
  run(5000);
  conversions.refuseDictation = true;

  view.OpenMedia(L"http://www.host/memo.ds2", true);

  EXPECT_EQ(player.URL(), L"C:\\a\\talk.wav");
  EXPECT_FALSE(player.isPlaying());  // paused by the open
  EXPECT_EQ(view.mediumName, L"talk.wav");
  EXPECT_TRUE(lists.added.empty());
  EXPECT_TRUE(positions.saved.empty());  // the open ended before saving
}

struct HintCase {
  const wchar_t* path;
  int setting;
  bool shown;
};

class VideoHint : public OpenMediaTest, public ::testing::WithParamInterface<HintCase> {};

TEST_P(VideoHint, ShownForVideoNamesAnywhereInThePath) {
  const HintCase c = GetParam();
  showVideoResizeHelp = c.setting;
  view.OpenMedia(c.path, true);
  EXPECT_EQ(window.hintsShown, c.shown ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, VideoHint,
                         ::testing::Values(HintCase{L"C:\\v\\clip.AVI", 1, true},
                                           HintCase{L"C:\\v\\clip.mpeg", 1, true},
                                           HintCase{L"C:\\v\\clip.wmv", 1, true},
                                           HintCase{L"C:\\a.mov\\talk.mp3", 1, true},  // a folder name counts
                                           HintCase{L"C:\\v\\talk.mp3", 1, false},
                                           HintCase{L"C:\\v\\clip.flv", 0, false}));

TEST_F(OpenMediaTest, HintIsShownAlsoWhenOnlyAddingToThePlaylist) {
  view.OpenMedia(L"C:\\v\\clip.avi", false);
  EXPECT_EQ(window.hintsShown, 1);
}

TEST_F(OpenMediaTest, HideNextTimeTakesEffectAtOnce) {
  window.hintClicks = {true};
  view.OpenMedia(L"C:\\v\\a.avi", true);
  EXPECT_EQ(showVideoResizeHelp, 0);
  view.OpenMedia(L"C:\\v\\b.avi", true);
  EXPECT_EQ(window.hintsShown, 1);

  showVideoResizeHelp = 1;
  window.hintClicks = {true, false};  // ticked, then unticked again
  view.OpenMedia(L"C:\\v\\c.avi", true);
  EXPECT_EQ(showVideoResizeHelp, 1);
}

TEST(MediumPaths, ExtensionComesFromTheFileName) {
  EXPECT_EQ(MediumExtension(L"C:\\rec\\talk.WMA"), L".WMA");
  EXPECT_EQ(MediumExtension(L"C:\\rec\\x.mp4a"), L".mp4a");
  EXPECT_EQ(MediumExtension(L"C:\\a.mov\\talk"), L"");
  EXPECT_EQ(MediumExtension(L"http://host/d/memo.ds2"), L".ds2");
  EXPECT_EQ(MediumExtension(L"noext"), L"");
  EXPECT_EQ(MediumNameOf(L"C:\\a\\b.wav"), L"b.wav");
  EXPECT_EQ(MediumNameOf(L"http://host/b.wav"), L"http://host/b.wav");
}

}  // namespace
}  // namespace tolv::testing
