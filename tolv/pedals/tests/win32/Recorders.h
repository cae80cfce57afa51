#pragma once
// Thread-safe stand-ins for the view's side of the pedals in the Wine suites.
#include <windows.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "tolv/pedals/PedalMapping.h"
#include "tolv/playback/TolvForm.h"

namespace tolv::wintest {

class Transport : public IPedalTransport {
 public:
  void SetHeld(TransportButton button, bool pressed) override {
    const char* name = button == TransportButton::Rew ? "REW" : button == TransportButton::Ff ? "FF" : "PLAY";
    add(std::string(pressed ? "hold " : "release ") + name);
  }
  void PlayToggle() override { add("toggle"); }
  void ApplySpeedAndVolume() override { add("speed and volume"); }
  std::vector<std::string> calls() {
    std::lock_guard<std::mutex> l(m_);
    return calls_;
  }
  std::size_t count() { return calls().size(); }

 private:
  void add(std::string s) {
    std::lock_guard<std::mutex> l(m_);
    calls_.push_back(std::move(s));
  }
  std::mutex m_;
  std::vector<std::string> calls_;
};

class Timers : public ITimerPort {
 public:
  void setTimer(unsigned id, unsigned) override {
    std::lock_guard<std::mutex> l(m_);
    if (id == watched) set = true;
  }
  void killTimer(unsigned id) override {
    std::lock_guard<std::mutex> l(m_);
    if (id == watched) set = false;
  }
  bool isSet() {
    std::lock_guard<std::mutex> l(m_);
    return set;
  }
  unsigned watched = 0;

 private:
  std::mutex m_;
  bool set = false;
};

class Boxes : public IMessageBoxes {
 public:
  void show(std::wstring_view text, MessageIcon) override {
    std::lock_guard<std::mutex> l(m_);
    texts_.emplace_back(text);
  }
  std::vector<std::wstring> texts() {
    std::lock_guard<std::mutex> l(m_);
    return texts_;
  }

 private:
  std::mutex m_;
  std::vector<std::wstring> texts_;
};

}  // namespace tolv::wintest
