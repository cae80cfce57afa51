#include "tolv/hotkeys/tests/fakes/FakeHotkeyTarget.h"

namespace testing_tolv {

const char* buttonName(tolv::HeldButton button) {
  switch (button) {
    case tolv::HeldButton::Play: return "PLAY";
    case tolv::HeldButton::Rew: return "REW";
    case tolv::HeldButton::Ff: return "FF";
  }
  return "?";
}

void FakeHotkeyTarget::PlayToggle() {
  calls.push_back("PlayToggle");
  playing = !playing;
}

void FakeHotkeyTarget::Stop() {
  calls.push_back("Stop");
  playing = false;
}

void FakeHotkeyTarget::SetHeld(tolv::HeldButton button, bool pressed) {
  calls.push_back(std::string("SetHeld(") + buttonName(button) + (pressed ? ",1)" : ",0)"));
}

void FakeHotkeyTarget::ReleaseRewFf(tolv::HeldButton button) {
  calls.push_back(std::string("ReleaseRewFf(") + buttonName(button) + ")");
}

void FakeHotkeyTarget::PostCommand(uint32_t commandId) {
  calls.push_back("Post(" + std::to_string(commandId) + ")");
}

tolv::MessageBoxAnswer FakeMessageBox::Show(const std::wstring& text, tolv::MessageBoxKind kind) {
  shown.push_back({text, kind});
  return kind == tolv::MessageBoxKind::YesNo ? answer : tolv::MessageBoxAnswer::Ok;
}

}  // namespace testing_tolv
