#pragma once
// Fakes of the text ports. They share one call log so that tests can check
// the order of everything InsertText does across the ports, e.g.
//   "ClassFromProgId(Word.Application)", "Application.Get(3)", "Selection.Invoke(507,_00:01:23_)",
//   "Open", "Empty", "Lock", "SetData(1,23)", "Unlock", "Close", "SendInput(A2v 56v 56^ A2^)".
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tolv/timestamps/InsertText.h"

namespace testing_tolv {

using CallLog = std::vector<std::string>;

// ASCII kept, anything else written as \u{hex}.
std::string Printable(const std::wstring& text);

// A Word that may be absent, without IDispatch, without a document, or failing
// on chosen dispatch identifiers.
class FakeAutomation : public tolv::IAutomationPort {
 public:
  explicit FakeAutomation(CallLog& log) : log_(log) {}
  bool registered = true;   // the program id resolves to a class
  bool running = true;      // an object of that class is in the running table
  bool hasDispatch = true;  // the running object answers IDispatch
  std::set<int32_t> failingDispids;  // calls of these throw
  tolv::ClassId clsid{{0x20, 0x9f, 0x11}};
  int liveObjects = 0;      // dispatch drivers not yet released

  bool ClassFromProgId(const std::wstring& progId, tolv::ClassId& out) override;
  std::unique_ptr<tolv::IRunningObject> GetActiveObject(const tolv::ClassId& id) override;

  CallLog& log_;
};

class FakeClipboardLock : public tolv::IClipboardLock {
 public:
  explicit FakeClipboardLock(CallLog& log) : log_(log) {}
  void Lock() override { ++depth; log_.push_back("Lock"); }
  void Unlock() override { --depth; log_.push_back("Unlock"); }
  int depth = 0;

 private:
  CallLog& log_;
};

class FakeClipboard : public tolv::IClipboardPort {
 public:
  FakeClipboard(CallLog& log, const FakeClipboardLock& lock) : log_(log), lock_(lock) {}
  bool busy = false;  // another program holds it
  bool isOpen = false;
  std::map<unsigned, std::vector<uint8_t>> contents;
  std::vector<unsigned> formatOrder;  // in the order handed over
  bool lockHeldAtEverySetData = true;

  bool Open() override;
  void Empty() override;
  bool SetData(unsigned format, const std::vector<uint8_t>& block) override;
  void Close() override;

 private:
  CallLog& log_;
  const FakeClipboardLock& lock_;
};

class FakeKeyboard : public tolv::IKeyboardPort {
 public:
  explicit FakeKeyboard(CallLog& log) : log_(log) {}
  std::vector<std::vector<tolv::SyntheticKeyEvent>> calls;
  unsigned SendInput(const std::vector<tolv::SyntheticKeyEvent>& events) override;

 private:
  CallLog& log_;
};

// All fakes wired together.
struct FakeTextPorts {
  CallLog log;
  FakeAutomation automation{log};
  FakeClipboardLock lock{log};
  FakeClipboard clipboard{log, lock};
  FakeKeyboard keyboard{log};
  tolv::TextPorts ports{automation, clipboard, keyboard, lock};
};

}  // namespace testing_tolv
