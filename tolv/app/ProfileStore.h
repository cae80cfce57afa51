#pragma once
// Port to the per-user key-value store of the player: named sections of
// integers, byte blocks and strings. All calls are synchronous, run on the
// user-interface thread and never throw.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// <windows.h> maps these names onto the old ini-file functions; the player
// never uses those, and the methods below must keep one name everywhere.
#ifdef GetProfileInt
#undef GetProfileInt
#endif
#ifdef WriteProfileInt
#undef WriteProfileInt
#endif
#ifdef GetProfileString
#undef GetProfileString
#endif
#ifdef WriteProfileString
#undef WriteProfileString
#endif

namespace tolv {

using ProfileBytes = std::vector<std::uint8_t>;

// Reads beyond these sizes are treated as missing values: nothing the player
// stores comes near them, so a larger value is damage, not data.
inline constexpr std::size_t kMaxProfileBinaryBytes = 64 * 1024;
inline constexpr std::size_t kMaxProfileStringChars = 32 * 1024;

class IProfileStore {
 public:
  virtual ~IProfileStore() = default;
  // The stored value, or def when the section or value is missing, has another
  // type or is unreadable.
  virtual int GetProfileInt(const std::wstring& section, const std::wstring& name, int def) = 0;
  // Creates the section when needed; a failed write is lost silently.
  virtual void WriteProfileInt(const std::wstring& section, const std::wstring& name, int value) = 0;
  // Nothing when missing, of another type, unreadable or over kMaxProfileBinaryBytes.
  virtual std::optional<ProfileBytes> GetProfileBinary(const std::wstring& section, const std::wstring& name) = 0;
  virtual void WriteProfileBinary(const std::wstring& section, const std::wstring& name, const ProfileBytes& bytes) = 0;
  // def when missing, of another type, unreadable or over kMaxProfileStringChars.
  virtual std::wstring GetProfileString(const std::wstring& section, const std::wstring& name,
                                        const std::wstring& def) = 0;
  virtual void WriteProfileString(const std::wstring& section, const std::wstring& name, const std::wstring& value) = 0;
};

}  // namespace tolv
