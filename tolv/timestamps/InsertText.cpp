#include "tolv/timestamps/InsertText.h"

#include <algorithm>

#include "tolv/config/Settings.h"
#include "tolv/timestamps/TimestampStyle.h"

namespace tolv {

namespace {

class ClipboardLockHold {
 public:
  explicit ClipboardLockHold(IClipboardLock& lock) : lock_(lock) { lock_.Lock(); }
  ~ClipboardLockHold() { lock_.Unlock(); }
  ClipboardLockHold(const ClipboardLockHold&) = delete;
  ClipboardLockHold& operator=(const ClipboardLockHold&) = delete;

 private:
  IClipboardLock& lock_;
};

// Text up to the first zero character: what a zero-terminated copy holds.
std::wstring_view UpToFirstZero(const std::wstring& text) {
  const size_t end = text.find(L'\0');
  return std::wstring_view(text).substr(0, end == std::wstring::npos ? text.size() : end);
}

bool HasCharAboveLatin1(std::wstring_view text) {
  for (wchar_t c : text) {
    if (static_cast<uint32_t>(c) > 0xFF) return true;
  }
  return false;
}

}  // namespace

std::string NarrowInCLocale(const std::wstring& text, size_t bufferSize) {
  const std::wstring_view source = UpToFirstZero(text);
  if (bufferSize == 0 || HasCharAboveLatin1(source)) return {};
  std::string bytes;
  const size_t keep = std::min(source.size(), bufferSize - 1);
  bytes.reserve(keep);
  for (size_t i = 0; i < keep; ++i) bytes.push_back(static_cast<char>(source[i]));
  return bytes;
}

std::u16string ToUtf16(const std::wstring& text) {
  std::u16string units;
  units.reserve(text.size());
  for (wchar_t c : text) {
    uint32_t cp = static_cast<uint32_t>(c);
    if (cp > 0x10FFFF) cp = 0xFFFD;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      units.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      units.push_back(static_cast<char16_t>(cp));
    }
  }
  return units;
}

bool TypeIntoWord(const std::wstring& text, IAutomationPort& automation, TextAppearance appearance) {
  ClassId clsid;
  if (!automation.ClassFromProgId(L"Word.Application", clsid)) return false;
  std::unique_ptr<IRunningObject> running = automation.GetActiveObject(clsid);
  if (!running) return false;
  std::unique_ptr<IDispatchDriver> application = running->QueryDispatch();
  if (!application) return false;
  try {
    // Only read to find out whether a document is open: the read fails when none is.
    application->GetObjectProperty(DispidActiveDocument);
    std::unique_ptr<IDispatchDriver> selection = application->GetObjectProperty(DispidSelection);
    // Bold and italics are toggles: the second pair restores what was in force.
    if (appearance.bold) selection->InvokeMethod(DispidBoldRun, {});
    if (appearance.italic) selection->InvokeMethod(DispidItalicRun, {});
    selection->InvokeMethod(DispidTypeText, {text});
    if (appearance.italic) selection->InvokeMethod(DispidItalicRun, {});
    if (appearance.bold) selection->InvokeMethod(DispidBoldRun, {});
  } catch (const AutomationError&) {
    return false;
  }
  return true;
}

void PasteThroughClipboard(const std::wstring& text, const TextPorts& ports) {
  if (!ports.clipboard.Open()) return;
  ports.clipboard.Empty();
  {
    ClipboardLockHold hold(ports.clipboardLock);
    const std::u16string utf16 = ToUtf16(text);
    const size_t bufferSize = 2 * utf16.size() + 2;
    const std::string narrow = NarrowInCLocale(text, bufferSize);
    ports.clipboard.Empty();

    // The 8-bit text loses every character above U+00FF, so such texts also go
    // as UTF-16, offered first for programs that take the first text format they find.
    const std::wstring_view whole = UpToFirstZero(text);
    if (HasCharAboveLatin1(whole)) {
      const std::u16string wide = ToUtf16(std::wstring(whole));
      std::vector<uint8_t> block;
      block.reserve(2 * wide.size() + 2);
      for (char16_t unit : wide) {
        block.push_back(static_cast<uint8_t>(unit & 0xFF));
        block.push_back(static_cast<uint8_t>(unit >> 8));
      }
      block.push_back(0);
      block.push_back(0);
      ports.clipboard.SetData(ClipboardUnicodeText, block);
    }

    std::vector<uint8_t> block(bufferSize + 1, 0);
    std::copy(narrow.begin(), narrow.end(), block.begin());
    ports.clipboard.SetData(ClipboardText, block);
  }
  ports.clipboard.Close();

  ports.keyboard.SendInput({{VkLeftControl, false}, {VkV, false}, {VkV, true}, {VkLeftControl, true}});
}

void InsertText(std::wstring text, const TextPorts& ports, TextAppearance appearance) {
  if (useClipboardForWord == 0 && TypeIntoWord(text, ports.automation, appearance)) return;
  PasteThroughClipboard(text, ports);
}

void CTextInserter::InsertText(const std::wstring& text) {
  InsertText(text, {timestampStyle.boldTimestamps != 0, timestampStyle.italicTimestamps != 0});
}

}  // namespace tolv
