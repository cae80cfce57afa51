#include <gtest/gtest.h>

#include <clocale>
#include <cstdarg>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "vcbridge/core/Log.h"
#include "vcbridge/core/LogText.h"
#include "vcbridge/core/Logger.h"
#include "vcbridge/core/tests/fakes/FakeLogPorts.h"

namespace vcb::log {
namespace {

using testing::FakeLogPorts;

const std::wstring kDocuments = L"C:\\Users\\typist\\Documents";
const std::wstring kDefaultFile = kDocuments + L"\\VDMS\\Log\\TerminalServiceDriver.log";
const std::wstring kComponentKey = kSettingsKey + L"\\TerminalServiceDriver";

void logf(Logger& logger, int32_t level, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
void logf(Logger& logger, int32_t level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  logger.log(level, format, args);
  va_end(args);
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start != text.size()) lines.push_back(text.substr(start) + "<no CR LF>");
  return lines;
}

// The log lines of a file, without the header lines.
std::vector<std::string> logLines(const std::string& text) {
  static const std::regex dated(R"(^\d{4}/\d\d/\d\d\t.*)");
  std::vector<std::string> out;
  for (auto& l : splitLines(text))
    if (std::regex_match(l, dated)) out.push_back(l);
  return out;
}

int countOf(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// A logger for TerminalServiceDriver on fake ports; Documents\VDMS exists.
class LoggerTest : public ::testing::Test {
 protected:
  LoggerTest() { fake.files.addFolder(kDocuments + L"\\VDMS"); }

  void switchOn(uint32_t level = 4) {
    fake.settings.setNumber(kComponentKey, L"EnableLogging", 1);
    fake.settings.setNumber(kComponentKey, L"Level", level);
  }
  void start(int32_t component = TerminalServiceDriver) { logger.initialise(component, fake.ports()); }
  std::string file(const std::wstring& path = kDefaultFile) { return fake.files.content(path); }

  FakeLogPorts fake;
  Logger logger;
};

TEST(LogText, LevelNames) {
  const std::pair<int32_t, const char*> cases[] = {
      {1000, "[DEBUG]"}, {2000, "[INFO]"}, {3000, "[WARN]"},  {4000, "[ERROR]"},
      {5000, "[FATAL]"}, {0, "[DEBUG]"},   {2001, "[DEBUG]"}, {-3000, "[DEBUG]"},
  };
  for (auto& [level, name] : cases) EXPECT_STREQ(name, levelName(level)) << level;
}

TEST(LogText, ComponentNamesOutsideTheTableAreComponentNone) {
  const char* named[] = {"ComponentNone",        "DictationModule",       "TranscriptionModule",
                         "DeviceDetector",       "DirectRecordingWindow", "PlaybackControlWindow",
                         "TranscribeBar",        "DeviceManager",         "AudioProcedure",
                         "OptionManager",        "CitrixDriver",          "TerminalServiceDriver",
                         "NotificationManager",  "EmailFTP"};
  for (int32_t i = 0; i < 14; ++i) EXPECT_STREQ(named[i], componentName(i)) << i;
  EXPECT_STRNE("ComponentNone", componentName(14));
  for (int32_t outside : {15, 1000, -1}) EXPECT_STREQ("ComponentNone", componentName(outside));
}

TEST(LogText, LineFormat) {
  const LocalTime t{2026, 3, 2, 9, 5, 3, 7};
  EXPECT_EQ("2026/03/02\t09:05:03.007\t[INFO]\t[0x0000ABCD]\tVCB\tX\tOpen\tmsg\r\n",
            lineText(t, INFO, "[0x0000ABCD]\tVCB\tX\tOpen\tmsg"));
  EXPECT_EQ("2026/12/31\t23:59:59.999\t[DEBUG]\t\r\n",
            lineText({2026, 12, 31, 23, 59, 59, 999}, 1234, ""));
}

TEST(LogText, HeaderOfTheRelayListsNoModules) {
  const std::string hashes(80, '#');
  EXPECT_EQ(hashes + "\r\n"
                     "#Software: Varneth DictaDesk Pro - CitrixDriver\r\n" +
                hashes + "\r\n"
                         "===== System Information =====\r\n"
                         "    OS : Windows 7 (Platform Win32NT Version 6.1 Build 7601) \r\n"
                         "\r\n"
                         "===== Module Info =====\r\n"
                         "\r\n" +
                hashes + "\r\n",
            headerText(CitrixDriver, "Windows 7 (Platform Win32NT Version 6.1 Build 7601) "));
}

VersionData nt(uint32_t major, uint32_t minor, uint32_t build, uint8_t type, uint16_t suite = 0,
               uint16_t arch = kArchitectureAmd64, const char* sp = "") {
  VersionData v;
  v.platformId = 2;
  v.major = major;
  v.minor = minor;
  v.build = build;
  v.productType = type;
  v.suiteMask = suite;
  v.architecture = arch;
  v.servicePack = sp;
  return v;
}

VersionData withProduct(VersionData v, uint32_t product) {
  v.hasProductInfo = true;
  v.productInfo = product;
  return v;
}

VersionData win9x(uint32_t major, uint32_t minor) {
  VersionData v;
  v.platformId = 1;
  v.major = major;
  v.minor = minor;
  v.architecture = kArchitectureIntel;
  return v;
}

TEST(LogText, SystemDescription) {
  const uint8_t ws = kProductWorkstation, server = 3;
  const struct {
    VersionData v;
    const char* expected;
  } cases[] = {
      {withProduct(nt(6, 1, 7601, ws, 0, kArchitectureAmd64, "Service Pack 1"), 48),
       "Windows 7 Professional Edition(x64) (Platform Win32NT Version 6.1 Build 7601) Service Pack 1"},
      {withProduct(nt(6, 1, 7601, server, 0, kArchitectureAmd64, "Service Pack 1"), 7),
       "Windows Server 2008 R2Standard Edition(x64) (Platform Win32NT Version 6.1 Build 7601) Service Pack 1"},
      {withProduct(nt(6, 0, 6002, ws, 0, kArchitectureIntel, "Service Pack 2"), 1),
       "Windows Vista Ultimate Edition(x86) (Platform Win32NT Version 6.0 Build 6002) Service Pack 2"},
      {withProduct(nt(6, 0, 6001, server), 17),
       "Windows Server 2008 Unknown Edition(x64) (Platform Win32NT Version 6.0 Build 6001) "},
      {nt(6, 2, 9200, ws, 0, kArchitectureIa64),
       "Windows 8(IA64) (Platform Win32NT Version 6.2 Build 9200) "},
      {withProduct(nt(6, 3, 9600, ws), 0),
       "Windows NT 6.x(unknown) Unknown Edition(x64) (Platform Win32NT Version 6.3 Build 9600) "},
      {withProduct(nt(6, 3, 9600, server), 8),
       "Windows Server 6.x(unknown) Datacenter Edition(x64) (Platform Win32NT Version 6.3 Build 9600) "},
      {nt(6, 1, 7600, ws, 0, 12), "Windows 7 (Platform Win32NT Version 6.1 Build 7600) "},
      {nt(5, 2, 3790, ws, 0, kArchitectureAmd64, "Service Pack 2"),
       "Windows XP Professional(x64) (Platform Win32NT Version 5.2 Build 3790) Service Pack 2"},
      {nt(5, 2, 3790, server, kSuiteDatacenter | kSuiteEnterprise, kArchitectureIntel),
       "Windows 2003 Datacenter Edition(x86) (Platform Win32NT Version 5.2 Build 3790) "},
      {nt(5, 2, 3790, server, kSuiteEnterprise | kSuiteBlade, kArchitectureIntel),
       "Windows 2003 Enterprise Edition(x86) (Platform Win32NT Version 5.2 Build 3790) "},
      {nt(5, 2, 3790, server, kSuiteBlade, kArchitectureIntel),
       "Windows 2003 Web Edition(x86) (Platform Win32NT Version 5.2 Build 3790) "},
      {nt(5, 2, 3790, server, 0, kArchitectureIntel),
       "Windows 2003 Standard Edition(x86) (Platform Win32NT Version 5.2 Build 3790) "},
      {withProduct(nt(5, 1, 2600, ws, kSuitePersonal, kArchitectureIntel, "Service Pack 3"), 48),
       "Windows XP Home Edition(x86) (Platform Win32NT Version 5.1 Build 2600) Service Pack 3"},
      {nt(5, 1, 2600, ws, 0, kArchitectureIntel),
       "Windows XP Professional(x86) (Platform Win32NT Version 5.1 Build 2600) "},
      {nt(5, 0, 2195, server, kSuiteDatacenter | kSuiteEnterprise, kArchitectureIntel, "Service Pack 4"),
       "Windows 2000 Datacenter Server (Platform Win32NT Version 5.0 Build 2195) Service Pack 4"},
      {nt(5, 0, 2195, server, kSuiteEnterprise, kArchitectureIntel),
       "Windows 2000 Advanced Server (Platform Win32NT Version 5.0 Build 2195) "},
      {nt(5, 0, 2195, ws, 0, kArchitectureIntel),
       "Windows 2000 (Platform Win32NT Version 5.0 Build 2195) "},
      {nt(4, 0, 1381, ws, 0, kArchitectureIntel, "Service Pack 6"),
       "Windows NT 4.0 (Platform Win32NT Version 4.0 Build 1381) Service Pack 6"},
      // A version the tables do not know has no product text, only the architecture.
      {withProduct(nt(10, 0, 19045, ws), 48), "(x64) (Platform Win32NT Version 10.0 Build 19045) "},
      {win9x(4, 0), "Windows 95 (Platform Win32Windows Version 4.0 Build 0) "},
      {win9x(4, 10), "Windows 98 (Platform Win32Windows Version 4.10 Build 0) "},
      {win9x(4, 90), "Windows Me (Platform Win32Windows Version 4.90 Build 0) "},
      {win9x(4, 3), " (Platform Win32Windows Version 4.3 Build 0) "},
      {win9x(3, 0), "Unknown Windows (Platform Win32Windows Version 3.0 Build 0) "},
      {VersionData{}, " (Platform  Version 0.0 Build 0) "},
  };
  for (auto& c : cases) EXPECT_EQ(c.expected, describeSystem(c.v));
}

TEST(LogText, EditionsOfProductTypes) {
  const std::pair<std::vector<uint32_t>, const char*> groups[] = {
      {{1, 28}, " Ultimate Edition"},
      {{2, 5}, " Home Basic Edition"},
      {{3, 26}, " Home Premium Edition"},
      {{4, 10, 14, 15, 27, 38, 41}, " Enterprise Edition"},
      {{6, 16}, " Business Edition"},
      {{7, 13, 36, 40}, "Standard Edition"},
      {{8, 12, 37, 39}, " Datacenter Edition"},
      {{9, 25}, " Small Business Server"},
      {{11, 47}, " Starter Edition"},
      {{48, 49}, " Professional Edition"},
      {{0, 17, 29, 50, 0xABCDABCD}, " Unknown Edition"},
  };
  for (auto& [types, edition] : groups)
    for (uint32_t type : types)
      EXPECT_EQ(std::string("Windows 7") + edition + "(x64) (Platform Win32NT Version 6.1 Build 7601) ",
                describeSystem(withProduct(nt(6, 1, 7601, kProductWorkstation), type)))
          << type;
}

std::string formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string formatted(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string out = "<failed>";
  if (!formatMessage(&out, format, args)) out = "<failed>";
  va_end(args);
  return out;
}

TEST(LogText, LongMessagesAreCutAtACharacterBoundary) {
  const std::string a4095(4095, 'a'), a4094(4094, 'a');
  EXPECT_EQ(std::string(4096, 'x'), formatted("%s", std::string(4096, 'x').c_str()));
  EXPECT_EQ(std::string(4096, 'x'), formatted("%s", std::string(100000, 'x').c_str()));
  // "é" is two bytes, "€" three: a character that would straddle the limit is left out whole.
  EXPECT_EQ(a4095, formatted("%s\xC3\xA9", a4095.c_str()));
  EXPECT_EQ(a4094, formatted("%s\xE2\x82\xAC", a4094.c_str()));
  EXPECT_EQ(a4094 + "\xC3\xA9", formatted("%s\xC3\xA9tail", a4094.c_str()));
  EXPECT_EQ("0x0000ABCD x", formatted("0x%08X %s", 0xABCDu, "x"));
}

TEST_F(LoggerTest, LevelFilter) {
  struct Case {
    const char* what;
    std::function<void(testing::FakeSettingsStore&)> set;
    std::vector<std::string> written;
  };
  auto numbers = [](std::vector<std::pair<const wchar_t*, uint32_t>> values) {
    return [values](testing::FakeSettingsStore& s) {
      for (auto& [name, value] : values) s.setNumber(kComponentKey, name, value);
    };
  };
  const std::vector<std::string> infoUp = {"[INFO]", "[WARN]", "[ERROR]", "[FATAL]"};
  const Case cases[] = {
      {"Level 3", numbers({{L"EnableLogging", 1}, {L"Level", 3}}), {"[WARN]", "[ERROR]", "[FATAL]"}},
      {"Level 0", numbers({{L"EnableLogging", 1}, {L"Level", 0}, {L"EnableTrace", 1}}), {}},
      {"Level 1", numbers({{L"EnableLogging", 1}, {L"Level", 1}}), {"[FATAL]"}},
      {"Level 2", numbers({{L"EnableLogging", 1}, {L"Level", 2}}), {"[ERROR]", "[FATAL]"}},
      {"Level 4", numbers({{L"EnableLogging", 1}, {L"Level", 4}}), infoUp},
      {"Level 5", numbers({{L"EnableLogging", 1}, {L"Level", 5}}),
       {"[DEBUG]", "[INFO]", "[WARN]", "[ERROR]", "[FATAL]"}},
      {"Level 6 keeps INFO", numbers({{L"EnableLogging", 1}, {L"Level", 6}}), infoUp},
      {"no Level", numbers({{L"EnableLogging", 1}}), infoUp},
      {"Level of the wrong type",
       [](auto& s) {
         s.setNumber(kComponentKey, L"EnableLogging", 1);
         s.setString(kComponentKey, L"Level", L"1");
       },
       infoUp},
      {"EnableLogging 2", numbers({{L"EnableLogging", 2}, {L"Level", 5}}), {}},
      {"EnableLogging as a string",
       [](auto& s) {
         s.setString(kComponentKey, L"EnableLogging", L"1");
         s.setNumber(kComponentKey, L"Level", 5);
       },
       {}},
      {"EnableLogging as binary",
       [](auto& s) {
         s.setBinary(kComponentKey, L"EnableLogging");
         s.setNumber(kComponentKey, L"Level", 5);
       },
       {}},
      {"trace alone", numbers({{L"EnableTrace", 1}, {L"Level", 5}}), {}},
      {"no component key", [](auto&) {}, {}},
      {"another component's key",
       [](auto& s) {
         s.setNumber(kSettingsKey + L"\\CitrixDriver", L"EnableLogging", 1);
         s.setNumber(kSettingsKey + L"\\CitrixDriver", L"Level", 5);
       },
       {}},
  };
  for (auto& c : cases) {
    FakeLogPorts ports;
    ports.files.addFolder(kDocuments + L"\\VDMS");
    c.set(ports.settings);
    Logger l;
    l.initialise(TerminalServiceDriver, ports.ports());
    for (int32_t level : {1000, 2000, 3000, 4000, 5000}) logf(l, level, "%d", level);
    std::vector<std::string> names;
    for (auto& line : logLines(ports.files.content(kDefaultFile)))
      names.push_back(line.substr(24, line.find('\t', 24) - 24));
    EXPECT_EQ(c.written, names) << c.what;
  }
}

TEST_F(LoggerTest, FirstLineComesAfterTheHeader) {
  switchOn();
  start();
  logf(logger, INFO, "[0x%08X]\t%s\t%s\tSession:TerminalService", 0x12AB34CDu, "VCB\tApplication",
       "InitInstance");
  logf(logger, WARN, "second");
  const std::string hashes(80, '#');
  EXPECT_EQ(hashes + "\r\n#Software: Varneth DictaDesk Pro - TerminalServiceDriver\r\n" + hashes +
                "\r\n===== System Information =====\r\n"
                "    OS : Windows 7 Professional Edition(x64) (Platform Win32NT Version 6.1 Build 7601) Service Pack 1\r\n"
                "\r\n===== Module Info =====\r\n\r\n" +
                hashes +
                "\r\n2026/03/02\t09:05:03.007\t[INFO]\t[0x12AB34CD]\tVCB\tApplication\tInitInstance\tSession:TerminalService\r\n"
                "2026/03/02\t09:05:03.007\t[WARN]\tsecond\r\n",
            file());
}

TEST_F(LoggerTest, CallsThatWriteNothingFormatNothing) {
  start();  // no settings: off
  for (int i = 0; i < 100; ++i) logf(logger, FATAL, "%d", i);
  EXPECT_EQ(0u, logger.formattedCount());
  EXPECT_EQ(0, fake.clock.localTimeReads());

  switchOn(3);
  fake.clock.advance(kRefreshMs);
  logf(logger, INFO, "dropped %d", 1);
  logf(logger, INFO, "dropped %d", 2);
  EXPECT_EQ(0u, logger.formattedCount()) << "below the threshold";
  logf(logger, WARN, "kept %d", 3);
  EXPECT_EQ(1u, logger.formattedCount());
}

TEST_F(LoggerTest, TraceFormatsButWritesNothingOfItsOwn) {
  fake.settings.setNumber(kComponentKey, L"EnableTrace", 1);
  start();
  logf(logger, FATAL, "x");
  EXPECT_EQ(1u, logger.formattedCount());
  EXPECT_FALSE(fake.files.hasFile(kDefaultFile));
}

TEST_F(LoggerTest, SettingsAreReadAgainOnlyAfter10001Ms) {
  start();
  const int afterStart = fake.settings.reads();
  fake.clock.advance(10000);
  logf(logger, INFO, "x");
  EXPECT_EQ(afterStart, fake.settings.reads()) << "10000 ms is not enough";
  fake.clock.advance(1);
  logf(logger, INFO, "x");
  const int afterRefresh = fake.settings.reads();
  EXPECT_GT(afterRefresh, afterStart);
  fake.clock.advance(10000);
  logf(logger, INFO, "x");
  EXPECT_EQ(afterRefresh, fake.settings.reads()) << "the clock restarts at the check";
}

TEST_F(LoggerTest, RefreshSurvivesTheTickCountWrapping) {
  fake.clock.ticks = 0xFFFFFFF0u;
  start();
  switchOn();
  fake.clock.advance(10000);  // wraps
  logf(logger, INFO, "early");
  fake.clock.advance(1);
  logf(logger, INFO, "on time");
  auto lines = logLines(file());
  ASSERT_EQ(1u, lines.size());
  EXPECT_NE(std::string::npos, lines[0].find("on time"));
}

TEST_F(LoggerTest, SwitchedOnWhileRunningWritesAHeaderFirst) {
  start();
  logf(logger, INFO, "before");
  switchOn();
  fake.clock.advance(10000);
  logf(logger, INFO, "still before");
  EXPECT_FALSE(fake.files.hasFile(kDefaultFile));
  fake.clock.advance(1);
  logf(logger, INFO, "after");
  const std::string text = file();
  EXPECT_EQ(0u, text.find(std::string(80, '#') + "\r\n#Software: Varneth DictaDesk Pro - TerminalServiceDriver"));
  EXPECT_EQ(1, countOf(text, "#Software:"));
  auto lines = logLines(text);
  ASSERT_EQ(1u, lines.size());
  EXPECT_NE(std::string::npos, lines[0].find("after"));
}

TEST_F(LoggerTest, EveryChangeOfSettingsBringsAHeaderAndNoChangeNone) {
  switchOn();
  start();
  logf(logger, INFO, "one");
  fake.clock.advance(kRefreshMs);
  logf(logger, INFO, "unchanged");
  EXPECT_EQ(1, countOf(file(), "#Software:"));
  fake.settings.setNumber(kComponentKey, L"EnableTrace", 1);  // written nowhere, still a change
  fake.clock.advance(kRefreshMs);
  logf(logger, INFO, "trace on");
  EXPECT_EQ(2, countOf(file(), "#Software:"));
  EXPECT_EQ(3u, logLines(file()).size());
}

TEST_F(LoggerTest, FilePathRules) {
  struct Case {
    const char* what;
    std::function<void(FakeLogPorts&)> set;
    int32_t component;
    std::wstring expected;  // empty: no file anywhere
  };
  auto output = [](const std::wstring& folder) {
    return [folder](FakeLogPorts& p) { p.settings.setString(kSettingsKey, L"OutputPath", folder); };
  };
  const Case cases[] = {
      {"no OutputPath", [](auto&) {}, TerminalServiceDriver, kDefaultFile},
      {"Citrix", [](auto&) {}, CitrixDriver, kDocuments + L"\\VDMS\\Log\\CitrixDriver.log"},
      {"outside the table", [](auto&) {}, 99, kDocuments + L"\\VDMS\\Log\\ComponentNone.log"},
      {"OutputPath exists",
       [&](FakeLogPorts& p) {
         p.files.addFolder(L"D:\\logs");
         output(L"D:\\logs")(p);
       },
       TerminalServiceDriver, L"D:\\logs\\TerminalServiceDriver.log"},
      {"OutputPath with a backslash",
       [&](FakeLogPorts& p) {
         p.files.addFolder(L"D:\\logs");
         output(L"D:\\logs\\")(p);
       },
       TerminalServiceDriver, L"D:\\logs\\TerminalServiceDriver.log"},
      {"OutputPath made one level",
       [&](FakeLogPorts& p) {
         p.files.addFolder(L"D:\\logs");
         output(L"D:\\logs\\relay")(p);
       },
       TerminalServiceDriver, L"D:\\logs\\relay\\TerminalServiceDriver.log"},
      {"OutputPath two levels deep", output(L"D:\\logs\\relay"), TerminalServiceDriver,
       kDefaultFile},
      {"OutputPath refused",
       [&](FakeLogPorts& p) {
         p.files.addFolder(L"D:");
         p.files.refuseFolder(L"D:\\logs");
         output(L"D:\\logs")(p);
       },
       TerminalServiceDriver, kDefaultFile},
      {"OutputPath empty", output(L""), TerminalServiceDriver, kDefaultFile},
      {"OutputPath of the wrong type",
       [](FakeLogPorts& p) { p.settings.setNumber(kSettingsKey, L"OutputPath", 1); },
       TerminalServiceDriver, kDefaultFile},
      {"OutputPath too long for the record",
       [&](FakeLogPorts& p) {
         const std::wstring longFolder = L"D:\\" + std::wstring(300, L'x');
         p.files.addFolder(longFolder);
         output(longFolder)(p);
       },
       TerminalServiceDriver, kDefaultFile},
      {"full path too long",
       [&](FakeLogPorts& p) {
         const std::wstring folder = L"D:\\" + std::wstring(240, L'x');
         p.files.addFolder(folder);
         output(folder)(p);
       },
       TerminalServiceDriver, L""},
      {"Documents with a backslash",
       [](FakeLogPorts& p) { p.files.setDocuments(kDocuments + L"\\"); }, TerminalServiceDriver,
       kDefaultFile},
      {"no VDMS folder",
       [](FakeLogPorts& p) { p.files.addFolder(L"C:\\elsewhere"); }, TerminalServiceDriver, L""},
      {"no Documents", [](FakeLogPorts& p) { p.files.setDocuments(L""); }, TerminalServiceDriver,
       L""},
  };
  for (auto& c : cases) {
    FakeLogPorts p;
    if (std::string(c.what) != "no VDMS folder") p.files.addFolder(kDocuments + L"\\VDMS");
    c.set(p);
    const std::wstring componentKey = kSettingsKey + L"\\" +
        std::wstring(componentName(c.component), componentName(c.component) +
                                                      std::char_traits<char>::length(componentName(c.component)));
    p.settings.setNumber(componentKey, L"EnableLogging", 1);
    Logger l;
    l.initialise(c.component, p.ports());
    logf(l, FATAL, "line");
    std::vector<std::wstring> expected;
    if (!c.expected.empty()) expected.push_back(c.expected);
    EXPECT_EQ(expected, p.files.files()) << c.what;
    if (!c.expected.empty()) {
      EXPECT_EQ(1u, logLines(p.files.content(c.expected)).size()) << c.what;
    }
  }
}

TEST_F(LoggerTest, MissingVdmsFolderIsNotMade) {
  FakeLogPorts p;  // Documents only
  p.settings.setNumber(kComponentKey, L"EnableLogging", 1);
  Logger l;
  l.initialise(TerminalServiceDriver, p.ports());
  logf(l, FATAL, "lost");
  EXPECT_FALSE(p.files.hasFolder(kDocuments + L"\\VDMS"));
  EXPECT_TRUE(p.files.files().empty());
}

TEST_F(LoggerTest, LogFolderIsMadeOnce) {
  switchOn();
  start();
  EXPECT_TRUE(fake.files.hasFolder(kDocuments + L"\\VDMS\\Log"));
  logf(logger, INFO, "x");
  EXPECT_EQ(1u, logLines(file()).size());
}

TEST_F(LoggerTest, LockingModel1KeepsOneHandleOpenUntilShutdown) {
  switchOn();
  fake.settings.setNumber(kComponentKey, L"LockingModel", 1);
  start();
  for (int i = 0; i < 5; ++i) logf(logger, INFO, "%d", i);
  EXPECT_EQ(1, fake.files.opens());
  EXPECT_EQ(1, fake.files.openHandles());
  EXPECT_EQ(5u, logLines(file()).size());
  logger.shutdown();
  EXPECT_EQ(0, fake.files.openHandles());
  EXPECT_EQ(0, fake.files.badCloses());
}

TEST_F(LoggerTest, WithoutLockingModelEachLineOpensAndClosesTheFile) {
  switchOn();
  fake.settings.setNumber(kComponentKey, L"LockingModel", 2);
  start();
  for (int i = 0; i < 3; ++i) logf(logger, INFO, "%d", i);
  EXPECT_EQ(3, fake.files.opens());
  EXPECT_EQ(0, fake.files.openHandles());
}

TEST_F(LoggerTest, AChangeOfSettingsOrANewStartClosesTheKeptFile) {
  switchOn();
  fake.settings.setNumber(kComponentKey, L"LockingModel", 1);
  start();
  logf(logger, INFO, "kept");
  EXPECT_EQ(1, fake.files.openHandles());
  start();
  EXPECT_EQ(0, fake.files.openHandles()) << "initialised again";
  logf(logger, INFO, "kept again");
  EXPECT_EQ(1, fake.files.openHandles());

  fake.files.addFolder(L"D:\\logs");
  fake.settings.setString(kSettingsKey, L"OutputPath", L"D:\\logs");
  fake.clock.advance(kRefreshMs);
  logf(logger, INFO, "moved");
  EXPECT_EQ(1, fake.files.openHandles());
  EXPECT_EQ(3, fake.files.opens());
  EXPECT_EQ(1u, logLines(fake.files.content(L"D:\\logs\\TerminalServiceDriver.log")).size());
  EXPECT_EQ(0, fake.files.badCloses());
}

TEST_F(LoggerTest, FileThatCannotBeOpenedLosesTheLineButKeepsTheHeaderPending) {
  switchOn();
  start();
  fake.files.failOpens(true);
  logf(logger, INFO, "lost");
  fake.files.failOpens(false);
  logf(logger, INFO, "found");
  EXPECT_EQ(1, countOf(file(), "#Software:"));
  auto lines = logLines(file());
  ASSERT_EQ(1u, lines.size());
  EXPECT_NE(std::string::npos, lines[0].find("found"));
}

TEST_F(LoggerTest, LongMessageIsCutToTheLimit) {
  switchOn();
  start();
  const std::string huge(20000, 'z');
  logf(logger, INFO, "%s%s", huge.c_str(), huge.c_str());
  auto lines = logLines(file());
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ("2026/03/02\t09:05:03.007\t[INFO]\t" + std::string(kMaxMessageBytes, 'z'), lines[0]);
}

TEST_F(LoggerTest, MessageThatCannotBeFormattedIsNotWritten) {
  switchOn();
  start();
  // In the "C" locale a non-ASCII wide character has no narrow form.
  ASSERT_STREQ("C", std::setlocale(LC_CTYPE, nullptr));
  logf(logger, INFO, "%ls", L"\u00e9");
  logf(logger, INFO, nullptr);
  EXPECT_FALSE(fake.files.hasFile(kDefaultFile));
}

TEST_F(LoggerTest, NothingIsWrittenAfterShutdown) {
  switchOn();
  fake.settings.setNumber(kComponentKey, L"LockingModel", 1);
  start();
  logf(logger, INFO, "before");
  logger.shutdown();
  EXPECT_EQ(0, fake.files.openHandles());
  fake.clock.advance(kRefreshMs * 3);
  logf(logger, FATAL, "after");
  EXPECT_EQ(1u, logLines(file()).size());
  EXPECT_EQ(L"", logger.filePath());
}

TEST_F(LoggerTest, ThreadsWriteWholeLines) {
  for (uint32_t lockingModel : {0u, 1u}) {
    FakeLogPorts p;
    p.files.addFolder(kDocuments + L"\\VDMS");
    p.settings.setNumber(kComponentKey, L"EnableLogging", 1);
    p.settings.setNumber(kComponentKey, L"LockingModel", lockingModel);
    Logger l;
    l.initialise(TerminalServiceDriver, p.ports());
    constexpr int kThreads = 6, kLines = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
      threads.emplace_back([&, t] {
        for (int i = 0; i < kLines; ++i) logf(l, WARN, "thread %d line %d %s", t, i, "payload");
      });
    // Settings that keep changing make every refresh take the slow path.
    std::thread churn([&] {
      for (int i = 0; i < 200; ++i) {
        p.settings.setNumber(kComponentKey, L"EnableTrace", i % 2);
        p.clock.advance(kRefreshMs);
        logf(l, INFO, "churn %d", i);
      }
    });
    for (auto& t : threads) t.join();
    churn.join();
    l.shutdown();

    const std::string text = p.files.content(kDefaultFile);
    static const std::regex whole(
        R"(2026/03/02\t09:05:03\.007\t\[(WARN\]\tthread \d line \d+ payload|INFO\]\tchurn \d+))");
    int warn = 0;
    for (auto& line : logLines(text)) {
      EXPECT_TRUE(std::regex_match(line, whole)) << line;
      warn += line.find("[WARN]") != std::string::npos;
    }
    EXPECT_EQ(kThreads * kLines, warn) << "LockingModel " << lockingModel;
    EXPECT_EQ(0, p.files.openHandles());
  }
}

TEST(LogEntryPoints, FourLevelsAndAnyOther) {
  FakeLogPorts p;
  p.files.addFolder(kDocuments + L"\\VDMS");
  p.settings.setNumber(kSettingsKey + L"\\CitrixDriver", L"EnableLogging", 1);
  p.settings.setNumber(kSettingsKey + L"\\CitrixDriver", L"Level", 5);
  Initialise(CitrixDriver, p.ports());
  Info("[0x%08X]\t%s\t%s\tSession:Citrix", Addr(reinterpret_cast<void*>(0x1234)), "VCB\tApplication",
       "InitInstance");
  Warn("w");
  Error("e");
  Fatal("f");
  Log(1500, "d");
  Shutdown();
  Fatal("after shutdown");
  const auto lines = logLines(p.files.content(kDocuments + L"\\VDMS\\Log\\CitrixDriver.log"));
  const std::vector<std::string> expected = {
      "2026/03/02\t09:05:03.007\t[INFO]\t[0x00001234]\tVCB\tApplication\tInitInstance\tSession:Citrix",
      "2026/03/02\t09:05:03.007\t[WARN]\tw",
      "2026/03/02\t09:05:03.007\t[ERROR]\te",
      "2026/03/02\t09:05:03.007\t[FATAL]\tf",
      "2026/03/02\t09:05:03.007\t[DEBUG]\td",
  };
  EXPECT_EQ(expected, lines);
}

TEST(LogEntryPoints, InitialiseUsesTheDefaultPorts) {
  Initialise(CitrixDriver);  // none set: stays off
  Fatal("nowhere");

  FakeLogPorts p;
  p.files.addFolder(kDocuments + L"\\VDMS");
  p.settings.setNumber(kSettingsKey + L"\\CitrixDriver", L"EnableLogging", 1);
  SetDefaultPorts(p.ports());
  Initialise(CitrixDriver);
  Fatal("somewhere");
  Shutdown();
  SetDefaultPorts(Ports{});
  EXPECT_EQ(1u, logLines(p.files.content(kDocuments + L"\\VDMS\\Log\\CitrixDriver.log")).size());
}

}  // namespace
}  // namespace vcb::log
