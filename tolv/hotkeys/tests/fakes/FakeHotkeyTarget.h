#pragma once
#include <string>
#include <vector>

#include "tolv/hotkeys/HotkeyTarget.h"
#include "tolv/hotkeys/KeyboardHook.h"
#include "tolv/hotkeys/RestoreDefaults.h"

namespace testing_tolv {

// A main view that records every call as a short text, e.g. "SetHeld(REW,1)", "Post(32777)".
// PlayToggle flips the playing flag and Stop clears it, as the real transport does.
class FakeHotkeyTarget : public tolv::IHotkeyTarget {
 public:
  bool playing = false;
  bool playWhileHeld = false;
  double duration = 60.0;
  bool intervalTimestamps = false;
  bool paragraphTimestamps = false;
  int paragraphEnterCount = 2;
  std::vector<std::string> calls;

  bool IsPlaying() const override { return playing; }
  bool IsPlayWhileHeld() const override { return playWhileHeld; }
  double MediaDuration() const override { return duration; }
  void PlayToggle() override;
  void Stop() override;
  void RewindStep() override { calls.push_back("RewindStep"); }
  void FastForwardStep() override { calls.push_back("FastForwardStep"); }
  void SetHeld(tolv::HeldButton button, bool pressed) override;
  void ReleaseRewFf(tolv::HeldButton button) override;
  void AddBookmark() override { calls.push_back("AddBookmark"); }
  void PostCommand(uint32_t commandId) override;
  bool IntervalTimestamps() const override { return intervalTimestamps; }
  bool ParagraphTimestamps() const override { return paragraphTimestamps; }
  int ParagraphEnterCount() const override { return paragraphEnterCount; }
};

const char* buttonName(tolv::HeldButton button);

// Answers questions from a script and records every text shown.
class FakeMessageBox : public tolv::IMessageBoxPort {
 public:
  tolv::MessageBoxAnswer answer = tolv::MessageBoxAnswer::Yes;
  struct Shown {
    std::wstring text;
    tolv::MessageBoxKind kind;
  };
  std::vector<Shown> shown;

  tolv::MessageBoxAnswer Show(const std::wstring& text, tolv::MessageBoxKind kind) override;
};

class FakeHotkeysGroup : public tolv::IHotkeysGroup {
 public:
  int refreshes = 0;
  std::vector<std::wstring> timestampStart;
  void RefreshKeyFields() override { ++refreshes; }
  void SetTimestampStartFields(const std::wstring& text) override {
    timestampStart.push_back(text);
  }
};

// Records the arguments it was called with and returns a chosen result.
class FakeNextHook : public tolv::INextHook {
 public:
  intptr_t result = 0;
  int calls = 0;
  int code = -1;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  intptr_t CallNext(int c, uintptr_t w, intptr_t l) override {
    ++calls;
    code = c;
    wParam = w;
    lParam = l;
    return result;
  }
};

}  // namespace testing_tolv
