#include "tolv/app/SettingsStore.h"

#include <climits>
#include <cmath>

namespace tolv {
namespace {

// In ranges where capitals and small letters alternate, the capital sits on
// the even (or odd) code point and its small letter right after it.
bool inPairRange(wchar_t c, unsigned first, unsigned last) {
  const auto u = static_cast<unsigned>(c);
  return u >= first && u <= last && ((u - first) % 2 == 0);
}

wchar_t lowerChar(wchar_t c) {
  const auto u = static_cast<unsigned>(c);
  if (u >= L'A' && u <= L'Z') return static_cast<wchar_t>(u + 0x20);
  if (u < 0xC0) return c;
  if (u <= 0xDE) return u == 0xD7 ? c : static_cast<wchar_t>(u + 0x20);  // 0xD7 is the multiplication sign
  // Latin Extended-A. U+0130 (capital I with dot) is left alone: its small
  // form is locale-dependent and keys must not depend on the user's locale.
  if (u == 0x178) return static_cast<wchar_t>(0xFF);
  if ((inPairRange(c, 0x100, 0x12F) || inPairRange(c, 0x132, 0x137) || inPairRange(c, 0x139, 0x148) ||
       inPairRange(c, 0x14A, 0x177) || inPairRange(c, 0x179, 0x17E)))
    return static_cast<wchar_t>(u + 1);
  // Greek.
  if (u == 0x386) return static_cast<wchar_t>(0x3AC);
  if (u >= 0x388 && u <= 0x38A) return static_cast<wchar_t>(u + 0x25);
  if (u == 0x38C) return static_cast<wchar_t>(0x3CC);
  if (u == 0x38E || u == 0x38F) return static_cast<wchar_t>(u + 0x3F);
  if (u >= 0x391 && u <= 0x3AB && u != 0x3A2) return static_cast<wchar_t>(u + 0x20);
  // Cyrillic.
  if (u >= 0x400 && u <= 0x40F) return static_cast<wchar_t>(u + 0x50);
  if (u >= 0x410 && u <= 0x42F) return static_cast<wchar_t>(u + 0x20);
  if (u == 0x4C0) return static_cast<wchar_t>(0x4CF);
  if (inPairRange(c, 0x460, 0x481) || inPairRange(c, 0x48A, 0x4BF) || inPairRange(c, 0x4C1, 0x4CE) ||
      inPairRange(c, 0x4D0, 0x52F))
    return static_cast<wchar_t>(u + 1);
  return c;
}

void putInt32(ProfileBytes& out, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(u >> shift));
}

std::int32_t getInt32(const ProfileBytes& in, std::size_t at) {
  std::uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(in[at + i]) << (8 * i);
  return static_cast<std::int32_t>(u);
}

}  // namespace

ProfileBytes WindowPlacementRecord::toBytes() const {
  ProfileBytes out;
  out.reserve(kLength);
  for (std::int32_t v : {length, flags, showCmd, minX, minY, maxX, maxY, left, top, right, bottom}) putInt32(out, v);
  return out;
}

std::optional<WindowPlacementRecord> WindowPlacementRecord::fromBytes(const ProfileBytes& bytes) {
  if (bytes.size() != static_cast<std::size_t>(kLength) || getInt32(bytes, 0) != kLength) return std::nullopt;
  WindowPlacementRecord r;
  std::int32_t* fields[] = {&r.length, &r.flags, &r.showCmd, &r.minX, &r.minY, &r.maxX,
                            &r.maxY,   &r.left,  &r.top,     &r.right, &r.bottom};
  std::size_t at = 0;
  for (std::int32_t* f : fields) {
    *f = getInt32(bytes, at);
    at += 4;
  }
  return r;
}

std::wstring LowerMediumName(const std::wstring& name) {
  std::wstring out(name);
  for (wchar_t& c : out) c = lowerChar(c);
  return out;
}

std::wstring LastPathComponent(const std::wstring& path) {
  const auto slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring MediumKey(const std::wstring& mediumName) { return LowerMediumName(mediumName); }

std::wstring MediumKeyForPath(const std::wstring& path) { return MediumKey(LastPathComponent(path)); }

int PositionSeconds(double seconds) {
  if (!(seconds > 0)) return 0;  // also not-a-number
  if (seconds >= static_cast<double>(INT_MAX)) return INT_MAX;
  return static_cast<int>(seconds);
}

int CSettingsStore::DontShowKLCodecMsg() const {
  return profile_.GetProfileInt(kSectionSettings, kValueDontShowKLCodecMsg, kDefaultDontShowKLCodecMsg);
}

void CSettingsStore::SetDontShowKLCodecMsg(bool dontShow) {
  profile_.WriteProfileInt(kSectionSettings, kValueDontShowKLCodecMsg, dontShow ? 1 : 0);
}

int CSettingsStore::UpgradeShow() const {
  return profile_.GetProfileInt(kSectionSettings, kValueUpgradeShow, kDefaultUpgradeShow);
}

void CSettingsStore::SetUpgradeShow(bool dontShow) {
  profile_.WriteProfileInt(kSectionSettings, kValueUpgradeShow, dontShow ? 1 : 0);
}

int CSettingsStore::SortingOrder() const {
  return profile_.GetProfileInt(kSectionPlaylist, kValueSortingOrder, kDefaultSortingOrder);
}

int CSettingsStore::SortAscending() const {
  return profile_.GetProfileInt(kSectionPlaylist, kValueSortAscending, kDefaultSortAscending);
}

void CSettingsStore::SetSorting(int column, int ascending) {
  profile_.WriteProfileInt(kSectionPlaylist, kValueSortingOrder, column);
  profile_.WriteProfileInt(kSectionPlaylist, kValueSortAscending, ascending);
}

int CSettingsStore::MediumPosition(const std::wstring& mediumName) const {
  const int p = profile_.GetProfileInt(kSectionFiles, MediumKey(mediumName), kDefaultMediumPosition);
  return p < 0 ? 0 : p;  // a damaged value must not seek before the start
}

void CSettingsStore::SaveMediumPosition(const std::wstring& mediumName, double seconds) {
  profile_.WriteProfileInt(kSectionFiles, MediumKey(mediumName), PositionSeconds(seconds));
}

std::optional<WindowPlacementRecord> CSettingsStore::MainFramePlacement() const {
  const auto bytes = profile_.GetProfileBinary(kSectionMainFrame, kValueWindowPlacement);
  if (!bytes) return std::nullopt;
  return WindowPlacementRecord::fromBytes(*bytes);
}

void CSettingsStore::SetMainFramePlacement(const WindowPlacementRecord& placement) {
  profile_.WriteProfileBinary(kSectionMainFrame, kValueWindowPlacement, placement.toBytes());
}

}  // namespace tolv
