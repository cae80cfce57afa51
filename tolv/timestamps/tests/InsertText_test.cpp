// InsertText against fakes of Word's automation, the clipboard and the keyboard.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tolv/config/Settings.h"
#include "tolv/timestamps/InsertText.h"
#include "tolv/timestamps/TimestampStyle.h"
#include "tolv/timestamps/tests/fakes/TextPortsFakes.h"

using namespace tolv;
using testing_tolv::CallLog;
using testing_tolv::FakeTextPorts;

namespace {

const std::wstring kStamp = L"_00:01:23_";
const std::vector<std::string> kWordFound = {"ClassFromProgId(Word.Application)", "GetActiveObject",
                                             "QueryDispatch"};
// 10 characters: a buffer of 22 bytes and a global block of 23.
const std::vector<std::string> kPasteStamp = {"Open",          "Empty",  "Lock",  "Empty",
                                              "SetData(1,23)", "Unlock", "Close", "SendInput(A2v 56v 56^ A2^)"};

CallLog Concat(std::initializer_list<CallLog> parts) {
  CallLog all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<uint8_t> Bytes(std::initializer_list<int> values, size_t size) {
  std::vector<uint8_t> block(size, 0);
  size_t i = 0;
  for (int v : values) block[i++] = static_cast<uint8_t>(v);
  return block;
}

class InsertTextTest : public ::testing::Test {
 protected:
  FakeTextPorts fake;
  void SetUp() override { useClipboardForWord = 0; }
  void TearDown() override { useClipboardForWord = 0; }
  void Insert(const std::wstring& text, TextAppearance appearance = {}) {
    InsertText(text, fake.ports, appearance);
  }
};

// --- order of attempts and fall-backs ---

struct RouteCase {
  const char* name;
  void (*setUp)(FakeTextPorts&);
  CallLog expected;
};
void PrintTo(const RouteCase& c, std::ostream* os) { *os << c.name; }

class InsertTextRoute : public InsertTextTest, public ::testing::WithParamInterface<RouteCase> {};

TEST_P(InsertTextRoute, TriesWordFirstAndFallsBackToThePaste) {
  GetParam().setUp(fake);
  Insert(kStamp, {true, false});
  EXPECT_EQ(fake.log, GetParam().expected);
  EXPECT_EQ(fake.automation.liveObjects, 0) << "every dispatch object released";
  EXPECT_EQ(fake.lock.depth, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InsertTextRoute,
    ::testing::Values(
        RouteCase{"WordTypesTheText", [](FakeTextPorts&) {},
                  Concat({kWordFound,
                          {"Application.Get(3)", "Application.Get(5)", "Selection.Invoke(602)",
                           "Selection.Invoke(507,_00:01:23_)", "Selection.Invoke(602)"}})},
        RouteCase{"ClipboardOptionNeverAsksForWord", [](FakeTextPorts&) { useClipboardForWord = 1; },
                  kPasteStamp},
        RouteCase{"ClassNotRegistered", [](FakeTextPorts& f) { f.automation.registered = false; },
                  Concat({{"ClassFromProgId(Word.Application)"}, kPasteStamp})},
        RouteCase{"WordNotRunning", [](FakeTextPorts& f) { f.automation.running = false; },
                  Concat({{"ClassFromProgId(Word.Application)", "GetActiveObject"}, kPasteStamp})},
        RouteCase{"NoDispatchInterface", [](FakeTextPorts& f) { f.automation.hasDispatch = false; },
                  Concat({kWordFound, kPasteStamp})},
        RouteCase{"NoDocumentOpen", [](FakeTextPorts& f) { f.automation.failingDispids = {DispidActiveDocument}; },
                  Concat({kWordFound, {"Application.Get(3)"}, kPasteStamp})},
        RouteCase{"SelectionFails", [](FakeTextPorts& f) { f.automation.failingDispids = {DispidSelection}; },
                  Concat({kWordFound, {"Application.Get(3)", "Application.Get(5)"}, kPasteStamp})},
        // The bold toggle already applied stays applied.
        RouteCase{"TypeTextFailsAfterBold",
                  [](FakeTextPorts& f) { f.automation.failingDispids = {DispidTypeText}; },
                  Concat({kWordFound,
                          {"Application.Get(3)", "Application.Get(5)", "Selection.Invoke(602)",
                           "Selection.Invoke(507,_00:01:23_)"},
                          kPasteStamp})},
        RouteCase{"BoldRunFails",
                  [](FakeTextPorts& f) { f.automation.failingDispids = {DispidBoldRun}; },
                  Concat({kWordFound, {"Application.Get(3)", "Application.Get(5)", "Selection.Invoke(602)"},
                          kPasteStamp})}),
    [](const auto& info) { return std::string(info.param.name); });

struct ToggleCase {
  bool bold, italic;
  std::vector<std::string> selectionCalls;
};

TEST_F(InsertTextTest, BoldAndItalicAreToggledAroundTheTextInMirroredOrder) {
  const ToggleCase cases[] = {
      {false, false, {"Selection.Invoke(507,x)"}},
      {true, false, {"Selection.Invoke(602)", "Selection.Invoke(507,x)", "Selection.Invoke(602)"}},
      {false, true, {"Selection.Invoke(603)", "Selection.Invoke(507,x)", "Selection.Invoke(603)"}},
      {true, true,
       {"Selection.Invoke(602)", "Selection.Invoke(603)", "Selection.Invoke(507,x)", "Selection.Invoke(603)",
        "Selection.Invoke(602)"}},
  };
  for (const auto& c : cases) {
    FakeTextPorts f;
    InsertText(L"x", f.ports, {c.bold, c.italic});
    const CallLog selection(f.log.begin() + 5, f.log.end());
    EXPECT_EQ(selection, c.selectionCalls) << "bold " << c.bold << " italic " << c.italic;
  }
}

TEST_F(InsertTextTest, WordRouteTypesTheWholeTextAndLeavesTheClipboardAlone) {
  fake.clipboard.contents[ClipboardText] = {'o', 'l', 'd', 0};
  Insert(L"Łódź _00:01:23_");
  EXPECT_EQ(fake.log.back(), "Selection.Invoke(507,\\u{141}\\u{f3}d\\u{17a} _00:01:23_)");
  EXPECT_EQ(fake.clipboard.contents.at(ClipboardText), (std::vector<uint8_t>{'o', 'l', 'd', 0}));
  EXPECT_TRUE(fake.keyboard.calls.empty());
}

// --- clipboard route ---

TEST_F(InsertTextTest, BusyClipboardInsertsNothing) {
  useClipboardForWord = 1;
  fake.clipboard.busy = true;
  Insert(kStamp);
  EXPECT_EQ(fake.log, CallLog{"Open"});
}

TEST_F(InsertTextTest, ClipboardIsFilledOnlyUnderTheLock) {
  useClipboardForWord = 1;
  Insert(L"Łódź");
  EXPECT_TRUE(fake.clipboard.lockHeldAtEverySetData);
  EXPECT_EQ(fake.lock.depth, 0);
}

TEST_F(InsertTextTest, PastedBlockHoldsTheNarrowTextInTwiceTheLengthPlusThreeBytes) {
  useClipboardForWord = 1;
  struct Case {
    std::wstring text;
    std::vector<uint8_t> block;
  };
  const Case cases[] = {
      {L"_00:01:23_", Bytes({'_', '0', '0', ':', '0', '1', ':', '2', '3', '_'}, 23)},
      {L"", Bytes({}, 3)},  // the Ctrl+V still goes out
      {L"Ål é\u00ff\u0080", Bytes({0xC5, 'l', ' ', 0xE9, 0xFF, 0x80}, 15)},
      {std::wstring(L"ab\0cd", 5), Bytes({'a', 'b'}, 13)},  // the copy ends at a zero character
      {L"Łódź", Bytes({}, 11)},
      {L"a\u0100", Bytes({}, 7)},
  };
  for (const auto& c : cases) {
    FakeTextPorts f;
    InsertText(c.text, f.ports, {});
    ASSERT_TRUE(f.clipboard.contents.count(ClipboardText)) << testing_tolv::Printable(c.text);
    EXPECT_EQ(f.clipboard.contents.at(ClipboardText), c.block) << testing_tolv::Printable(c.text);
    EXPECT_EQ(f.keyboard.calls.size(), 1u);
  }
}

TEST_F(InsertTextTest, LatinOneTextsOfferOnlyTheEightBitFormat) {
  useClipboardForWord = 1;
  for (const std::wstring text : {L"_00:01:23_", L"", L"Ærø ÿ"}) {
    FakeTextPorts f;
    InsertText(text, f.ports, {});
    EXPECT_EQ(f.clipboard.formatOrder, std::vector<unsigned>{ClipboardText}) << testing_tolv::Printable(text);
  }
}

TEST_F(InsertTextTest, TextsBeyondLatinOneAlsoGoAsUtf16SoTheyArriveWhole) {
  useClipboardForWord = 1;
  struct Case {
    std::wstring text;
    std::vector<uint8_t> unicode;
  };
  const Case cases[] = {
      {L"Łódź", {0x41, 0x01, 0xF3, 0x00, 'd', 0x00, 0x7A, 0x01, 0, 0}},
      {L"Ω", {0xA9, 0x03, 0, 0}},
      {L"\U0001F600", {0x3D, 0xD8, 0x00, 0xDE, 0, 0}},  // a surrogate pair
  };
  for (const auto& c : cases) {
    FakeTextPorts f;
    InsertText(c.text, f.ports, {});
    const std::string what = testing_tolv::Printable(c.text);
    EXPECT_EQ(f.clipboard.formatOrder, (std::vector<unsigned>{ClipboardUnicodeText, ClipboardText})) << what;
    EXPECT_EQ(f.clipboard.contents[ClipboardUnicodeText], c.unicode) << what;
    EXPECT_EQ(f.clipboard.contents[ClipboardText][0], 0) << what << ": the 8-bit text stays empty";
  }
}

TEST(NarrowInCLocale, MapsLatinOneByteForByteAndEmptiesAnythingBeyond) {
  struct Case {
    std::wstring text;
    size_t bufferSize;
    std::string expected;
  };
  const Case cases[] = {
      {L"_00:01:23_", 22, "_00:01:23_"},
      {L"\u00e9\u00ff\u0001", 8, "\xe9\xff\x01"},
      {L"abc\u0100", 10, ""},
      {L"abcdef", 4, "abc"},  // truncated, room left for the terminator
      {L"abc", 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NarrowInCLocale(c.text, c.bufferSize), c.expected) << testing_tolv::Printable(c.text);
  }
}

TEST(CTextInserter, RepeatedInsertionsLeaveItsLockFree) {
  CallLog log;
  testing_tolv::FakeAutomation automation(log);
  automation.running = false;
  testing_tolv::FakeClipboardLock unused(log);
  testing_tolv::FakeClipboard clipboard(log, unused);
  testing_tolv::FakeKeyboard keyboard(log);
  CTextInserter inserter(automation, clipboard, keyboard);
  inserter.InsertText(L"one", {});
  inserter.InsertText(L"two", {});
  EXPECT_EQ(keyboard.calls.size(), 2u);
  EXPECT_EQ(clipboard.contents[ClipboardText], Bytes({'t', 'w', 'o'}, 9));
}

TEST(CTextInserter, AsATextSinkItTakesBoldAndItalicsFromTheCurrentStyle) {
  const TimestampStyle saved = timestampStyle;
  FakeTextPorts fake;
  CTextInserter inserter(fake.automation, fake.clipboard, fake.keyboard);
  ITextSink& sink = inserter;
  timestampStyle.boldTimestamps = 0;
  timestampStyle.italicTimestamps = 1;
  sink.InsertText(L"a");
  timestampStyle.boldTimestamps = 1;
  timestampStyle.italicTimestamps = 0;
  sink.InsertText(L"b");
  timestampStyle = saved;
  CallLog selectionCalls;
  for (const auto& call : fake.log)
    if (call.rfind("Selection", 0) == 0) selectionCalls.push_back(call);
  EXPECT_EQ(selectionCalls, (CallLog{"Selection.Invoke(603)", "Selection.Invoke(507,a)", "Selection.Invoke(603)",
                                     "Selection.Invoke(602)", "Selection.Invoke(507,b)", "Selection.Invoke(602)"}));
}

}  // namespace
