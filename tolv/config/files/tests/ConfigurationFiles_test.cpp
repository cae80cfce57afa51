#include "tolv/config/files/ConfigurationFiles.h"

#include <gtest/gtest.h>

#include "tolv/config/Settings.h"
#include "tolv/config/files/tests/fakes/ConfigurationBytes.h"
#include "tolv/config/tests/fakes/FakeDataFiles.h"
#include "tolv/hotkeys/Hotkeys.h"
#include "tolv/timestamps/FormatTimestamp.h"
#include "tolv/timestamps/TimestampStyle.h"

using namespace tolv;
using namespace testing_tolv;
using tolv::testing::FakeDataFiles;

namespace {

const std::wstring kMain = L"C:\\Tolv\\tolv3.cfg";
const std::wstring kFolder = L"C:\\Tolv\\Configuration\\";

std::wstring W(char c) { return std::wstring(1, wchar_t(c)); }

// tolv3.cfg with a value in every field that differs from its first-start value
// and from its neighbours, naming the configuration "Client A".
Fields DistinctMainFields() {
  Fields f = FirstStartMainFields();
  f[1] = I32(2), f[2] = I32(12), f[3] = I32(3), f[4] = I32(1), f[5] = I32(0x0091E6), f[6] = I32(0x64C8F8);
  f[7] = I32(1);
  for (int r = 0; r < 5; ++r) f[8 + 2 * r] = U8('A' + r), f[9 + 2 * r] = Str(W('A' + r));
  for (int r = 0; r < 7; ++r) {
    f[18 + 3 * r] = U8('F' + r);
    f[19 + 3 * r] = Str(W('F' + r));
    f[20 + 3 * r] = Str(L"t" + std::to_wstring(6 + r));
  }
  for (int k = 39; k <= 46; ++k) f[k] = I32(100 + k);
  f[47] = I32(5);  // a flag other than 0 is written back as it is
  f[48] = Date(7, 45000.25);
  f[49] = I32(1);
  f[50] = Str(L"r50"), f[51] = Str(L"r51"), f[52] = Str(L"r52"), f[53] = Str(L"r53");
  f[54] = I32(0);
  f[55] = Str(L"r55"), f[56] = Str(L"r56"), f[57] = I32(57);
  f[58] = Str(L"-"), f[59] = Str(L"01"), f[60] = Str(L"02"), f[61] = Str(L"03"), f[62] = I32(-3723);
  f[63] = I32(63), f[64] = I32(64), f[65] = I32(4), f[66] = I32(6);
  f[67] = Str(L"Client A");
  f[68] = I32(0), f[69] = I32(0), f[70] = I32(0), f[71] = I32(1);
  f[72] = U8('M'), f[73] = Str(L"M");
  // Disable flags in the order PLAY STOP REW FF RX PX TIME STAMP BOOKMARK.
  const int flags[] = {1, 0, 1, 1, 1, 0, 0, 1};
  for (int k = 0; k < 8; ++k) f[74 + k] = I32(flags[k]);
  f[82] = I32(0), f[83] = I32(0), f[84] = I32(1);
  f[85] = I32(0), f[86] = I32(1), f[87] = I32(1), f[88] = I32(0), f[89] = I32(1);
  f[90] = I32(1), f[91] = I32(175);
  for (int r = 0; r < 3; ++r) {
    f[92 + 3 * r] = Str(W('N' + r));
    f[93 + 3 * r] = Str(L"t" + std::to_wstring(14 + r));
    f[94 + 3 * r] = U8('N' + r);
  }
  f[101] = I32(120), f[102] = I32(0), f[103] = I32(1), f[104] = I32(0), f[105] = I32(1);
  return f;
}

// A named configuration with its own value in every field. Its shortcuts are
// `first`..`first`+4 with texts prefix6..prefix10; its stored patterns are stale.
Fields DistinctNamedFields(char first = 'F', const std::wstring& prefix = L"t") {
  Fields f = DefaultNamedFields();
  const int32_t flags[] = {0, 1, 0, 1, 2, 1, 1, 1, 1};
  for (int k = 0; k < 9; ++k) f[1 + k] = I32(flags[k]);
  f[10] = Str(L"["), f[11] = Str(L"m"), f[12] = Str(L"s"), f[13] = Str(L"]"), f[14] = Str(L"f"), f[15] = Str(L"F");
  f[16] = I32(25), f[17] = I32(1), f[18] = I32(1), f[19] = I32(30);
  f[20] = Str(L"stale+"), f[21] = Str(L"stale-");
  for (int r = 0; r < 5; ++r) {
    f[22 + r] = Str(W(first + r));
    f[27 + r] = Str(prefix + std::to_wstring(6 + r));
    f[33 + r] = U8(first + r);
  }
  f[32] = I32(1);
  f[38] = I32(7), f[39] = I32(8), f[40] = I32(3), f[41] = I32(1), f[42] = I32(1), f[43] = I32(0);
  return f;
}

// The same configuration as a save writes it: patterns follow from the fields.
Fields DistinctNamedFieldsSaved() {
  Fields f = DistinctNamedFields();
  f[20] = Str(L"[m%Ms]"), f[21] = Str(L"[m%Ms]");
  return f;
}

class ConfigurationFiles : public ::testing::Test {
 protected:
  FakeDataFiles files;

  void SetUp() override { ResetConfigurationToFirstStart(); }
  void TearDown() override { ResetConfigurationToFirstStart(); }

  void install(const Fields& main, const Fields& named, const std::wstring& name = L"Client A") {
    files.files[kMain] = Join(main);
    files.files[kFolder + name] = Join(named);
    files.folders.insert(kFolder);
  }
};

TEST_F(ConfigurationFiles, FixturesHaveEveryField) {
  EXPECT_EQ(FirstStartMainFields().size(), 106u);
  EXPECT_EQ(DefaultNamedFields().size(), 44u);
}

TEST_F(ConfigurationFiles, FirstStartWritesTheDefaults) {
  LoadMainConfiguration(files);

  EXPECT_TRUE(files.folders.count(kFolder));
  EXPECT_EQ(files.at(kMain), Join(FirstStartMainFields()));
  EXPECT_EQ(files.at(kFolder + L"DEFAULT"), Join(DefaultNamedFields()));
  EXPECT_EQ(currentConfigurationName, L"DEFAULT");
  EXPECT_EQ(FormatTimestamp(timestampStyle, timestampOffset, 0.0), L"_00:00:00_");
  EXPECT_EQ(files.files.size(), 2u);  // no temporary left behind
}

TEST_F(ConfigurationFiles, LoadsEveryFieldIntoItsSetting) {
  install(DistinctMainFields(), DistinctNamedFields());
  LoadMainConfiguration(files);
  EXPECT_EQ(files.replaces, 0);  // a whole file is not written again

  EXPECT_EQ(playMode, 2);
  EXPECT_EQ(playLengthSeconds, 12);
  EXPECT_EQ(jumpBackSeconds, 3);
  EXPECT_TRUE(vecPedalLayout);
  EXPECT_EQ(appearanceColorFrom, 0x0091E6);
  EXPECT_EQ(appearanceColorTo, 0x64C8F8);
  EXPECT_TRUE(alwaysOnTop);
  for (int id = 1; id <= 16; ++id) {
    SCOPED_TRACE(id);
    const char key = id <= 12 ? char('A' + id - 1) : id == 13 ? 'M' : char('N' + id - 14);
    EXPECT_EQ(HotkeyTable[id - 1].virtualKey, key);
    EXPECT_EQ(HotkeyTable[id - 1].keyName, W(key));
    const bool hasText = (id >= 6 && id <= 12) || id >= 14;
    EXPECT_EQ(HotkeyTable[id - 1].text, hasText ? L"t" + std::to_wstring(id) : L"");
    EXPECT_EQ(HotkeyTable[id - 1].name, DefaultHotkeyTable[id - 1].name);  // never stored
  }
  const std::array<bool, 16> disabled = {1, 0, 1, 1, 0, 0, 1, 1, 0, 1, 0, 1, 1, 0, 1, 0};
  EXPECT_EQ(hotkeyDisabled, disabled);
  EXPECT_EQ(reservedConfig.extensionFlags, (std::array<int32_t, 8>{139, 140, 141, 142, 143, 144, 145, 146}));
  EXPECT_EQ(reservedConfig.dateFlag, 5);
  EXPECT_EQ(reservedConfig.dateStatus, 7);
  EXPECT_EQ(reservedConfig.dateValue, 45000.25);
  EXPECT_TRUE(switchPedalFfRew);
  EXPECT_EQ(reservedConfig.textsBeforeResizeHelp, (std::array<std::wstring, 4>{L"r50", L"r51", L"r52", L"r53"}));
  EXPECT_FALSE(showVideoResizeHelp);
  EXPECT_EQ(reservedConfig.textsAfterResizeHelp, (std::array<std::wstring, 2>{L"r55", L"r56"}));
  EXPECT_EQ(reservedConfig.valueBeforeOffset, 57);
  EXPECT_EQ(timestampOffsetSign, L"-");
  EXPECT_EQ(timestampOffsetHours, L"01");
  EXPECT_EQ(timestampOffsetMinutes, L"02");
  EXPECT_EQ(timestampOffsetSeconds, L"03");
  EXPECT_EQ(timestampOffset, -3723);
  EXPECT_EQ(reservedConfig.valuesAfterOffset, (std::array<int32_t, 2>{63, 64}));
  EXPECT_EQ(pxSeconds, 4);
  EXPECT_EQ(rxSeconds, 6);
  EXPECT_EQ(currentConfigurationName, L"Client A");
  EXPECT_FALSE(convertFlvToMpg);
  EXPECT_FALSE(convertWmvToMpg);
  EXPECT_FALSE(convertMp3ToWav);
  EXPECT_TRUE(displayTimeRemaining);
  EXPECT_FALSE(convertWmaToWav);
  EXPECT_FALSE(convertMp4aToMpg);
  EXPECT_TRUE(convertMp4ToMpg);
  EXPECT_TRUE(philipsEquipment);
  EXPECT_EQ(toggleSpeedPercent, 175);
  EXPECT_EQ(speedPercent, 120);
  EXPECT_EQ(useClipboardForWord, 1);

  const TimestampStyle& s = timestampStyle;
  EXPECT_EQ(s.includeHours, 0);
  EXPECT_EQ(s.includeMinutes, 1);
  EXPECT_EQ(s.includeSeconds, 0);
  EXPECT_EQ(s.showFractions, 1);
  EXPECT_EQ(s.fractionDigits, 2);
  EXPECT_EQ(s.showFrames, 1);
  EXPECT_EQ(s.boldTimestamps, 1);
  EXPECT_EQ(s.oneDigitHours, 1);
  EXPECT_EQ(s.hideHours, 1);
  EXPECT_EQ(s.italicTimestamps, 1);
  EXPECT_EQ(s.beforeHours + s.beforeMinutes + s.beforeSeconds + s.afterSeconds + s.afterFraction + s.afterFrames,
            L"[ms]fF");
  EXPECT_EQ(s.framesPerSecond, 25);
  EXPECT_EQ(s.positivePattern, L"[m%Ms]");  // rebuilt, not the stored "stale+"
  EXPECT_EQ(s.negativePattern, L"[m%Ms]");
  EXPECT_EQ(intervalTimestamps, 1);
  EXPECT_EQ(paragraphTimestamps, 1);
  EXPECT_EQ(intervalSeconds, 30);
  EXPECT_EQ(subtractSeconds, 7);
  EXPECT_EQ(delaySeconds, 8);
  EXPECT_EQ(paragraphEnterCount, 3);
  EXPECT_EQ(delayTimestamps, 1);
  EXPECT_EQ(subtractTimestamps, 1);
  EXPECT_EQ(paragraphNewLine, 0);

  // Saved again byte for byte, apart from the rebuilt patterns.
  SaveMainConfiguration(files);
  EXPECT_EQ(files.at(kMain), Join(DistinctMainFields()));
  EXPECT_EQ(files.at(kFolder + L"Client A"), Join(DistinctNamedFieldsSaved()));
}

TEST_F(ConfigurationFiles, ReservedDateFlagIsSavedAsOne) {
  Fields read = FirstStartMainFields();
  read[47] = I32(0);
  read[48] = Date(2, 44197.5);
  read[67] = Str(L"DEFAULT");
  install(read, DefaultNamedFields(), L"DEFAULT");
  LoadMainConfiguration(files);
  EXPECT_EQ(reservedConfig.dateFlag, 0);

  SaveMainConfiguration(files);
  Fields saved = read;
  saved[47] = I32(1);
  EXPECT_EQ(files.at(kMain), Join(saved));
  EXPECT_EQ(reservedConfig.dateFlag, 1);
}

TEST_F(ConfigurationFiles, LongStringsTakeTheSixteenBitLength) {
  const std::wstring text(300, L'x');
  HotkeyTable[HotkeyShortcut1 - 1].text = text;
  files.folders.insert(kFolder);
  SaveMainConfiguration(files);

  Fields main = FirstStartMainFields();
  main[20] = Str(text);  // record 6's text
  const Bytes head = {0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01};
  ASSERT_EQ(main[20].size(), 606u);
  EXPECT_TRUE(std::equal(head.begin(), head.end(), main[20].begin()));
  EXPECT_EQ(files.at(kMain), Join(main));

  Fields named = DefaultNamedFields();
  named[27] = Str(text);
  EXPECT_EQ(files.at(kFolder + L"DEFAULT"), Join(named));
}

TEST_F(ConfigurationFiles, NamedConfigurationOverridesShortcutsOneToFive) {
  install(DistinctMainFields(), DistinctNamedFields('Q', L"q"));
  LoadMainConfiguration(files);
  for (int id = 6; id <= 10; ++id) {
    SCOPED_TRACE(id);
    EXPECT_EQ(HotkeyTable[id - 1].virtualKey, 'Q' + id - 6);
    EXPECT_EQ(HotkeyTable[id - 1].keyName, W(char('Q' + id - 6)));
    EXPECT_EQ(HotkeyTable[id - 1].text, L"q" + std::to_wstring(id));
  }
  // PX, RX, BOOKMARK and the speed keys come from the main file only.
  EXPECT_EQ(HotkeyTable[HotkeyPx - 1].keyName, L"K");
  EXPECT_EQ(HotkeyTable[HotkeyRx - 1].keyName, L"L");
  EXPECT_EQ(HotkeyTable[HotkeyBookmark - 1].keyName, L"M");
  EXPECT_EQ(HotkeyTable[HotkeySpeedToggle - 1].keyName, L"N");

  // And the main file then carries the named configuration's shortcuts.
  SaveMainConfiguration(files);
  Fields expected = DistinctMainFields();
  for (int r = 0; r < 5; ++r) {
    expected[18 + 3 * r] = U8('Q' + r);
    expected[19 + 3 * r] = Str(W('Q' + r));
    expected[20 + 3 * r] = Str(L"q" + std::to_wstring(6 + r));
  }
  EXPECT_EQ(files.at(kMain), Join(expected));
}

// A short main file: the fields read stay, the rest keep their first-start
// values, and a whole file replaces it at once. "DEFAULT" becomes current with
// its saved values; no other named configuration is written over.
TEST_F(ConfigurationFiles, ShortOrDamagedMainFileIsRewrittenWhole) {
  const Fields distinct = DistinctMainFields();
  const Fields clientA = DistinctNamedFields();
  const Fields savedDefault = DistinctNamedFields('Q', L"q");
  const Bytes whole = Join(distinct);
  auto upTo = [&](size_t fields) { return Join(distinct, 1, fields); };
  auto with = [](Bytes b, const Bytes& tail) {
    b.insert(b.end(), tail.begin(), tail.end());
    return b;
  };
  struct Case {
    const char* what;
    Bytes file;
    size_t fieldsRead;  // whole fields taken from the file
    bool defaultSaved;  // Configuration\DEFAULT exists
    bool clientMissing = false;  // the configuration the file names does not exist
  };
  const Case cases[] = {
      {"empty", {}, 0, false},
      {"empty, DEFAULT saved", {}, 0, true},
      {"cut inside a string", with(upTo(8), {0xFF, 0xFE, 0xFF, 0x05, 'A', 0}), 8, false},
      {"32-bit length of 4G characters", with(upTo(8), {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), 8, true},
      {"16-bit length past the end", with(upTo(66), {0xFF, 0xFE, 0xFF, 0xFF, 0x00, 0x40, 'C', 0}), 66, false},
      {"cut after the name", upTo(69), 69, false},
      {"cut after the named configuration", upTo(80), 80, false},
      {"cut after the named configuration, DEFAULT saved", upTo(80), 80, true},
      {"length past the end in the last part", with(upTo(91), {0xFF, 0xFE, 0xFF, 0xF0, 'N', 0}), 91, true},
      {"cut after a missing named configuration, DEFAULT saved", upTo(80), 80, true, true},
      {"last field short", Bytes(whole.begin(), whole.end() - 1), 104, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetConfigurationToFirstStart();
    files = FakeDataFiles();
    install(distinct, clientA);
    if (c.defaultSaved) files.files[kFolder + L"DEFAULT"] = Join(savedDefault);
    if (c.clientMissing) files.remove(kFolder + L"Client A");
    files.files[kMain] = c.file;

    LoadMainConfiguration(files);

    EXPECT_EQ(currentConfigurationName, L"DEFAULT");
    if (c.clientMissing) EXPECT_FALSE(files.has(kFolder + L"Client A"));
    else EXPECT_EQ(files.at(kFolder + L"Client A"), Join(clientA));  // never written over

    Fields main = FirstStartMainFields();
    for (size_t k = 1; k <= c.fieldsRead; ++k) main[k] = distinct[k];
    Fields named = DefaultNamedFields();
    if (c.defaultSaved) {
      // DEFAULT's shortcuts win, as on any load, and it is written back as it was.
      for (int r = 0; r < 5; ++r) {
        main[18 + 3 * r] = U8('Q' + r);
        main[19 + 3 * r] = Str(W('Q' + r));
        main[20 + 3 * r] = Str(L"q" + std::to_wstring(6 + r));
      }
      main[67] = Str(L"DEFAULT");
      named = savedDefault;
      named[20] = Str(L"[m%Ms]"), named[21] = Str(L"[m%Ms]");
      EXPECT_EQ(timestampStyle.framesPerSecond, 25);
    } else {
      // No DEFAULT yet: it is made from memory with the default style.
      main[67] = Str(c.fieldsRead >= 71 ? L"DEFAULT" : L"");
      if (c.fieldsRead >= 32)
        for (int k : {22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 33, 34, 35, 36, 37}) named[k] = clientA[k];
      if (c.fieldsRead >= 71)
        for (int k = 38; k <= 43; ++k) named[k] = clientA[k];
      EXPECT_EQ(timestampStyle, TimestampStyle{});
    }
    EXPECT_EQ(files.at(kMain), Join(main));
    EXPECT_EQ(files.at(kFolder + L"DEFAULT"), Join(named));
    EXPECT_EQ(files.files.count(kMain + L".new"), 0u);
  }
}

// A missing or short named configuration: the style and the interval settings
// are reset and "DEFAULT" becomes current; the rest keeps what it held,
// including what was read before the file ended.
TEST_F(ConfigurationFiles, MissingOrShortNamedConfigurationResetsTheStyle) {
  const Fields named = DistinctNamedFields('Q', L"q");
  struct Case {
    const char* what;
    std::optional<Bytes> file;
    std::wstring firstKeyName, lastText;  // records 6 and 10 afterwards
  };
  const Case cases[] = {
      {"missing", std::nullopt, L"F", L"t10"},
      {"empty", Bytes{}, L"F", L"t10"},
      {"cut in the texts", Join(named, 1, 30), L"Q", L"t10"},
      {"cut in the last field", Join(named, 1, 42), L"Q", L"q10"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetConfigurationToFirstStart();
    files = FakeDataFiles();
    install(DistinctMainFields(), named);
    if (c.file) files.files[kFolder + L"Client A"] = *c.file;
    else files.remove(kFolder + L"Client A");

    LoadMainConfiguration(files);

    EXPECT_EQ(files.replaces, 0);  // the main file was whole
    EXPECT_EQ(currentConfigurationName, L"DEFAULT");
    EXPECT_EQ(timestampStyle, TimestampStyle{});
    EXPECT_EQ(intervalTimestamps + paragraphTimestamps + intervalSeconds, 0);
    EXPECT_EQ(HotkeyTable[HotkeyShortcut1 - 1].keyName, c.firstKeyName);
    EXPECT_EQ(HotkeyTable[HotkeyShortcut5 - 1].text, c.lastText);
    const bool tailRead = c.lastText == L"q10";
    EXPECT_EQ(subtractSeconds, tailRead ? 7 : 5);
    EXPECT_EQ(paragraphEnterCount, tailRead ? 3 : 2);
    EXPECT_EQ(paragraphNewLine, 1);  // the one field not reached

    // The next save names "DEFAULT" in the main file.
    SaveMainConfiguration(files);
    ASSERT_TRUE(files.has(kFolder + L"DEFAULT"));
    const Bytes main = files.at(kMain);
    const Bytes name = Str(L"DEFAULT");
    EXPECT_NE(std::search(main.begin(), main.end(), name.begin(), name.end()), main.end());
  }
}

TEST_F(ConfigurationFiles, FailedSaveKeepsTheOldFiles) {
  install(DistinctMainFields(), DistinctNamedFields());
  LoadMainConfiguration(files);
  const Bytes oldMain = files.at(kMain), oldNamed = files.at(kFolder + L"Client A");

  playMode = 1;
  timestampStyle.framesPerSecond = 30;
  files.diskSpace = 40;  // part of the named configuration, nothing more
  SaveMainConfiguration(files);

  EXPECT_EQ(files.at(kMain), oldMain);
  EXPECT_EQ(files.at(kFolder + L"Client A"), oldNamed);
  EXPECT_EQ(playMode, 1);  // memory keeps the edits

  // Without the Configuration folder the named configuration is not written and
  // the folder is not made; the main file still is.
  files = FakeDataFiles();
  SaveMainConfiguration(files);
  EXPECT_TRUE(files.has(kMain));
  EXPECT_FALSE(files.has(kFolder + L"Client A"));
  EXPECT_TRUE(files.folders.empty());
}

TEST_F(ConfigurationFiles, OversizedFileReadsAsCutOff) {
  // A key name of three million characters, really there: only the first
  // bytes up to the limit are read, so it counts as a short file.
  const Fields distinct = DistinctMainFields();
  Bytes big = Join(distinct, 1, 8);
  const uint32_t n = 3'000'000;
  big.insert(big.end(), {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), 0});
  big.resize(big.size() + 2 * n, 'y');
  ASSERT_GT(big.size(), kMaxConfigurationFileBytes);
  files.files[kMain] = big;

  LoadMainConfiguration(files);

  Fields expected = FirstStartMainFields();
  for (int k = 1; k <= 8; ++k) expected[k] = distinct[k];
  EXPECT_EQ(files.at(kMain), Join(expected));
  EXPECT_EQ(HotkeyTable[0].keyName, L"F1");
}

}  // namespace
