#pragma once
// Ports through which text leaves the player for the typist's word processor:
// the word processor's automation interface, the clipboard and synthesised
// keystrokes. All are called on the user-interface thread only.
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace tolv {

// A failed automation call (a failed HRESULT or an exception raised by the server).
class AutomationError : public std::runtime_error {
 public:
  explicit AutomationError(long hresult)
      : std::runtime_error("automation call failed"), hresult(hresult) {}
  long hresult;
};

// An automation object driven by dispatch identifiers. Released when destroyed.
class IDispatchDriver {
 public:
  virtual ~IDispatchDriver() = default;
  // Property get whose value is an object. Throws AutomationError on failure
  // (also when the value is not an object).
  virtual std::unique_ptr<IDispatchDriver> GetObjectProperty(int32_t dispid) = 0;
  // Method call with string arguments (possibly none), result ignored.
  // Throws AutomationError on failure.
  virtual void InvokeMethod(int32_t dispid, const std::vector<std::wstring>& stringArgs) = 0;
};

// A running object found in the system's table of running objects.
class IRunningObject {
 public:
  virtual ~IRunningObject() = default;
  // Its dispatch interface; null when it has none. Never throws.
  virtual std::unique_ptr<IDispatchDriver> QueryDispatch() = 0;
};

struct ClassId {
  uint8_t bytes[16] = {};
  bool operator==(const ClassId&) const = default;
};

// Finding a running automation server. Never starts one. Never throws.
class IAutomationPort {
 public:
  virtual ~IAutomationPort() = default;
  // False when the program id is not registered.
  virtual bool ClassFromProgId(const std::wstring& progId, ClassId& clsid) = 0;
  // The running object of that class; null when none is running.
  virtual std::unique_ptr<IRunningObject> GetActiveObject(const ClassId& clsid) = 0;
};

// Standard clipboard formats.
enum ClipboardFormat : unsigned {
  ClipboardText = 1,          // 8-bit text, zero-terminated
  ClipboardUnicodeText = 13,  // UTF-16LE text, zero-terminated
};

// The system clipboard. Never throws.
class IClipboardPort {
 public:
  virtual ~IClipboardPort() = default;
  // Opens it with the main view's window as owner; false when another program holds it.
  virtual bool Open() = 0;
  virtual void Empty() = 0;
  // Copies block into a new shareable global memory block of exactly its size
  // and hands that to the clipboard. False when allocation or hand-over failed.
  virtual bool SetData(unsigned format, const std::vector<uint8_t>& block) = 0;
  virtual void Close() = 0;
};

// One synthesised keyboard event: a virtual key, no scan code, no delay.
struct SyntheticKeyEvent {
  uint16_t virtualKey = 0;
  bool keyUp = false;
  bool operator==(const SyntheticKeyEvent&) const = default;
};

// Synthesised keyboard input. Never throws.
class IKeyboardPort {
 public:
  virtual ~IKeyboardPort() = default;
  // All events in one call, so no real keystroke can come between them.
  // Returns how many the system accepted.
  virtual unsigned SendInput(const std::vector<SyntheticKeyEvent>& events) = 0;
};

// Serialises clipboard filling within the process.
class IClipboardLock {
 public:
  virtual ~IClipboardLock() = default;
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
};

// The view's clipboard lock: re-entrant like a critical section.
class ClipboardLock : public IClipboardLock {
 public:
  void Lock() override { mutex_.lock(); }
  void Unlock() override { mutex_.unlock(); }

 private:
  std::recursive_mutex mutex_;
};

struct TextPorts {
  IAutomationPort& automation;
  IClipboardPort& clipboard;
  IKeyboardPort& keyboard;
  IClipboardLock& clipboardLock;
};

}  // namespace tolv
