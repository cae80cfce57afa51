#include "tolv/pedals/FootSwitch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tolv/config/Settings.h"
#include "tolv/pedals/ViewPedalTransport.h"
#include "tolv/pedals/tests/fakes/FakePedalDevices.h"
#include "tolv/playback/tests/ViewFixture.h"

namespace tolv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace tolv::testing;

constexpr WindowRef View = 0xBEEF;

class FootSwitchTest : public ::testing::Test {
 protected:
  ~FootSwitchTest() override { ResetPlaybackSettings(); }
  FakeFootSwitchLibrary library;
  LockedMessageBoxes boxes;
  RecordingTransport transport;
  CFootSwitch footSwitch{library, boxes, transport, View};
};

TEST_F(FootSwitchTest, ArrivalOpensOnceAndRemovalForgets) {
  footSwitch.OnDeviceChange(FootSwitchArrived, 21);
  footSwitch.OnDeviceChange(FootSwitchArrived, 22);  // one at a time
  EXPECT_EQ(footSwitch.footSwitchId, 21u);
  ASSERT_EQ(library.opens.size(), 1u);
  EXPECT_EQ(library.opens[0], std::make_pair(FootSwitchId{21}, View));

  footSwitch.OnDeviceChange(FootSwitchRemoved, 22);  // not ours
  EXPECT_EQ(footSwitch.footSwitchId, 21u);
  footSwitch.OnDeviceChange(FootSwitchRemoved, 21);
  EXPECT_EQ(footSwitch.footSwitchId, 0u);
  EXPECT_THAT(library.closes, IsEmpty());  // the library closed it itself

  footSwitch.OnDeviceChange(FootSwitchArrived, 22);
  footSwitch.Close();
  EXPECT_THAT(library.closes, ElementsAre(22u));
  footSwitch.Close();
  EXPECT_THAT(library.closes, ElementsAre(22u));
}

TEST_F(FootSwitchTest, OpenFailureIsShownAndNextArrivalRetries) {
  library.openResult = 3;
  footSwitch.OnDeviceChange(FootSwitchArrived, 21);
  EXPECT_THAT(boxes.texts(), ElementsAre(L"FsOpen Failure"));
  EXPECT_EQ(footSwitch.footSwitchId, 0u);
  library.openResult = 0;
  footSwitch.OnDeviceChange(FootSwitchArrived, 21);
  EXPECT_EQ(footSwitch.footSwitchId, 21u);
}

TEST_F(FootSwitchTest, AbsentLibraryIgnoresEverything) {
  library.present = false;
  footSwitch.OnDeviceChange(FootSwitchArrived, 21);
  footSwitch.footSwitchId = 21;  // even if one were recorded
  footSwitch.OnDeviceChange(FootSwitchRemoved, 21);
  footSwitch.Close();
  EXPECT_THAT(library.opens, IsEmpty());
  EXPECT_THAT(library.closes, IsEmpty());
  EXPECT_EQ(footSwitch.footSwitchId, 21u);
}

TEST_F(FootSwitchTest, VecUsbPedalTakesPrecedence) {
  vecPedalLayout = true;
  footSwitch.OnDeviceChange(FootSwitchArrived, 21);
  EXPECT_THAT(library.opens, IsEmpty());
  vecPedalLayout = false;
  footSwitch.OnDeviceChange(FootSwitchArrived, 21);
  vecPedalLayout = true;
  footSwitch.OnDeviceChange(FootSwitchRemoved, 21);
  EXPECT_EQ(footSwitch.footSwitchId, 21u);
}

TEST_F(FootSwitchTest, ButtonsAcceptedOnlyFromTheOpenedSwitch) {
  footSwitch.OnButtonMessage(WM_DVR_BUTTON_FS_REW, 1, 0);  // none opened: identity 0 is nobody
  footSwitch.OnDeviceChange(FootSwitchArrived, 21);
  EXPECT_TRUE(footSwitch.OnButtonMessage(WM_DVR_BUTTON_FS_REW, 1, 21));
  EXPECT_TRUE(footSwitch.OnButtonMessage(WM_DVR_BUTTON_FS_FF, 0, 22));
  EXPECT_TRUE(footSwitch.OnButtonMessage(WM_DVR_BUTTON_FS_LISTEN, 5, 21));
  vecPedalLayout = true;
  EXPECT_TRUE(footSwitch.OnButtonMessage(WM_DVR_BUTTON_FS_LISTEN, 0, 21));
  EXPECT_FALSE(footSwitch.OnButtonMessage(0x607, 1, 21));
  // REW and FF restore speed and volume whoever sent them.
  EXPECT_THAT(transport.calls(), ElementsAre("speed and volume", "hold REW", "speed and volume", "speed and volume",
                                             "toggle"));
}

// Through the view: the centre message toggles on release too, unlike a USB pedal's centre.
class FootSwitchOnView : public testing::ViewTest {
 protected:
  FakeFootSwitchLibrary library;
  CViewPedalTransport transport{view};
  CFootSwitch footSwitch{library, boxes, transport, View};
};

TEST_F(FootSwitchOnView, CentreTogglesOnPressAndRelease) {
  playMode = PlayModeToggle;
  load(60, 10);
  footSwitch.OnDeviceChange(FootSwitchArrived, 21);
  footSwitch.OnButtonMessage(WM_DVR_BUTTON_FS_LISTEN, 1, 21);
  EXPECT_TRUE(view.playing);
  footSwitch.OnButtonMessage(WM_DVR_BUTTON_FS_LISTEN, 0, 21);
  EXPECT_FALSE(view.playing);
  footSwitch.OnButtonMessage(WM_DVR_BUTTON_FS_REW, 1, 21);
  EXPECT_TRUE(form.isPushed(TransportButton::Rew));
  footSwitch.OnButtonMessage(WM_DVR_BUTTON_FS_REW, 0, 99);  // a stranger's release leaves it held
  EXPECT_TRUE(form.isPushed(TransportButton::Rew));
}

}  // namespace
}  // namespace tolv
