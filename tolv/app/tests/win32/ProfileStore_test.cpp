#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "testsupport/win32/WinTest.h"
#include "tolv/app/SettingsStore.h"
#include "tolv/app/win32/Win32ProfileStore.h"

namespace tolv {
namespace {

// Each test works below its own key under HKCU\Software\Quenmark and removes it.
class RegistryStoreTest : public ::testing::Test {
 protected:
  ~RegistryStoreTest() override { RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str()); }

  // Puts a value of any type straight into the registry, as damage would.
  void plant(const wchar_t* section, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    const std::wstring path = root + L"\\" + section;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  void plantString(const wchar_t* section, const wchar_t* name, const std::wstring& text, bool terminated = true) {
    plant(section, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + (terminated ? 1 : 0)) * 2));
  }

  std::wstring root = L"Software\\Quenmark\\" + kit::uniqueName(L"TolvTest");
  CRegistryProfileStore store{root};
};

TEST_F(RegistryStoreTest, AFreshStoreGivesEveryDefault) {
  CSettingsStore settings(store);
  EXPECT_EQ(settings.DontShowKLCodecMsg(), 0);
  EXPECT_EQ(settings.UpgradeShow(), 0);
  EXPECT_EQ(settings.SortingOrder(), -1);
  EXPECT_EQ(settings.SortAscending(), 0);
  EXPECT_EQ(settings.MediumPosition(L"Talk.MP3"), 0);
  EXPECT_FALSE(settings.MainFramePlacement());
  EXPECT_EQ(store.GetProfileString(L"Settings", L"Missing", L"dflt"), L"dflt");
}

TEST_F(RegistryStoreTest, ValuesRoundTripWithTheirRegistryTypes) {
  CSettingsStore settings(store);
  settings.SetSorting(-1, 1);
  settings.SaveMediumPosition(L"Talk.MP3", 95.8);
  WindowPlacementRecord placement;
  placement.showCmd = 1;
  placement.left = -5;
  placement.right = 700;
  settings.SetMainFramePlacement(placement);
  store.WriteProfileString(L"Settings", L"Text", L"Straße ёж 録音");
  store.WriteProfileString(L"Settings", L"Empty", L"");
  store.WriteProfileBinary(L"Settings", L"EmptyBlock", {});

  EXPECT_EQ(settings.SortingOrder(), -1);
  EXPECT_EQ(settings.SortAscending(), 1);
  EXPECT_EQ(CSettingsStore(store).MediumPosition(L"TALK.mp3"), 95);
  EXPECT_EQ(settings.MainFramePlacement(), placement);
  EXPECT_EQ(store.GetProfileString(L"Settings", L"Text", L""), L"Straße ёж 録音");
  EXPECT_EQ(store.GetProfileString(L"Settings", L"Empty", L"dflt"), L"");
  EXPECT_EQ(store.GetProfileBinary(L"Settings", L"EmptyBlock"), ProfileBytes{});

  const std::wstring files = root + L"\\Files";
  DWORD type = 0, value = 0, size = sizeof value;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, files.c_str(), L"talk.mp3", RRF_RT_ANY, &type, &value, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(value, 95u);
  const std::wstring frame = root + L"\\MainFrame";
  BYTE block[64];
  size = sizeof block;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, frame.c_str(), L"WP", RRF_RT_ANY, &type, block, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(size, 44u);
}

TEST_F(RegistryStoreTest, ValuesOfTheWrongTypeOrShapeAreMissing) {
  const DWORD one = 1;
  const BYTE three[3] = {1, 0, 0};
  const unsigned long long wide = 5;
  plantString(L"Settings", L"DontShowKLCodecMsg", L"1");
  plant(L"Settings", L"UpgradeShow", REG_BINARY, &one, sizeof one);
  plant(L"Playlist", L"SortingOrder", REG_DWORD, three, sizeof three);  // a DWORD too short
  plant(L"Playlist", L"bSortAscending", REG_QWORD, &wide, sizeof wide);
  plant(L"MainFrame", L"WP", REG_DWORD, &one, sizeof one);
  plant(L"Settings", L"Text", REG_DWORD, &one, sizeof one);
  plant(L"Settings", L"Block", REG_SZ, L"ab", 6);

  CSettingsStore settings(store);
  EXPECT_EQ(settings.DontShowKLCodecMsg(), 0);
  EXPECT_EQ(settings.UpgradeShow(), 0);
  EXPECT_EQ(settings.SortingOrder(), -1);
  EXPECT_EQ(settings.SortAscending(), 0);
  EXPECT_FALSE(settings.MainFramePlacement());
  EXPECT_EQ(store.GetProfileString(L"Settings", L"Text", L"dflt"), L"dflt");
  EXPECT_FALSE(store.GetProfileBinary(L"Settings", L"Block"));
}

TEST_F(RegistryStoreTest, NumbersKeepTheirSignAndPositionsNeverGoNegative) {
  store.WriteProfileInt(L"Playlist", L"SortingOrder", INT_MIN);
  store.WriteProfileInt(L"Files", L"neg.wav", -40);
  store.WriteProfileInt(L"Files", L"huge.wav", INT_MAX);
  CSettingsStore settings(store);
  EXPECT_EQ(settings.SortingOrder(), INT_MIN);
  EXPECT_EQ(settings.MediumPosition(L"neg.wav"), 0);
  EXPECT_EQ(settings.MediumPosition(L"huge.wav"), INT_MAX);
}

TEST_F(RegistryStoreTest, LongAndUnterminatedStringsAreReadWithinBounds) {
  const std::wstring atLimit(kMaxProfileStringChars, L'x');
  plantString(L"Settings", L"AtLimit", atLimit);
  plantString(L"Settings", L"TooLong", std::wstring(kMaxProfileStringChars + 1, L'y'));
  plantString(L"Settings", L"Huge", std::wstring(300000, L'z'));
  plantString(L"Settings", L"Unterminated", L"abc", false);
  plant(L"Settings", L"OddBytes", REG_SZ, L"abc", 5);
  plant(L"Settings", L"InnerNul", REG_SZ, L"ab\0cd", 12);

  EXPECT_EQ(store.GetProfileString(L"Settings", L"AtLimit", L"dflt"), atLimit);
  EXPECT_EQ(store.GetProfileString(L"Settings", L"TooLong", L"dflt"), L"dflt");
  EXPECT_EQ(store.GetProfileString(L"Settings", L"Huge", L"dflt"), L"dflt");
  EXPECT_EQ(store.GetProfileString(L"Settings", L"Unterminated", L"dflt"), L"abc");
  EXPECT_EQ(store.GetProfileString(L"Settings", L"OddBytes", L"dflt"), L"ab");
  EXPECT_EQ(store.GetProfileString(L"Settings", L"InnerNul", L"dflt"), L"ab");

  // What could not be read back is not written either.
  store.WriteProfileString(L"Settings", L"Written", std::wstring(kMaxProfileStringChars + 1, L'w'));
  EXPECT_EQ(store.GetProfileString(L"Settings", L"Written", L"dflt"), L"dflt");
}

TEST_F(RegistryStoreTest, OversizedBlocksAreMissing) {
  const ProfileBytes big(kMaxProfileBinaryBytes + 1, 44);
  plant(L"MainFrame", L"WP", REG_BINARY, big.data(), static_cast<DWORD>(big.size()));
  EXPECT_FALSE(store.GetProfileBinary(L"MainFrame", L"WP"));
  EXPECT_FALSE(CSettingsStore(store).MainFramePlacement());
  const ProfileBytes atLimit(kMaxProfileBinaryBytes, 7);
  store.WriteProfileBinary(L"Settings", L"Block", atLimit);
  EXPECT_EQ(store.GetProfileBinary(L"Settings", L"Block"), atLimit);
}

TEST_F(RegistryStoreTest, AMediumNameTooLongForAValueNameIsLostSilently) {
  // Registry value names end at 16383 characters; the write fails and the read gives the default.
  const std::wstring name(20000, L'a');
  CSettingsStore settings(store);
  settings.SaveMediumPosition(name + L".wav", 12);
  EXPECT_EQ(settings.MediumPosition(name + L".wav"), 0);
}

TEST(RegistryProductKeyTest, SectionsLiveUnderHkcuSoftwareQuenmarkTolv) {
  HKEY existing = nullptr;
  const bool hadKey = RegOpenKeyExW(HKEY_CURRENT_USER, kProfileKey, 0, KEY_READ, &existing) == ERROR_SUCCESS;
  if (existing) RegCloseKey(existing);

  const std::wstring name = kit::uniqueName(L"talk") + L".mp3";
  CRegistryProfileStore store;
  CSettingsStore(store).SaveMediumPosition(name, 95.8);
  DWORD value = 0, size = sizeof value;
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Quenmark\\Tolv\\Files", MediumKey(name).c_str(),
                         RRF_RT_REG_DWORD, nullptr, &value, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(value, 95u);

  if (hadKey)
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Quenmark\\Tolv\\Files", MediumKey(name).c_str());
  else
    RegDeleteTreeW(HKEY_CURRENT_USER, kProfileKey);
}

// Medium keys are lower-cased without the platform; they must agree with it.
TEST(MediumKeyTest, LowerCasingAgreesWithCharLower) {
  const std::pair<unsigned, unsigned> ranges[] = {{0x20, 0x24F}, {0x370, 0x3FF}, {0x400, 0x52F}};
  for (const auto& [first, last] : ranges)
    for (unsigned u = first; u <= last; ++u) {
      if (u == 0x130) continue;  // capital I with dot: left alone on purpose
      wchar_t platform[2] = {static_cast<wchar_t>(u), 0};
      CharLowerBuffW(platform, 1);
      const std::wstring ours = LowerMediumName(std::wstring(1, static_cast<wchar_t>(u)));
      const bool covered = ours[0] != static_cast<wchar_t>(u);
      // Where we lower-case, the platform must agree; where the platform lower-cases
      // a letter outside our tables (Latin Extended-B, archaic Greek), we report it.
      if (covered || u < 0x180 || (u >= 0x386 && u <= 0x3AB) || (u >= 0x400 && u <= 0x42F)) {
        EXPECT_EQ(static_cast<unsigned>(ours[0]), static_cast<unsigned>(platform[0])) << std::hex << u;
      }
    }
}

}  // namespace
}  // namespace tolv
