#pragma once
// The media player port on the Windows Media Player object model. Every call
// fetches the sub-object it needs (controls, settings, currentMedia) afresh:
// the component replaces them when the medium changes.
#include <memory>

#include "tolv/playback/MediaPlayer.h"

struct IWMPPlayer4;

namespace tolv {

class CWMPPlayer4 : public IMediaPlayer {
 public:
  // Wraps a player the form's control site already holds (takes a reference).
  explicit CWMPPlayer4(IWMPPlayer4* player);
  ~CWMPPlayer4() override;
  CWMPPlayer4(const CWMPPlayer4&) = delete;
  CWMPPlayer4& operator=(const CWMPPlayer4&) = delete;

  // A player of its own, without a window (audio only). COM must be
  // initialised on the calling thread. Throws PlayerError when the component
  // is missing.
  static std::unique_ptr<CWMPPlayer4> Create();

  IWMPPlayer4* object() const { return player_; }

  std::wstring URL() override;
  void setURL(const std::wstring& url) override;
  bool hasURL() override;
  int playState() override;
  std::wstring status() override;
  void setStretchToFit(bool stretch) override;
  void controlsPlay() override;
  void controlsPause() override;
  void controlsStop() override;
  double currentPosition() override;
  void setCurrentPosition(double seconds) override;
  double duration() override;
  void setRate(double rate) override;
  void setVolume(int volume) override;
  void setBalance(int balance) override;

 private:
  IWMPPlayer4* player_;
};

}  // namespace tolv
