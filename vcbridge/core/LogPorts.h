#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "vcbridge/core/Kernel.h"

// What the log facility needs from the operating system. The Win32 versions
// live in vcbridge/core/win32/Win32LogPorts.h; tests bring their own. No
// operation throws.
namespace vcb::log {

enum class ReadResult { Ok, Missing, WrongType };

// The current user's settings store (the HKCU registry hive on Windows).
// Keys are paths below the hive, separated by backslashes.
class ISettingsStore {
 public:
  virtual ~ISettingsStore() = default;
  // A string value; Missing if the key or value does not exist.
  virtual ReadResult readString(const std::wstring& key, const std::wstring& name,
                                std::wstring* out) = 0;
  // A 32-bit number value; Missing if the key or value does not exist.
  virtual ReadResult readNumber(const std::wstring& key, const std::wstring& name,
                                uint32_t* out) = 0;
};

// Folders and append-only files. Paths use backslashes.
class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  virtual bool folderExists(const std::wstring& path) = 0;
  // Creates the last level only; fails if the parent is missing.
  virtual bool createFolder(const std::wstring& path) = 0;
  // The user's Documents folder; empty if it cannot be found.
  virtual std::wstring documentsFolder() = 0;
  // Opens or creates for writing, shared for reading and writing; nullptr on failure.
  virtual Handle openForAppend(const std::wstring& path) = 0;
  // Appends the bytes at the current end of the file in one write.
  virtual bool append(Handle file, const char* data, size_t size) = 0;
  virtual void close(Handle file) = 0;
};

struct LocalTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

class IClock {
 public:
  virtual ~IClock() = default;
  virtual uint32_t tickCount() = 0;  // milliseconds since start, wraps after ~49.7 days
  virtual LocalTime localTime() = 0;
};

// Processor architectures as the system reports them.
inline constexpr uint16_t kArchitectureIntel = 0;
inline constexpr uint16_t kArchitectureIa64 = 6;
inline constexpr uint16_t kArchitectureAmd64 = 9;

// Suite flags and product types of the extended version data.
inline constexpr uint16_t kSuiteEnterprise = 0x0002;
inline constexpr uint16_t kSuiteDatacenter = 0x0080;
inline constexpr uint16_t kSuitePersonal = 0x0200;
inline constexpr uint16_t kSuiteBlade = 0x0400;
inline constexpr uint8_t kProductWorkstation = 1;

// Everything the header's system description is made of.
struct VersionData {
  uint32_t platformId = 0;
  uint32_t major = 0, minor = 0, build = 0;
  std::string servicePack;  // UTF-8, e.g. "Service Pack 1"; may be empty
  uint16_t suiteMask = 0;
  uint8_t productType = 0;
  uint16_t architecture = 0xFFFF;
  bool hasProductInfo = false;  // the product-info query exists and succeeded
  uint32_t productInfo = 0;
};

class ISystemInfo {
 public:
  virtual ~ISystemInfo() = default;
  virtual VersionData versionData() = 0;
};

// The ports one log facility works with; the owner keeps them alive until Shutdown.
struct Ports {
  ISettingsStore* settings = nullptr;
  IFileSystem* files = nullptr;
  IClock* clock = nullptr;
  ISystemInfo* system = nullptr;

  bool complete() const { return settings && files && clock && system; }
};

}  // namespace vcb::log
