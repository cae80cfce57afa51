// The dispatcher driving the real view (on fake player and form) through the
// glue that the hook uses.
#include "tolv/hotkeys/ViewHotkeyTarget.h"

#include <gtest/gtest.h>

#include <vector>

#include "tolv/config/Settings.h"
#include "tolv/hotkeys/HotkeyDispatcher.h"
#include "tolv/hotkeys/tests/fakes/ScopedHotkeyTables.h"
#include "tolv/playback/tests/ViewFixture.h"

namespace tolv::testing {
namespace {

class ViewThroughHotkeys : public ViewTest {
 protected:
  ViewThroughHotkeys() { playMode = PlayModeToggle; }
  int press(uint32_t vk) {
    int consumed = dispatcher.Dispatch(KeyEvent{kKeyDown, vk});
    return consumed + dispatcher.Dispatch(KeyEvent{kKeyUp, vk});
  }

  testing_tolv::ScopedHotkeyTables tables;
  std::vector<uint32_t> posted;
  std::vector<long> errors;
  int bookmarks = 0;
  CViewHotkeyTarget target{view, player, [this](uint32_t id) { posted.push_back(id); },
                           [this] { ++bookmarks; }, [this](const PlayerError& e) { errors.push_back(e.code()); }};
  HotkeyDispatcher dispatcher{target};
};

TEST_F(ViewThroughHotkeys, PlayAndStopKeysDriveTheTransport) {
  load(60, 10);
  press(0x70);  // F1, PLAY
  EXPECT_TRUE(view.playing);
  EXPECT_TRUE(player.isPlaying());
  press(0x73);  // F4, STOP
  EXPECT_FALSE(view.playing);
}

TEST_F(ViewThroughHotkeys, APlayerErrorInsideTheHookIsReportedNotThrown) {
  load(60, 10);
  player.failNext("controlsPlay");
  EXPECT_NO_THROW(press(0x70));
  EXPECT_EQ((std::vector<long>{static_cast<long>(0x80004001)}), errors);
}

TEST_F(ViewThroughHotkeys, CommandsArePostedAndTheBookmarkKeyReachesItsAction) {
  load(60, 10);
  press(0x78);  // F9, TIME STAMP
  EXPECT_EQ((std::vector<uint32_t>{32777}), posted);
  press(0x91);  // SCROLL LOCK, BOOKMARK
  EXPECT_EQ(1, bookmarks);
}

TEST_F(ViewThroughHotkeys, TimestampSettingsAndHeldButtonsMapThrough) {
  intervalTimestamps = 1;
  paragraphTimestamps = 0;
  paragraphEnterCount = 3;
  EXPECT_TRUE(target.IntervalTimestamps());
  EXPECT_FALSE(target.ParagraphTimestamps());
  EXPECT_EQ(3, target.ParagraphEnterCount());
  EXPECT_EQ(TransportButton::Rew, ToTransportButton(HeldButton::Rew));
  EXPECT_EQ(TransportButton::Ff, ToTransportButton(HeldButton::Ff));
  EXPECT_EQ(TransportButton::Play, ToTransportButton(HeldButton::Play));
  ResetPlaybackSettings();
  EXPECT_EQ(2, paragraphEnterCount);
}

TEST_F(ViewThroughHotkeys, DurationIsZeroWithoutAMedium) {
  EXPECT_EQ(0.0, target.MediaDuration());
  load(42);
  EXPECT_EQ(42.0, target.MediaDuration());
}

}  // namespace
}  // namespace tolv::testing
