#pragma once
// Port to the per-user key-value store of the player (sections of 32-bit
// integers). Only what the update check needs; never throws.
#include <string>

// <windows.h> maps these names onto the old ini-file functions; the player
// never uses those, and the methods below must keep one name everywhere.
#ifdef GetProfileInt
#undef GetProfileInt
#endif
#ifdef WriteProfileInt
#undef WriteProfileInt
#endif

namespace tolv {

class IProfileStore {
 public:
  virtual ~IProfileStore() = default;
  // The stored value, or def when the section or value is missing or unreadable.
  virtual int GetProfileInt(const std::wstring& section, const std::wstring& name, int def) = 0;
  // Creates the section when needed; a failed write is lost silently.
  virtual void WriteProfileInt(const std::wstring& section, const std::wstring& name, int value) = 0;
};

}  // namespace tolv
