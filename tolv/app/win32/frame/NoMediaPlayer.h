#pragma once
// The player the view drives until a medium player is hosted on the form:
// nothing is ever loaded, so every transport operation finds no medium.
#include "tolv/playback/MediaPlayer.h"

namespace tolv {

class CNoMediaPlayer : public IMediaPlayer {
 public:
  std::wstring URL() override { return {}; }
  void setURL(const std::wstring&) override {}
  bool hasURL() override { return false; }
  int playState() override { return PlayStateUndefined; }
  std::wstring status() override { return {}; }
  void setStretchToFit(bool) override {}
  void controlsPlay() override {}
  void controlsPause() override {}
  void controlsStop() override {}
  double currentPosition() override { return 0; }
  void setCurrentPosition(double) override {}
  double duration() override { return 0; }
  void setRate(double) override {}
  void setVolume(int) override {}
  void setBalance(int) override {}
};

}  // namespace tolv
