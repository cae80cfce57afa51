#include "tolv/convert/Converter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tolv/config/Settings.h"
#include "tolv/convert/tests/fakes/FakeConvertPorts.h"

namespace tolv::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ConverterTest : public ::testing::Test {
 protected:
  ConverterTest() { ResetPlaybackSettings(); }
  ~ConverterTest() override { ResetPlaybackSettings(); }

  std::wstring convert(std::wstring path) {
    converter.ConvertIfConfigured(path);
    return path;
  }

  FakeConvertPlatform platform;
  FakeConvertUi ui;
  FakeConvertedMedia playlist;
  CConverter converter{platform, ui, playlist};
};

TEST(ConverterCommandLine, QuotesEachPathAndKeepsTheOptionsSlot) {
  EXPECT_EQ(ConverterProgram(L"C:\\Program Files\\Tolv"), L"\"C:\\Program Files\\Tolv\\ffmpeg.exe\"");
  EXPECT_EQ(ConverterParameters(L"C:\\r\\a b.wma", L"", L"C:\\r\\a b.wma.wav"),
            L"-i \"C:\\r\\a b.wma\"  \"C:\\r\\a b.wma.wav\"");
  EXPECT_EQ(ConverterParameters(L"C:\\v\\c.flv", L"-b 300", L"C:\\v\\c.flv.mpg"),
            L"-i \"C:\\v\\c.flv\" -b 300 \"C:\\v\\c.flv.mpg\"");
}

struct RuleCase {
  const wchar_t* source;
  int* extraSetting;  // switched on for the case, or null
  int* offSetting;    // switched off for the case, or null
  const wchar_t* opened;
  const wchar_t* parameters;  // of the one conversion, or null for none
};

void PrintTo(const RuleCase& c, std::ostream* os) {
  std::wstring s(c.source);
  *os << std::string(s.begin(), s.end());
}

class Rules : public ConverterTest, public ::testing::WithParamInterface<RuleCase> {};

TEST_P(Rules, ConvertsOnceByTheFirstMatchingRule) {
  const RuleCase c = GetParam();
  if (c.extraSetting) *c.extraSetting = 1;
  if (c.offSetting) *c.offSetting = 0;
  platform.files.insert(c.source);

  EXPECT_EQ(convert(c.source), c.opened);

  if (!c.parameters) {
    EXPECT_THAT(platform.started, IsEmpty());
    EXPECT_THAT(playlist.removed, IsEmpty());
    return;
  }
  ASSERT_EQ(platform.started.size(), 1u);
  EXPECT_EQ(platform.started[0].program, L"\"C:\\Program Files\\Tolv\\ffmpeg.exe\"");
  EXPECT_EQ(platform.started[0].parameters, c.parameters);
  EXPECT_EQ(platform.started[0].folder, L"C:\\Program Files\\Tolv");
  EXPECT_EQ(platform.waits, 1);
  EXPECT_THAT(playlist.removed, ElementsAre(c.source));
  EXPECT_TRUE(platform.files.count(c.opened));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Rules,
    ::testing::Values(
        // The test ignores case; the appended extension is the rule's.
        RuleCase{L"C:\\rec\\talk.WMA", nullptr, nullptr, L"C:\\rec\\talk.WMA.wav",
                 L"-i \"C:\\rec\\talk.WMA\"  \"C:\\rec\\talk.WMA.wav\""},
        // ".mp4a" also contains ".mp4": the copy no longer ends in ".mp4a", so one conversion.
        RuleCase{L"C:\\m\\x.mp4a", &convertMp4ToMpg, nullptr, L"C:\\m\\x.mp4a.mpg",
                 L"-i \"C:\\m\\x.mp4a\"  \"C:\\m\\x.mp4a.mpg\""},
        RuleCase{L"C:\\m\\x.mp4", nullptr, nullptr, L"C:\\m\\x.mp4", nullptr},  // off by default
        RuleCase{L"C:\\m\\x.mp4", &convertMp4ToMpg, nullptr, L"C:\\m\\x.mp4.mpg",
                 L"-i \"C:\\m\\x.mp4\"  \"C:\\m\\x.mp4.mpg\""},
        RuleCase{L"C:\\v\\clip.flv", nullptr, nullptr, L"C:\\v\\clip.flv.mpg",
                 L"-i \"C:\\v\\clip.flv\" -b 300 \"C:\\v\\clip.flv.mpg\""},
        RuleCase{L"C:\\v\\clip.Wmv", nullptr, nullptr, L"C:\\v\\clip.Wmv.mpg",
                 L"-i \"C:\\v\\clip.Wmv\"  \"C:\\v\\clip.Wmv.mpg\""},
        RuleCase{L"C:\\a\\song.mp3", nullptr, nullptr, L"C:\\a\\song.mp3.wav",
                 L"-i \"C:\\a\\song.mp3\"  \"C:\\a\\song.mp3.wav\""},
        RuleCase{L"C:\\a\\song.mp3", nullptr, &convertMp3ToWav, L"C:\\a\\song.mp3", nullptr},
        RuleCase{L"C:\\a\\talk.wav", nullptr, nullptr, L"C:\\a\\talk.wav", nullptr},
        RuleCase{L"C:\\a.wma\\talk", nullptr, nullptr, L"C:\\a.wma\\talk", nullptr}));  // folder's dot

TEST_F(ConverterTest, ExistingCopyIsReusedWithoutTheConverter) {
  platform.files = {L"C:\\rec\\talk.wma", L"C:\\rec\\talk.wma.wav"};
  EXPECT_EQ(convert(L"C:\\rec\\talk.wma"), L"C:\\rec\\talk.wma.wav");
  EXPECT_THAT(platform.started, IsEmpty());
  EXPECT_EQ(ui.notesShown, 0);
  EXPECT_THAT(playlist.removed, ElementsAre(L"C:\\rec\\talk.wma"));
}

TEST_F(ConverterTest, ReadOnlySourceIsOpenedAsItIs) {
  platform.files = {L"D:\\cd\\talk.wma"};
  platform.readOnly = {L"D:\\cd\\talk.wma"};
  EXPECT_EQ(convert(L"D:\\cd\\talk.wma"), L"D:\\cd\\talk.wma");
  EXPECT_THAT(ui.warnings, ElementsAre(kReadOnlyText));
  EXPECT_THAT(platform.started, IsEmpty());
  EXPECT_THAT(playlist.removed, IsEmpty());
}

TEST_F(ConverterTest, NoteIsShownWhileTheConverterRuns) {
  std::vector<std::wstring> events;
  platform.events = &events;
  ui.events = &events;
  platform.files = {L"C:\\rec\\talk.wma"};
  convert(L"C:\\rec\\talk.wma");
  EXPECT_THAT(events, ElementsAre(L"start", std::wstring(L"note ") + kConversionWaitText, L"wait", L"close note"));
}

TEST_F(ConverterTest, MissingConverterLeavesThePathOnTheMissingCopy) {
  platform.files = {L"C:\\rec\\talk.wma"};
  platform.converterStarts = false;
  EXPECT_EQ(convert(L"C:\\rec\\talk.wma"), L"C:\\rec\\talk.wma.wav");
  EXPECT_EQ(platform.waits, 0);
  EXPECT_EQ(ui.notesShown, 1);
  EXPECT_FALSE(ui.noteOpen);
  EXPECT_THAT(ui.warnings, IsEmpty());  // the player's open reports it
}

TEST_F(ConverterTest, ConvertFileLeavesOtherEndingsAlone) {
  platform.files = {L"C:\\rec\\talk.wav"};
  std::wstring path = L"C:\\rec\\talk.wav";
  converter.ConvertFile(path, L".wma", L".wav", L"");
  EXPECT_EQ(path, L"C:\\rec\\talk.wav");
  EXPECT_THAT(platform.started, IsEmpty());
}

}  // namespace
}  // namespace tolv::testing
