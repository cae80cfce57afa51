#pragma once
// Some builds of the player component leave parts of the object model
// unimplemented (E_NOTIMPL): Wine's has no pause, no playState, no status,
// no stretchToFit, rate or balance, and its stop drops the loaded stream, so
// that a seek before the next play is lost. This decorator gives the view the
// meanings it relies on with what such a component does offer. A complete
// component passes straight through: every gap is learnt from the first
// refusal, and only E_NOTIMPL counts as one.
#include <optional>

#include "tolv/playback/MediaPlayer.h"

namespace tolv {

inline constexpr long kNotImplementedCode = static_cast<long>(0x80004001);

class CGapFillingPlayer : public IMediaPlayer {
 public:
  explicit CGapFillingPlayer(IMediaPlayer& component) : component_(component) {}

  std::wstring URL() override { return component_.URL(); }
  void setURL(const std::wstring& url) override;
  bool hasURL() override { return component_.hasURL(); }
  // Without playState: no medium, or one the component could not give a
  // length (it failed to open it), reads as undefined; otherwise the state
  // the view last put it in.
  int playState() override;
  std::wstring status() override;
  void setStretchToFit(bool stretch) override;
  void controlsPlay() override;
  // Without pause: the position is kept here and the component stopped; the
  // next play starts again from the kept position.
  void controlsPause() override;
  void controlsStop() override;
  double currentPosition() override;
  void setCurrentPosition(double seconds) override;
  double duration() override { return component_.duration(); }
  // Without rate or balance the sound stays at normal speed, centred.
  void setRate(double rate) override;
  void setVolume(int volume) override { component_.setVolume(volume); }
  void setBalance(int balance) override;

  bool pauseMissing() const { return pauseMissing_; }

 private:
  IMediaPlayer& component_;
  bool pauseMissing_ = false;
  bool playStateMissing_ = false;
  bool statusMissing_ = false;
  bool stretchMissing_ = false;
  bool rateMissing_ = false;
  bool balanceMissing_ = false;
  // While halted without a pause of the component's own: where play resumes,
  // and whether the halt was a pause.
  std::optional<double> held_;
  bool heldByPause_ = false;
};

}  // namespace tolv
