#pragma once
#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "vcbridge/core/LogPorts.h"

namespace vcb::testing {

// An in-memory per-user settings store. Values are strings, 32-bit numbers or
// something else (binary, as a wrongly typed value would be).
class FakeSettingsStore : public log::ISettingsStore {
 public:
  void setString(const std::wstring& key, const std::wstring& name, const std::wstring& value);
  void setNumber(const std::wstring& key, const std::wstring& name, uint32_t value);
  void setBinary(const std::wstring& key, const std::wstring& name);
  void removeKey(const std::wstring& key);
  int reads();  // read calls so far

  log::ReadResult readString(const std::wstring& key, const std::wstring& name,
                             std::wstring* out) override;
  log::ReadResult readNumber(const std::wstring& key, const std::wstring& name,
                             uint32_t* out) override;

 private:
  struct Value {
    enum { String, Number, Binary } type;
    std::wstring text;
    uint32_t number = 0;
  };
  const Value* find(const std::wstring& key, const std::wstring& name);

  std::mutex lock_;
  std::map<std::wstring, std::map<std::wstring, Value>> keys_;
  int reads_ = 0;
};

// Folders and files in memory. Paths use backslashes; a folder can be made
// only inside an existing one, and a file only in an existing folder.
class FakeFileSystem : public log::IFileSystem {
 public:
  // Adds the folder and every folder above it.
  void addFolder(const std::wstring& path);
  void setDocuments(const std::wstring& path) { documents_ = path; }
  void refuseFolder(const std::wstring& path);  // createFolder of it fails
  void failOpens(bool fail) { failOpens_ = fail; }

  bool hasFolder(const std::wstring& path);
  bool hasFile(const std::wstring& path);
  std::string content(const std::wstring& path);
  std::vector<std::wstring> files();
  int opens();
  int openHandles();
  int badCloses();      // close of a handle that is not open
  size_t largestWrite();

  bool folderExists(const std::wstring& path) override;
  bool createFolder(const std::wstring& path) override;
  std::wstring documentsFolder() override;
  Handle openForAppend(const std::wstring& path) override;
  bool append(Handle file, const char* data, size_t size) override;
  void close(Handle file) override;

 private:
  static std::wstring parentOf(const std::wstring& path);
  static std::wstring normal(std::wstring path);

  std::mutex lock_;
  std::set<std::wstring> folders_, refused_;
  std::map<std::wstring, std::string> files_;
  std::map<Handle, std::wstring> handles_;
  std::wstring documents_;
  std::atomic<bool> failOpens_{false};
  int opens_ = 0, badCloses_ = 0;
  size_t largestWrite_ = 0;
  uintptr_t nextHandle_ = 0x100;
};

// Tick count and local time that move only when a test says so.
class FakeClock : public log::IClock {
 public:
  void advance(uint32_t ms) { ticks.fetch_add(ms); }
  void setLocalTime(const log::LocalTime& t);
  int localTimeReads() { return localTimeReads_.load(); }

  uint32_t tickCount() override { return ticks.load(); }
  log::LocalTime localTime() override;

  std::atomic<uint32_t> ticks{1000};

 private:
  std::mutex lock_;
  log::LocalTime now_{2026, 3, 2, 9, 5, 3, 7};
  std::atomic<int> localTimeReads_{0};
};

class FakeSystemInfo : public log::ISystemInfo {
 public:
  log::VersionData data;
  log::VersionData versionData() override { return data; }
};

// The four fakes together, with a Documents folder that exists.
struct FakeLogPorts {
  FakeLogPorts();
  log::Ports ports() { return {&settings, &files, &clock, &system}; }

  FakeSettingsStore settings;
  FakeFileSystem files;
  FakeClock clock;
  FakeSystemInfo system;
};

}  // namespace vcb::testing
