#pragma once
// Typing text into the typist's word processor. Timestamps, automatic
// timestamps and keyboard-shortcut texts all leave the player through
// InsertText: into a running Word's selection through automation when
// possible, otherwise onto the clipboard followed by a synthesised Ctrl+V.
#include <cstddef>
#include <string>
#include <vector>

#include "tolv/timestamps/TextPorts.h"
#include "tolv/timestamps/TextSink.h"

namespace tolv {

// Word's automation members, by dispatch identifier.
enum WordDispid : int32_t {
  DispidActiveDocument = 3,  // Application, property get
  DispidSelection = 5,       // Application, property get
  DispidTypeText = 507,      // Selection, method (text)
  DispidBoldRun = 602,       // Selection, method: toggles bold
  DispidItalicRun = 603,     // Selection, method: toggles italics
};

constexpr uint16_t VkLeftControl = 0xA2;
constexpr uint16_t VkV = 0x56;

// Formatting switched on around the text on the Word route (the timestamp style's flags).
struct TextAppearance {
  bool bold = false;
  bool italic = false;
};

// Reads useClipboardForWord at the moment of the call. Never shows a message.
void InsertText(std::wstring text, const TextPorts& ports, TextAppearance appearance);

// The Word route alone: true when the text was typed, false when the route
// was abandoned (formatting already toggled stays toggled).
bool TypeIntoWord(const std::wstring& text, IAutomationPort& automation, TextAppearance appearance);

// The clipboard route alone: nothing happens when the clipboard cannot be opened.
void PasteThroughClipboard(const std::wstring& text, const TextPorts& ports);

// Wide-to-8-bit conversion of the runtime's default locale: characters up to
// U+00FF become the byte of the same value; any character above it makes the
// whole result empty. Stops at the first zero character; keeps at most
// bufferSize - 1 bytes.
std::string NarrowInCLocale(const std::wstring& text, size_t bufferSize);

// The text as UTF-16 code units (wchar_t is 32-bit on some platforms).
std::u16string ToUtf16(const std::wstring& text);

// The view's side of it: the ports and the clipboard lock that lives as long
// as the view. As a text sink it takes bold and italics from the current
// timestamp style at the moment of each call, for every text it types.
class CTextInserter : public ITextSink {
 public:
  CTextInserter(IAutomationPort& automation, IClipboardPort& clipboard, IKeyboardPort& keyboard)
      : ports_{automation, clipboard, keyboard, lock_} {}
  void InsertText(const std::wstring& text) override;
  void InsertText(std::wstring text, TextAppearance appearance) {
    tolv::InsertText(std::move(text), ports_, appearance);
  }

 private:
  ClipboardLock lock_;
  TextPorts ports_;
};

}  // namespace tolv
