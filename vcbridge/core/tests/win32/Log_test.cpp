#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "testsupport/win32/WinTest.h"
#include "vcbridge/core/Log.h"
#include "vcbridge/core/LogText.h"
#include "vcbridge/core/Logger.h"
#include "vcbridge/core/win32/Win32LogPorts.h"

namespace vcb::log {
namespace {

const std::wstring kVarnethKey = L"Software\\Varneth";
const std::wstring kComponentKey = kSettingsKey + L"\\TerminalServiceDriver";

bool keyExists(const std::wstring& path) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

void setValue(const std::wstring& key, const std::wstring& name, DWORD type, const void* data,
              DWORD size) {
  HKEY k = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0,
                                           KEY_WRITE, nullptr, &k, nullptr));
  EXPECT_EQ(ERROR_SUCCESS,
            RegSetValueExW(k, name.c_str(), 0, type, static_cast<const BYTE*>(data), size));
  RegCloseKey(k);
}

void setNumber(const std::wstring& key, const std::wstring& name, DWORD value) {
  setValue(key, name, REG_DWORD, &value, sizeof value);
}

void setString(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
  setValue(key, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::wstring documents() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

std::wstring tempFolder() {
  wchar_t path[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, path);
  return path;
}

bool fileExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string readFile(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<cannot open>";
  std::string text;
  char buf[65536];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) text.append(buf, n);
  CloseHandle(h);
  return text;
}

std::vector<std::string> logLines(const std::string& text) {
  static const std::regex dated(R"(^\d{4}/\d\d/\d\d\t.*)");
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    std::string line = text.substr(start, end - start);
    if (std::regex_match(line, dated)) out.push_back(line);
  }
  return out;
}

void logf(Logger& logger, int32_t level, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
void logf(Logger& logger, int32_t level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  logger.log(level, format, args);
  va_end(args);
}

// The real clock, with a tick count a test can move forward.
class JumpClock : public IClock {
 public:
  uint32_t tickCount() override { return real_.tickCount() + offset.load(); }
  LocalTime localTime() override { return real_.localTime(); }
  std::atomic<uint32_t> offset{0};

 private:
  Win32Clock real_;
};

// Real registry and files. Removes the keys it may have made and the files and
// folders it lists for cleaning.
class Win32LogTest : public ::testing::Test {
 protected:
  Win32LogTest() : varnethExisted_(keyExists(kVarnethKey)), docs_(documents()) {
    EXPECT_FALSE(docs_.empty());
  }
  ~Win32LogTest() override {
    logger.shutdown();
    Shutdown();
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey.c_str());
    if (!varnethExisted_) RegDeleteTreeW(HKEY_CURRENT_USER, kVarnethKey.c_str());
    for (auto& f : cleanFiles_) DeleteFileW(f.c_str());
    for (auto it = cleanFolders_.rbegin(); it != cleanFolders_.rend(); ++it)
      RemoveDirectoryW(it->c_str());
  }

  // Makes a folder (one level) that is removed after the test.
  std::wstring makeFolder(const std::wstring& path) {
    if (CreateDirectoryW(path.c_str(), nullptr)) cleanFolders_.push_back(path);
    return path;
  }
  std::wstring willAppear(const std::wstring& path, bool folder = false) {
    (folder ? cleanFolders_ : cleanFiles_).push_back(path);
    return path;
  }
  // Documents\VDMS, and the Log folder and file the relay would use there.
  std::wstring prepareDocuments() {
    makeFolder(docs_ + L"\\VDMS");
    willAppear(docs_ + L"\\VDMS\\Log", true);
    return willAppear(docs_ + L"\\VDMS\\Log\\TerminalServiceDriver.log");
  }
  void switchOn(DWORD level = 4) {
    setNumber(kComponentKey, L"EnableLogging", 1);
    setNumber(kComponentKey, L"Level", level);
  }
  Ports portsWith(IClock* clock) {
    Ports p = win32Ports();
    p.clock = clock;
    return p;
  }

  Logger logger;
  JumpClock clock;
  const bool varnethExisted_;
  const std::wstring docs_;
  std::vector<std::wstring> cleanFiles_, cleanFolders_;
};

TEST_F(Win32LogTest, SettingsStoreTellsMissingFromWronglyTyped) {
  const std::wstring key = kSettingsKey + L"\\" + kit::uniqueName(L"Store");
  setString(key, L"Text", L"D:\\logs");
  setNumber(key, L"Number", 7);
  const BYTE binary[4] = {1, 0, 0, 0};
  setValue(key, L"Binary", REG_BINARY, binary, sizeof binary);
  const ULONGLONG wide = 1;
  setValue(key, L"Qword", REG_QWORD, &wide, sizeof wide);
  setValue(key, L"Empty", REG_SZ, L"", 0);

  Win32SettingsStore store;
  std::wstring text;
  uint32_t number = 0;
  EXPECT_EQ(ReadResult::Ok, store.readString(key, L"Text", &text));
  EXPECT_EQ(L"D:\\logs", text);
  EXPECT_EQ(ReadResult::Ok, store.readString(key, L"Empty", &text));
  EXPECT_EQ(L"", text);
  EXPECT_EQ(ReadResult::Ok, store.readNumber(key, L"Number", &number));
  EXPECT_EQ(7u, number);
  EXPECT_EQ(ReadResult::WrongType, store.readString(key, L"Number", &text));
  EXPECT_EQ(ReadResult::WrongType, store.readNumber(key, L"Text", &number));
  EXPECT_EQ(ReadResult::WrongType, store.readNumber(key, L"Binary", &number));
  EXPECT_EQ(ReadResult::WrongType, store.readNumber(key, L"Qword", &number));
  EXPECT_EQ(ReadResult::Missing, store.readNumber(key, L"Absent", &number));
  EXPECT_EQ(ReadResult::Missing, store.readString(key + L"\\Absent", L"Text", &text));
}

TEST_F(Win32LogTest, RelayLogsToDocumentsVdmsLogInUtf8WithCrLf) {
  const std::wstring file = prepareDocuments();
  switchOn(4);
  useWin32LogPorts();
  Initialise(TerminalServiceDriver);
  Info("[0x%08X]\t%s\t%s\tGr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC", 0xCAFEu, "VCB\tApplication",
       "InitInstance");
  Warn("second");
  Shutdown();

  const std::string text = readFile(file);
  const std::string hashes(80, '#');
  const std::string header =
      hashes + "\r\n#Software: Varneth DictaDesk Pro - TerminalServiceDriver\r\n" + hashes +
      "\r\n===== System Information =====\r\n    OS : " +
      describeSystem(Win32SystemInfo().versionData()) +
      "\r\n\r\n===== Module Info =====\r\n\r\n" + hashes + "\r\n";
  ASSERT_EQ(0u, text.find(header)) << text;
  EXPECT_NE(std::string::npos, header.find("(Platform Win32NT Version "));
  static const std::regex line1(
      R"(\d{4}/\d\d/\d\d\t\d\d:\d\d:\d\d\.\d{3}\t\[INFO\]\t\[0x0000CAFE\]\tVCB\tApplication\tInitInstance\tGr\xC3\xB6\xC3\x9F)"
      "e \xE2\x82\xAC\r\n");
  static const std::regex line2(R"(\d{4}/\d\d/\d\d\t\d\d:\d\d:\d\d\.\d{3}\t\[WARN\]\tsecond\r\n)");
  const std::string rest = text.substr(header.size());
  const size_t firstEnd = rest.find("\r\n") + 2;
  EXPECT_TRUE(std::regex_match(rest.substr(0, firstEnd), line1)) << rest;
  EXPECT_TRUE(std::regex_match(rest.substr(firstEnd), line2)) << rest;
}

TEST_F(Win32LogTest, WithoutVdmsFolderTheLinesAreLostQuietly) {
  ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((docs_ + L"\\VDMS").c_str()))
      << "a fresh prefix has no VDMS folder";
  switchOn();
  logger.initialise(TerminalServiceDriver, win32Ports());
  logf(logger, FATAL, "lost");
  logger.shutdown();
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((docs_ + L"\\VDMS").c_str()));
}

TEST_F(Win32LogTest, OutputPathIsMadeOneLevelAndUsed) {
  const std::wstring parent = makeFolder(tempFolder() + kit::uniqueName(L"logs"));
  const std::wstring folder = willAppear(parent + L"\\relay", true);
  const std::wstring file = willAppear(folder + L"\\TerminalServiceDriver.log");
  setString(kSettingsKey, L"OutputPath", folder);
  switchOn();
  logger.initialise(TerminalServiceDriver, win32Ports());
  logf(logger, ERROR_, "here");
  ASSERT_TRUE(fileExists(file));
  auto lines = logLines(readFile(file));
  ASSERT_EQ(1u, lines.size());
  EXPECT_NE(std::string::npos, lines[0].find("\t[ERROR]\there"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((docs_ + L"\\VDMS").c_str()));
}

TEST_F(Win32LogTest, SwitchedOnWhileRunningAfterTheRefreshTime) {
  const std::wstring file = prepareDocuments();
  logger.initialise(TerminalServiceDriver, portsWith(&clock));
  logf(logger, INFO, "while off");
  switchOn();
  logf(logger, INFO, "not yet read");
  EXPECT_FALSE(fileExists(file));
  clock.offset += kRefreshMs;
  logf(logger, INFO, "switched on");
  const std::string text = readFile(file);
  EXPECT_EQ(0u, text.find(std::string(80, '#') + "\r\n#Software: Varneth DictaDesk Pro - TerminalServiceDriver\r\n"));
  auto lines = logLines(text);
  ASSERT_EQ(1u, lines.size());
  EXPECT_NE(std::string::npos, lines[0].find("\t[INFO]\tswitched on"));
}

TEST_F(Win32LogTest, KeptOpenFileCanBeReadMeanwhileAndIsClosedAtShutdown) {
  const std::wstring file = prepareDocuments();
  switchOn();
  setNumber(kComponentKey, L"LockingModel", 1);
  logger.initialise(TerminalServiceDriver, win32Ports());
  logf(logger, INFO, "one");
  logf(logger, INFO, "two");
  EXPECT_EQ(2u, logLines(readFile(file)).size()) << "shared for reading while kept open";
  EXPECT_FALSE(DeleteFileW(file.c_str())) << "still held open";
  logger.shutdown();
  EXPECT_TRUE(DeleteFileW(file.c_str())) << "closed by shutdown";
}

TEST_F(Win32LogTest, WithoutLockingModelTheFileIsClosedAfterEachLine) {
  const std::wstring file = prepareDocuments();
  switchOn();
  logger.initialise(TerminalServiceDriver, win32Ports());
  logf(logger, INFO, "one");
  EXPECT_TRUE(DeleteFileW(file.c_str()));
  logf(logger, INFO, "two");
  auto lines = logLines(readFile(file));
  ASSERT_EQ(1u, lines.size()) << "the header went with the first file";
  EXPECT_NE(std::string::npos, lines[0].find("two"));
}

// Threads of one relay share its facility; its lock and one write per line keep
// the lines whole. (Wine emulates append access with a size query and a
// positioned write, so separate handles on one file may overwrite each other
// there; Windows appends atomically.)
TEST_F(Win32LogTest, ThreadsAppendWholeLines) {
  const std::wstring file = prepareDocuments();
  switchOn();
  for (DWORD lockingModel : {0u, 1u}) {
    SCOPED_TRACE(lockingModel);
    DeleteFileW(file.c_str());
    setNumber(kComponentKey, L"LockingModel", lockingModel);
    Logger l;
    l.initialise(TerminalServiceDriver, win32Ports());
    constexpr int kThreads = 3, kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
      threads.emplace_back([&l, t] {
        const char name = static_cast<char>('a' + t);
        for (int i = 0; i < kLines; ++i)
          logf(l, WARN, "%c %d %s", name, i, std::string(100, name).c_str());
      });
    for (auto& t : threads) t.join();
    l.shutdown();
    static const std::regex whole(
        R"(\d{4}/\d\d/\d\d\t\d\d:\d\d:\d\d\.\d{3}\t\[WARN\]\t([abc]) \d+ \1{100})");
    auto lines = logLines(readFile(file));
    EXPECT_EQ(static_cast<size_t>(kThreads * kLines), lines.size());
    for (auto& line : lines) EXPECT_TRUE(std::regex_match(line, whole)) << line;
  }
}

}  // namespace
}  // namespace vcb::log
