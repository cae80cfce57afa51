#include "tolv/timestamps/tests/fakes/TextPortsFakes.h"

#include <cstdio>

namespace testing_tolv {

std::string Printable(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
    } else {
      char code[16];
      std::snprintf(code, sizeof code, "\\u{%x}", static_cast<unsigned>(c));
      out += code;
    }
  }
  return out;
}

namespace {

class FakeDispatch : public tolv::IDispatchDriver {
 public:
  FakeDispatch(FakeAutomation& owner, std::string name) : owner_(owner), name_(std::move(name)) {
    ++owner_.liveObjects;
  }
  ~FakeDispatch() override { --owner_.liveObjects; }

  std::unique_ptr<tolv::IDispatchDriver> GetObjectProperty(int32_t dispid) override {
    owner_.log_.push_back(name_ + ".Get(" + std::to_string(dispid) + ")");
    if (owner_.failingDispids.count(dispid)) throw tolv::AutomationError(0x80020009L);
    const char* child = dispid == tolv::DispidSelection ? "Selection" : "Document";
    return std::make_unique<FakeDispatch>(owner_, child);
  }

  void InvokeMethod(int32_t dispid, const std::vector<std::wstring>& args) override {
    std::string call = name_ + ".Invoke(" + std::to_string(dispid);
    for (const auto& arg : args) call += "," + Printable(arg);
    owner_.log_.push_back(call + ")");
    if (owner_.failingDispids.count(dispid)) throw tolv::AutomationError(0x80020009L);
  }

 private:
  FakeAutomation& owner_;
  std::string name_;
};

class FakeRunningObject : public tolv::IRunningObject {
 public:
  explicit FakeRunningObject(FakeAutomation& owner) : owner_(owner) {}
  std::unique_ptr<tolv::IDispatchDriver> QueryDispatch() override {
    owner_.log_.push_back("QueryDispatch");
    if (!owner_.hasDispatch) return nullptr;
    return std::make_unique<FakeDispatch>(owner_, "Application");
  }

 private:
  FakeAutomation& owner_;
};

}  // namespace

bool FakeAutomation::ClassFromProgId(const std::wstring& progId, tolv::ClassId& out) {
  log_.push_back("ClassFromProgId(" + Printable(progId) + ")");
  if (!registered) return false;
  out = clsid;
  return true;
}

std::unique_ptr<tolv::IRunningObject> FakeAutomation::GetActiveObject(const tolv::ClassId& id) {
  log_.push_back(id == clsid ? "GetActiveObject" : "GetActiveObject(unknown class)");
  if (!running || !(id == clsid)) return nullptr;
  return std::make_unique<FakeRunningObject>(*this);
}

bool FakeClipboard::Open() {
  log_.push_back("Open");
  if (busy) return false;
  isOpen = true;
  return true;
}

void FakeClipboard::Empty() {
  log_.push_back("Empty");
  contents.clear();
  formatOrder.clear();
}

bool FakeClipboard::SetData(unsigned format, const std::vector<uint8_t>& block) {
  log_.push_back("SetData(" + std::to_string(format) + "," + std::to_string(block.size()) + ")");
  if (lock_.depth <= 0 || !isOpen) lockHeldAtEverySetData = false;
  contents[format] = block;
  formatOrder.push_back(format);
  return true;
}

void FakeClipboard::Close() {
  log_.push_back("Close");
  isOpen = false;
}

unsigned FakeKeyboard::SendInput(const std::vector<tolv::SyntheticKeyEvent>& events) {
  std::string call = "SendInput(";
  for (size_t i = 0; i < events.size(); ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "%s%02X%s", i ? " " : "", events[i].virtualKey,
                  events[i].keyUp ? "^" : "v");
    call += key;
  }
  log_.push_back(call + ")");
  calls.push_back(events);
  return static_cast<unsigned>(events.size());
}

}  // namespace testing_tolv
