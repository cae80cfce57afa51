// The player adapter on the real component, with a WAV file the test writes.
// Under Wine (ALSA null device) audio runs faster than real time, so nothing
// here measures durations: it polls for positions while pumping messages.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "testsupport/win32/WinTest.h"
#include "tolv/config/Settings.h"
#include "tolv/playback/TolvView.h"
#include "tolv/playback/tests/win32/TestWav.h"
#include "tolv/playback/win32/WMPPlayer4.h"

namespace tolv {
namespace {

std::wstring WriteWav(double seconds) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + kit::uniqueName(L"tolv-wav") + L".wav";
  testing::WriteWavFile(path, seconds);
  return path;
}

// Polls while letting the component's window messages through.
template <class Cond>
bool PumpUntil(Cond cond, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (cond()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(10);
  }
}

class WmpPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    player = CWMPPlayer4::Create();
    wav = WriteWav(30);
  }
  void TearDown() override {
    if (player) {
      try {
        player->controlsStop();
        player->setURL(L"");
      } catch (const PlayerError&) {
      }
    }
    player.reset();
    CoUninitialize();
    DeleteFileW(wav.c_str());
  }
  // Opens the WAV and waits until its duration is known.
  void open() {
    player->setURL(wav);
    ASSERT_TRUE(PumpUntil([&] { return player->duration() > 0; }, 10000)) << "duration never known";
  }

  std::unique_ptr<CWMPPlayer4> player;
  std::wstring wav;
};

TEST_F(WmpPlayer, NoMediumReadsAsEmptyWithZeroDuration) {
  EXPECT_FALSE(player->hasURL());
  EXPECT_EQ(player->URL(), L"");
  EXPECT_EQ(player->duration(), 0);
}

TEST_F(WmpPlayer, OpensAWavAndKnowsItsLength) {
  open();
  EXPECT_TRUE(player->hasURL());
  EXPECT_EQ(player->URL(), wav);
  EXPECT_NEAR(player->duration(), 30.0, 0.1);
}

// True when the component refuses the call as not implemented (Wine's
// component does so for pause, rate and balance); other failures propagate.
template <class Call>
bool NotImplemented(Call call) {
  try {
    call();
    return false;
  } catch (const PlayerError& e) {
    if (e.code() != static_cast<long>(E_NOTIMPL)) throw;
    return true;
  }
}

TEST_F(WmpPlayer, PlayAdvancesAndPauseHoldsOrIsRefused) {
  open();
  player->controlsPlay();
  ASSERT_TRUE(PumpUntil([&] { return player->currentPosition() > 0.5; }, 10000));
  if (NotImplemented([&] { player->controlsPause(); })) {
    RecordProperty("pause", "E_NOTIMPL");
    return;
  }
  const double held = player->currentPosition();
  PumpUntil([] { return false; }, 300);
  EXPECT_NEAR(player->currentPosition(), held, 0.05);
}

TEST_F(WmpPlayer, SeeksWhilePlaying) {
  open();
  player->controlsPlay();
  ASSERT_TRUE(PumpUntil([&] { return player->currentPosition() > 0.2; }, 10000));
  player->setCurrentPosition(12.5);
  EXPECT_TRUE(PumpUntil(
      [&] {
        const double p = player->currentPosition();
        return p >= 12.5 && p < 20;
      },
      5000))
      << "position " << player->currentPosition();
}

TEST_F(WmpPlayer, StopReturnsToTheStart) {
  open();
  player->controlsPlay();
  ASSERT_TRUE(PumpUntil([&] { return player->currentPosition() > 0.5; }, 10000));
  player->controlsStop();
  EXPECT_TRUE(PumpUntil([&] { return player->currentPosition() == 0; }, 5000));
}

TEST_F(WmpPlayer, VolumeIsAccepted) {
  open();
  EXPECT_NO_THROW(player->setVolume(0));
  EXPECT_NO_THROW(player->setVolume(50));
}

// Rate and balance are not implemented by Wine's component: the adapter must
// report the refusal as a PlayerError carrying the code, never ignore it.
TEST_F(WmpPlayer, RefusedSettingsSurfaceAsPlayerErrors) {
  open();
  for (auto call : {+[](CWMPPlayer4& p) { p.setRate(0.75); }, +[](CWMPPlayer4& p) { p.setBalance(-20); }}) {
    try {
      call(*player);
    } catch (const PlayerError& e) {
      EXPECT_EQ(e.code(), static_cast<long>(E_NOTIMPL)) << e.what();
    }
  }
}

// ------------------------------------------------- the view on the component

class NullForm : public ITolvForm {
 public:
  int pos[4] = {0, 50, 100, 100};
  static int index(SliderId id) {
    switch (id) {
      case SliderId::Position: return 0;
      case SliderId::Volume: return 1;
      case SliderId::Speed: return 2;
      case SliderId::Balance: break;
    }
    return 3;
  }
  bool isPushed(TransportButton) override { return false; }
  void setPushed(TransportButton, bool) override {}
  void setPlayIcon(bool) override {}
  void enableStop(bool) override {}
  void focusStop() override {}
  int sliderPos(SliderId s) override { return pos[index(s)]; }
  void setSliderPos(SliderId s, int p) override { pos[index(s)] = p; }
  int sliderRangeMax(SliderId) override { return 100; }
  void setSliderRange(SliderId, int, int, bool) override {}
  void setSliderPageSize(SliderId, int) override {}
  void setSliderLineSize(SliderId, int) override {}
  void setSliderTicFreq(SliderId, int) override {}
  void setSliderTickSide(SliderId, TickSide) override {}
  void focusSlider(SliderId) override {}
  int sliderChannelWidth(SliderId) override { return 100; }
  void setLabel(LabelId, std::wstring_view) override {}
  void setTitle(std::wstring_view) override {}
  std::wstring editText(EditId) override { return L""; }
  void setEditText(EditId, std::wstring_view) override {}
  void setStopwatchIcon(bool) override {}
  void openPlaypointDialog() override {}
};

class NoTimers : public ITimerPort {
 public:
  void setTimer(unsigned, unsigned) override {}
  void killTimer(unsigned) override {}
};

class NoMessages : public IMessageBoxes {
 public:
  void show(std::wstring_view, MessageIcon) override {}
};

class ViewOnWmp : public WmpPlayer {
 protected:
  void SetUp() override {
    WmpPlayer::SetUp();
    ResetPlaybackSettings();
  }
  void TearDown() override {
    ResetPlaybackSettings();
    WmpPlayer::TearDown();
  }
  NullForm form;
  NoTimers timers;
  NoMessages messages;
};

TEST_F(ViewOnWmp, PlayThenStopToTheStart) {
  jumpBackSeconds = -1;
  CTolvView view(*player, form, timers, messages);
  open();
  view.PlayToggle();
  EXPECT_TRUE(view.playing);
  ASSERT_TRUE(PumpUntil([&] { return player->currentPosition() > 1; }, 10000));
  view.Stop();
  EXPECT_FALSE(view.playing);
  EXPECT_TRUE(PumpUntil([&] { return player->currentPosition() == 0; }, 5000));
}

TEST_F(ViewOnWmp, PauseJumpsBackOrTheRefusalLeavesThePlayingFlag) {
  jumpBackSeconds = 2;
  CTolvView view(*player, form, timers, messages);
  open();
  view.PlayToggle();
  ASSERT_TRUE(PumpUntil([&] { return player->currentPosition() > 3; }, 10000));
  if (NotImplemented([&] { view.PlayToggle(); })) {
    // The pause is the first call: nothing had changed yet.
    EXPECT_TRUE(view.playing);
    return;
  }
  EXPECT_FALSE(view.playing);
  EXPECT_LT(player->currentPosition(), 3);
}

TEST_F(ViewOnWmp, StepWhilePlayingSeeksTwoSecondsEvenWhenTheRateIsRefused) {
  CTolvView view(*player, form, timers, messages);
  open();
  view.PlayToggle();
  ASSERT_TRUE(PumpUntil([&] { return player->currentPosition() > 1; }, 10000));
  const double before = player->currentPosition();
  const bool refused = NotImplemented([&] { view.FastForwardStep(); });
  RecordProperty("settings.rate", refused ? "E_NOTIMPL" : "accepted");
  const double after = player->currentPosition();
  EXPECT_GE(after, before + 2 - 0.01);
  EXPECT_LT(after, before + 4);
  EXPECT_GE(form.pos[0], static_cast<int>(before) + 2) << "the slider follows the seek";
}

// The component holds the position at the duration when the medium ends, so
// the 100 ms position tick sees p >= d and pauses there.
TEST_F(ViewOnWmp, PositionTickFindsTheEndOfTheMedium) {
  jumpBackSeconds = 5;
  CTolvView view(*player, form, timers, messages);
  open();
  player->setCurrentPosition(28.5);
  view.PlayToggle();
  bool pauseRefused = false;
  ASSERT_TRUE(PumpUntil(
      [&] {
        pauseRefused = NotImplemented([&] { view.PositionTick(); });
        return pauseRefused || !view.playing;
      },
      10000));
  EXPECT_NEAR(player->currentPosition(), 30.0, 0.01) << "no jump-back at the end";
  if (!pauseRefused) EXPECT_EQ(form.pos[0], 30);
}

}  // namespace
}  // namespace tolv
