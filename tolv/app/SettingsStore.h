#pragma once
// The player's per-user values: two start-up notices, the playlist's sort
// order, the last position of every medium and the main window's placement.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "tolv/app/ProfileStore.h"

namespace tolv {

inline constexpr wchar_t kSectionSettings[] = L"Settings";
inline constexpr wchar_t kSectionPlaylist[] = L"Playlist";
inline constexpr wchar_t kSectionFiles[] = L"Files";
inline constexpr wchar_t kSectionMainFrame[] = L"MainFrame";

inline constexpr wchar_t kValueDontShowKLCodecMsg[] = L"DontShowKLCodecMsg";
inline constexpr wchar_t kValueUpgradeShow[] = L"UpgradeShow";
inline constexpr wchar_t kValueSortingOrder[] = L"SortingOrder";
inline constexpr wchar_t kValueSortAscending[] = L"bSortAscending";
inline constexpr wchar_t kValueWindowPlacement[] = L"WP";

inline constexpr int kDefaultDontShowKLCodecMsg = 0;
inline constexpr int kDefaultUpgradeShow = 0;
inline constexpr int kDefaultSortingOrder = -1;
inline constexpr int kDefaultSortAscending = 0;
inline constexpr int kDefaultMediumPosition = 0;

// The main window's placement record as stored: eleven 32-bit little-endian
// integers, the first of them the record's length.
struct WindowPlacementRecord {
  static constexpr std::int32_t kLength = 44;
  std::int32_t length = kLength;
  std::int32_t flags = 0;
  std::int32_t showCmd = 0;
  std::int32_t minX = 0, minY = 0;
  std::int32_t maxX = 0, maxY = 0;
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;

  ProfileBytes toBytes() const;
  // Nothing unless the block is exactly 44 bytes and starts with 44.
  static std::optional<WindowPlacementRecord> fromBytes(const ProfileBytes& bytes);
  bool operator==(const WindowPlacementRecord&) const = default;
};

// Lower-cases a medium name the way the player's keys are built: ASCII,
// Latin-1, Latin Extended-A, Greek and Cyrillic capitals get their small
// letters; everything else (digits, symbols, other scripts, surrogates) stays.
std::wstring LowerMediumName(const std::wstring& name);
// The text after the last backslash, or the whole text when it has none.
std::wstring LastPathComponent(const std::wstring& path);
// Key under "Files" of a medium: its name lower-cased.
std::wstring MediumKey(const std::wstring& mediumName);
// Key under "Files" of a path that was not opened: last component, lower-cased.
std::wstring MediumKeyForPath(const std::wstring& path);
// Whole seconds to store for a player position: truncated toward zero;
// negative or not-a-number positions give 0, huge ones the largest int.
int PositionSeconds(double seconds);

class CSettingsStore {
 public:
  explicit CSettingsStore(IProfileStore& profile) : profile_(profile) {}

  // Any value but 0 suppresses the codec notice.
  int DontShowKLCodecMsg() const;
  void SetDontShowKLCodecMsg(bool dontShow);
  // Only 1 suppresses the update offer.
  int UpgradeShow() const;
  void SetUpgradeShow(bool dontShow);

  // Raw values; the playlist maps -1 and out-of-range columns itself.
  int SortingOrder() const;
  int SortAscending() const;
  void SetSorting(int column, int ascending);

  // Last position of a medium in whole seconds; never negative.
  int MediumPosition(const std::wstring& mediumName) const;
  void SaveMediumPosition(const std::wstring& mediumName, double seconds);

  std::optional<WindowPlacementRecord> MainFramePlacement() const;
  void SetMainFramePlacement(const WindowPlacementRecord& placement);

  IProfileStore& profile() const { return profile_; }

 private:
  IProfileStore& profile_;
};

}  // namespace tolv
