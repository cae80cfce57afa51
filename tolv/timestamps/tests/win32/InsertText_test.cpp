// InsertText on the real clipboard, keyboard and COM, against an edit field in
// another process and an automation double registered as "Word.Application".
// Clipboard and keyboard tests share the desktop: they run one after another.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "testsupport/win32/WinTest.h"
#include "tolv/config/Settings.h"
#include "tolv/timestamps/InsertText.h"
#include "tolv/timestamps/win32/Win32Automation.h"
#include "tolv/timestamps/win32/Win32Clipboard.h"
#include "tolv/timestamps/win32/Win32Keyboard.h"

using namespace tolv;

namespace {

const std::wstring kStamp = L"_00:01:23_";

bool SetRegistryText(const std::wstring& key, const std::wstring& value) {
  HKEY handle;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY, nullptr,
                      &handle, nullptr) != ERROR_SUCCESS)
    return false;
  const LONG rc = RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 DWORD((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return rc == ERROR_SUCCESS;
}

std::string ReadFileText(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
  CloseHandle(file);
  return text;
}

// Dispatches this thread's messages until cond holds.
bool PumpUntil(const std::function<bool()>& cond, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (cond()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// The automation double, running in its own process.
class WordDouble {
 public:
  ~WordDouble() { Stop(); }

  // Registers a fresh class id as "Word.Application" and starts the double under it.
  bool Start(bool documentOpen) {
    GUID guid;
    if (FAILED(CoCreateGuid(&guid))) return false;
    wchar_t clsid[64];
    StringFromGUID2(guid, clsid, 64);
    if (!SetRegistryText(L"Software\\Classes\\Word.Application\\CLSID", clsid) ||
        !SetRegistryText(std::wstring(L"Software\\Classes\\CLSID\\") + clsid + L"\\ProgID", L"Word.Application"))
      return false;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    logPath_ = std::wstring(temp) + kit::uniqueName(L"word_double") + L".log";
    const std::wstring quitName = kit::uniqueName(L"WordDoubleQuit");
    quit_ = CreateEventW(nullptr, TRUE, FALSE, quitName.c_str());
    if (!quit_) return false;
    std::wstring args = std::wstring(clsid) + L" \"" + logPath_ + L"\" " + quitName;
    if (!documentOpen) args += L" nodoc";
    if (!child_.start(L"word_double.exe", args)) return false;
    return kit::waitFor([&] { return log().find("ready\n") == 0; }, 10000);
  }

  void Stop() {
    if (!quit_) return;
    SetEvent(quit_);
    EXPECT_EQ(child_.wait(10000), 0);
    CloseHandle(quit_);
    quit_ = nullptr;
  }

  std::string log() const { return ReadFileText(logPath_); }
  // The calls recorded after "ready".
  std::vector<std::string> calls() const {
    std::vector<std::string> lines;
    const std::string text = log();
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
      lines.push_back(text.substr(start, end - start));
    if (!lines.empty() && lines.front() == "ready") lines.erase(lines.begin());
    return lines;
  }

 private:
  kit::Child child_;
  HANDLE quit_ = nullptr;
  std::wstring logPath_;
};

class InsertTextOnWindows : public ::testing::Test {
 protected:
  kit::Child target;
  HWND targetWindow = nullptr;
  HWND edit = nullptr;
  HWND owner = nullptr;
  Win32Automation automation;  // first: joins this thread to COM
  ClipboardLock lock;
  Win32Keyboard keyboard;
  std::unique_ptr<Win32Clipboard> clipboard;

  void SetUp() override {
    useClipboardForWord = 0;
    owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    clipboard = std::make_unique<Win32Clipboard>(owner);

    const std::wstring targetClass = kit::uniqueName(L"PasteTarget");
    ASSERT_TRUE(target.start(L"paste_target.exe", targetClass));
    ASSERT_TRUE(PumpUntil(
        [&] {
          targetWindow = FindWindowW(targetClass.c_str(), L"ready");
          return targetWindow != nullptr;
        },
        10000));
    edit = FindWindowExW(targetWindow, nullptr, L"EDIT", nullptr);
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == targetWindow; }, 5000));
  }

  void TearDown() override {
    useClipboardForWord = 0;
    if (targetWindow) PostMessageW(targetWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(target.wait(10000), 0);
    if (owner) DestroyWindow(owner);
  }

  void Insert(const std::wstring& text, TextAppearance appearance = {}) {
    InsertText(text, TextPorts{automation, *clipboard, keyboard, lock}, appearance);
  }

  std::wstring editText() {
    wchar_t text[512] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(edit, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &ignored);
    return text;
  }
  bool editShows(const std::wstring& expected) {
    return PumpUntil([&] { return editText() == expected; }, 10000);
  }

  static std::vector<uint8_t> clipboardBytes(UINT format) {
    std::vector<uint8_t> bytes;
    if (!OpenClipboard(nullptr)) return bytes;
    if (HANDLE data = GetClipboardData(format)) {
      const SIZE_T size = GlobalSize(data);
      if (const void* p = GlobalLock(data)) {
        bytes.assign(static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + size);
        GlobalUnlock(data);
      }
    }
    CloseClipboard();
    return bytes;
  }
  static bool putOnClipboard(const char* text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    const size_t size = strlen(text) + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(memory), text, size);
    GlobalUnlock(memory);
    const bool ok = SetClipboardData(CF_TEXT, memory) != nullptr;
    CloseClipboard();
    return ok;
  }
};

struct PasteCase {
  std::wstring text;
  std::vector<uint8_t> eightBit;  // the 8-bit text on the clipboard, up to its terminator
  bool unicodeOffered;
};

TEST_F(InsertTextOnWindows, ClipboardRoutePastesTheWholeTextIntoAnotherProcess) {
  const PasteCase cases[] = {
      {kStamp, {'_', '0', '0', ':', '0', '1', ':', '2', '3', '_'}, false},
      {L"\u00c5r\u00f8", {0xC5, 'r', 0xF8}, false},        // Latin-1 stays 8-bit only
      {L"\u0141\u00f3d\u017a", {}, true},                  // "Łódź": the 8-bit text is empty
  };
  useClipboardForWord = 1;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    Insert(c.text);
    EXPECT_TRUE(editShows(c.text)) << "edit holds " << editText().size() << " characters";

    std::vector<uint8_t> block = clipboardBytes(CF_TEXT);
    ASSERT_GE(block.size(), 2 * c.text.size() + 3);
    block.resize(std::find(block.begin(), block.end(), 0) - block.begin());
    EXPECT_EQ(block, c.eightBit);
    if (c.unicodeOffered) {
      const std::vector<uint8_t> wide = clipboardBytes(CF_UNICODETEXT);
      ASSERT_GE(wide.size(), 2 * c.text.size() + 2);
      EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(wide.data())), c.text);
    }
  }
}

TEST_F(InsertTextOnWindows, EmptyTextStillSendsTheKeystrokes) {
  useClipboardForWord = 1;
  // Pasting nothing over a selection deletes it: the proof that Ctrl+V arrived.
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"selected"));
  SendMessageW(edit, EM_SETSEL, 0, -1);
  Insert(L"");
  EXPECT_TRUE(editShows(L""));
}

TEST_F(InsertTextOnWindows, ClipboardHeldElsewhereInsertsNothing) {
  useClipboardForWord = 1;
  ASSERT_TRUE(putOnClipboard("before"));
  HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread holder([&] {
    const bool ok = OpenClipboard(nullptr);
    SetEvent(opened);
    WaitForSingleObject(release, 10000);
    if (ok) CloseClipboard();
  });
  WaitForSingleObject(opened, 10000);
  Insert(kStamp);
  SetEvent(release);
  holder.join();
  CloseHandle(opened);
  CloseHandle(release);
  const std::vector<uint8_t> held = clipboardBytes(CF_TEXT);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(held.data())), "before");
  // A Ctrl+V from the refused insertion would paste "before" or a second "x".
  Insert(L"x");
  EXPECT_TRUE(editShows(L"x")) << "edit holds " << editText().size() << " characters";
}

TEST_F(InsertTextOnWindows, RunningWordGetsTheTextFormattedAndTheClipboardIsUntouched) {
  WordDouble word;
  ASSERT_TRUE(word.Start(true));
  ASSERT_TRUE(putOnClipboard("before"));
  Insert(kStamp, {true, true});
  EXPECT_EQ(word.calls(), (std::vector<std::string>{"Application 3 get", "Application 5 get", "Selection 602 method",
                                                    "Selection 603 method", "Selection 507 method _00:01:23_",
                                                    "Selection 603 method", "Selection 602 method"}));
  const std::vector<uint8_t> held = clipboardBytes(CF_TEXT);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(held.data())), "before");
  EXPECT_EQ(editText(), L"");
}

TEST_F(InsertTextOnWindows, WordGetsTextsBeyondLatinOneWhole) {
  WordDouble word;
  ASSERT_TRUE(word.Start(true));
  Insert(L"\u0141\u00f3d\u017a");
  EXPECT_EQ(word.calls(), (std::vector<std::string>{"Application 3 get", "Application 5 get",
                                                    "Selection 507 method \xC5\x81\xC3\xB3" "d\xC5\xBA"}));
}

TEST_F(InsertTextOnWindows, ClipboardOptionNeverAsksTheRunningWord) {
  WordDouble word;
  ASSERT_TRUE(word.Start(true));
  useClipboardForWord = 1;
  Insert(kStamp, {true, true});
  EXPECT_TRUE(editShows(kStamp));
  EXPECT_TRUE(word.calls().empty());
}

TEST_F(InsertTextOnWindows, WordWithoutADocumentFallsBackToThePaste) {
  WordDouble word;
  ASSERT_TRUE(word.Start(false));
  Insert(kStamp, {true, false});
  EXPECT_TRUE(editShows(kStamp));
  EXPECT_EQ(word.calls(), std::vector<std::string>{"Application 3 get"});
}

}  // namespace
