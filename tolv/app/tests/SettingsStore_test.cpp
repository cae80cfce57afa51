#include "tolv/app/SettingsStore.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>

#include "tolv/app/tests/fakes/FakeProfileStore.h"

namespace tolv {
namespace {

using testing::FakeProfileStore;

struct StoredValue {
  const wchar_t* section;
  const wchar_t* name;
  int def;
  std::function<int(const CSettingsStore&)> read;
};

// Every integer value of the store with its default on a fresh installation.
const StoredValue kValues[] = {
    {L"Settings", L"DontShowKLCodecMsg", 0, [](const CSettingsStore& s) { return s.DontShowKLCodecMsg(); }},
    {L"Settings", L"UpgradeShow", 0, [](const CSettingsStore& s) { return s.UpgradeShow(); }},
    {L"Playlist", L"SortingOrder", -1, [](const CSettingsStore& s) { return s.SortingOrder(); }},
    {L"Playlist", L"bSortAscending", 0, [](const CSettingsStore& s) { return s.SortAscending(); }},
    {L"Files", L"talk.mp3", 0, [](const CSettingsStore& s) { return s.MediumPosition(L"Talk.MP3"); }},
};

TEST(SettingsStoreTest, EveryValueHasItsDefaultInAFreshStoreAndReadsItsOwnPlace) {
  for (const auto& v : kValues) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(v.section) + L"/" + v.name));
    FakeProfileStore fresh;
    const CSettingsStore settings(fresh);
    EXPECT_EQ(v.read(settings), v.def);

    FakeProfileStore stored;
    stored.WriteProfileInt(v.section, v.name, 7);
    EXPECT_EQ(v.read(CSettingsStore(stored)), 7);
  }
  FakeProfileStore fresh;
  EXPECT_FALSE(CSettingsStore(fresh).MainFramePlacement());
}

TEST(SettingsStoreTest, WritersStoreUnderTheirSectionAndName) {
  FakeProfileStore p;
  CSettingsStore s(p);
  s.SetDontShowKLCodecMsg(true);
  s.SetUpgradeShow(true);
  s.SetSorting(2, 1);
  s.SaveMediumPosition(L"Talk.MP3", 95.8);
  EXPECT_EQ(p.GetProfileInt(L"Settings", L"DontShowKLCodecMsg", -9), 1);
  EXPECT_EQ(p.GetProfileInt(L"Settings", L"UpgradeShow", -9), 1);
  EXPECT_EQ(p.GetProfileInt(L"Playlist", L"SortingOrder", -9), 2);
  EXPECT_EQ(p.GetProfileInt(L"Playlist", L"bSortAscending", -9), 1);
  EXPECT_EQ(p.GetProfileInt(L"Files", L"talk.mp3", -9), 95);
  // Both check boxes write their state at each click: ticking and unticking leaves 0.
  s.SetDontShowKLCodecMsg(false);
  s.SetUpgradeShow(false);
  EXPECT_EQ(p.GetProfileInt(L"Settings", L"DontShowKLCodecMsg", -9), 0);
  EXPECT_EQ(p.GetProfileInt(L"Settings", L"UpgradeShow", -9), 0);
}

TEST(SettingsStoreTest, PositionIsSharedByNamesThatDifferInFolderOrCase) {
  FakeProfileStore p;
  CSettingsStore s(p);
  s.SaveMediumPosition(LastPathComponent(L"C:\\a\\Talk.MP3"), 95.8);
  EXPECT_EQ(s.MediumPosition(LastPathComponent(L"D:\\b\\talk.mp3")), 95);
  EXPECT_EQ(MediumKeyForPath(L"D:\\b\\TALK.mp3"), L"talk.mp3");
  // The store only ever sees the lower-cased key.
  ASSERT_EQ(p.values.size(), 1u);
  EXPECT_EQ(p.values.begin()->first.second, L"talk.mp3");
}

TEST(SettingsStoreTest, MediumKeys) {
  struct Case {
    const wchar_t* path;
    const wchar_t* key;
  } cases[] = {
      {L"C:\\a\\Talk.MP3", L"talk.mp3"},
      {L"Talk.MP3", L"talk.mp3"},                                            // no folder
      {L"HTTP://Example.com/Rec/Interview.WMA", L"http://example.com/rec/interview.wma"},  // remote: used whole
      {L"C:\\a\\", L""},                                                     // trailing backslash: empty name
      {L"\\\\srv\\Share\\ÄÖÜ Straße.wav", L"äöü straße.wav"},               // ß has no single capital
      {L"C:\\ÀÉÎÕØÞ×.mp3", L"àéîõøþ×.mp3"},                                 // × is not a letter
      {L"C:\\ŁÓDŹ ŽŠČĆĐ Ÿ.mp3", L"łódź žščćđ ÿ.mp3"},                       // Latin Extended-A
      {L"C:\\İı.mp3", L"İı.mp3"},                                           // Turkish i's left alone
      {L"C:\\ΑΘΗΝΑ Ώρα.mp3", L"αθηνα ώρα.mp3"},                             // Greek
      {L"C:\\ЗАПИСЬ ЁЖ.mp3", L"запись ёж.mp3"},                             // Cyrillic
      {L"C:\\録音 1.mp3", L"録音 1.mp3"},                                    // no case
      {L"C:\\\U0001D400.mp3", L"\U0001D400.mp3"},                            // surrogate pair untouched
  };
  for (const auto& c : cases) EXPECT_EQ(MediumKeyForPath(c.path), c.key) << ::testing::PrintToString(std::wstring(c.path));
}

TEST(SettingsStoreTest, PositionsAreWholeSecondsAndNeverNegative) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double seconds;
    int stored;
  } cases[] = {{95.8, 95}, {0.99, 0}, {0, 0}, {-3.5, 0}, {nan, 0}, {inf, INT_MAX}, {-inf, 0}, {1e12, INT_MAX},
               {2147483646.9, 2147483646}};
  for (const auto& c : cases) {
    FakeProfileStore p;
    CSettingsStore(p).SaveMediumPosition(L"a.wav", c.seconds);
    EXPECT_EQ(p.GetProfileInt(L"Files", L"a.wav", -9), c.stored) << c.seconds;
  }
}

TEST(SettingsStoreTest, DamagedValuesGiveTheDefaultOrAClearValue) {
  FakeProfileStore p;
  CSettingsStore s(p);
  p.WriteProfileString(L"Settings", L"DontShowKLCodecMsg", L"1");  // wrong type
  p.WriteProfileBinary(L"Playlist", L"SortingOrder", {1, 0, 0, 0});  // wrong type
  p.WriteProfileInt(L"Files", L"neg.wav", -40);
  p.WriteProfileInt(L"Files", L"huge.wav", INT_MAX);
  p.WriteProfileString(L"Files", L"text.wav", L"95");
  EXPECT_EQ(s.DontShowKLCodecMsg(), 0);
  EXPECT_EQ(s.SortingOrder(), -1);
  EXPECT_EQ(s.MediumPosition(L"neg.wav"), 0);
  EXPECT_EQ(s.MediumPosition(L"huge.wav"), INT_MAX);  // the player clamps a seek past the end
  EXPECT_EQ(s.MediumPosition(L"text.wav"), 0);
}

TEST(SettingsStoreTest, AFailedWriteIsLostSilently) {
  FakeProfileStore p;
  p.readOnly = true;
  CSettingsStore s(p);
  s.SaveMediumPosition(L"a.wav", 12);
  s.SetSorting(3, 1);
  EXPECT_EQ(s.MediumPosition(L"a.wav"), 0);
  EXPECT_EQ(s.SortingOrder(), -1);
}

WindowPlacementRecord samplePlacement() {
  WindowPlacementRecord r;
  r.flags = 2;
  r.showCmd = 1;
  r.minX = -1;
  r.minY = -1;
  r.maxX = -32000;
  r.maxY = -32000;
  r.left = 100;
  r.top = 120;
  r.right = 640;
  r.bottom = 470;
  return r;
}

TEST(WindowPlacementTest, RoundTripAndLayout) {
  FakeProfileStore p;
  CSettingsStore s(p);
  s.SetMainFramePlacement(samplePlacement());
  EXPECT_EQ(s.MainFramePlacement(), samplePlacement());

  const auto bytes = p.GetProfileBinary(L"MainFrame", L"WP");
  ASSERT_TRUE(bytes);
  // length 44, flags 2, show 1, then min (-1,-1): eleven little-endian int32s.
  const ProfileBytes head = {44, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
  ASSERT_EQ(bytes->size(), 44u);
  EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes->begin()));
  EXPECT_EQ((*bytes)[40], 470 & 0xFF);
  EXPECT_EQ((*bytes)[41], 470 >> 8);
}

TEST(WindowPlacementTest, BlocksOfTheWrongShapeAreNoPlacement) {
  ProfileBytes good = samplePlacement().toBytes();
  ProfileBytes shortBlock(good.begin(), good.end() - 1);
  ProfileBytes longBlock = good;
  longBlock.push_back(0);
  ProfileBytes wrongLength = good;
  wrongLength[0] = 40;
  for (const auto& bytes : {shortBlock, longBlock, wrongLength, ProfileBytes{}, ProfileBytes(100000, 44)}) {
    FakeProfileStore p;
    p.WriteProfileBinary(L"MainFrame", L"WP", bytes);
    EXPECT_FALSE(CSettingsStore(p).MainFramePlacement()) << bytes.size();
  }
  FakeProfileStore p;
  p.WriteProfileInt(L"MainFrame", L"WP", 44);
  EXPECT_FALSE(CSettingsStore(p).MainFramePlacement());
}

}  // namespace
}  // namespace tolv
