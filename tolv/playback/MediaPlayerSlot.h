#pragma once
// The player the view drives: the hosted component once the form has it,
// the stand-in before that (or when the component is missing). Everything
// holding the view's player keeps one reference for the program's life.
#include "tolv/playback/MediaPlayer.h"

namespace tolv {

class CMediaPlayerSlot : public IMediaPlayer {
 public:
  explicit CMediaPlayerSlot(IMediaPlayer& standIn) : standIn_(standIn), current_(&standIn) {}
  // Null goes back to the stand-in.
  void attach(IMediaPlayer* player) { current_ = player ? player : &standIn_; }
  bool hosted() const { return current_ != &standIn_; }

  std::wstring URL() override { return current_->URL(); }
  void setURL(const std::wstring& url) override { current_->setURL(url); }
  bool hasURL() override { return current_->hasURL(); }
  int playState() override { return current_->playState(); }
  std::wstring status() override { return current_->status(); }
  void setStretchToFit(bool stretch) override { current_->setStretchToFit(stretch); }
  void controlsPlay() override { current_->controlsPlay(); }
  void controlsPause() override { current_->controlsPause(); }
  void controlsStop() override { current_->controlsStop(); }
  double currentPosition() override { return current_->currentPosition(); }
  void setCurrentPosition(double seconds) override { current_->setCurrentPosition(seconds); }
  double duration() override { return current_->duration(); }
  void setRate(double rate) override { current_->setRate(rate); }
  void setVolume(int volume) override { current_->setVolume(volume); }
  void setBalance(int balance) override { current_->setBalance(balance); }

 private:
  IMediaPlayer& standIn_;
  IMediaPlayer* current_;
};

}  // namespace tolv
