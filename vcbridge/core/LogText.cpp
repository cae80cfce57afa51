#include "vcbridge/core/LogText.h"

#include <array>
#include <cstdio>

namespace vcb::log {

namespace {

// Index 14 belongs to a member of the suite whose name the relay never needs;
// it still gets a name of its own so its file and key stay apart from index 0.
constexpr std::array<const char*, 15> kComponentNames = {
    "ComponentNone",         "DictationModule",      "TranscriptionModule", "DeviceDetector",
    "DirectRecordingWindow", "PlaybackControlWindow", "TranscribeBar",       "DeviceManager",
    "AudioProcedure",        "OptionManager",        "CitrixDriver",        "TerminalServiceDriver",
    "NotificationManager",   "EmailFTP",             "Component14",
};

const std::string kHashLine = std::string(80, '#') + "\r\n";

std::string win9xProduct(const VersionData& v) {
  if (v.major != 4) return "Unknown Windows";
  switch (v.minor) {
    case 0: return "Windows 95";
    case 10: return "Windows 98";
    case 90: return "Windows Me";
    default: return "";
  }
}

const char* edition(uint32_t productType) {
  switch (productType) {
    case 1: case 28: return " Ultimate Edition";
    case 2: case 5: return " Home Basic Edition";
    case 3: case 26: return " Home Premium Edition";
    case 4: case 10: case 14: case 15: case 27: case 38: case 41: return " Enterprise Edition";
    case 6: case 16: return " Business Edition";
    case 7: case 13: case 36: case 40: return "Standard Edition";  // no leading space, unlike the others
    case 8: case 12: case 37: case 39: return " Datacenter Edition";
    case 9: case 25: return " Small Business Server";
    case 11: case 47: return " Starter Edition";
    case 48: case 49: return " Professional Edition";
    default: return " Unknown Edition";
  }
}

std::string ntProduct(const VersionData& v) {
  const bool datacenter = v.suiteMask & kSuiteDatacenter;
  const bool enterprise = v.suiteMask & kSuiteEnterprise;
  const bool workstation = v.productType == kProductWorkstation;
  if (v.major == 4) return "Windows NT 4.0";
  if (v.major == 5 && v.minor == 0) {
    if (datacenter) return "Windows 2000 Datacenter Server";
    if (enterprise) return "Windows 2000 Advanced Server";
    return "Windows 2000";
  }
  if (v.major == 5 && v.minor == 1)
    return (v.suiteMask & kSuitePersonal) ? "Windows XP Home Edition" : "Windows XP Professional";
  if (v.major == 5 && v.minor == 2) {
    if (workstation) return "Windows XP Professional";
    if (datacenter) return "Windows 2003 Datacenter Edition";
    if (enterprise) return "Windows 2003 Enterprise Edition";
    if (v.suiteMask & kSuiteBlade) return "Windows 2003 Web Edition";
    return "Windows 2003 Standard Edition";
  }
  if (v.major != 6) return "";
  std::string text;
  if (workstation) {
    text = v.minor == 0 ? "Windows Vista"
         : v.minor == 1 ? "Windows 7"
         : v.minor == 2 ? "Windows 8"
                        : "Windows NT 6.x(unknown)";
  } else {
    text = std::string("Windows Server ") + (v.minor == 0 ? "2008"
                                           : v.minor == 1 ? "2008 R2"
                                                          : "6.x(unknown)");
  }
  if (v.hasProductInfo) text += edition(v.productInfo);
  return text;
}

const char* architecture(uint16_t arch) {
  switch (arch) {
    case kArchitectureAmd64: return "(x64)";
    case kArchitectureIntel: return "(x86)";
    case kArchitectureIa64: return "(IA64)";
    default: return "";
  }
}

}  // namespace

const char* levelName(int32_t level) {
  switch (level) {
    case 2000: return "[INFO]";
    case 3000: return "[WARN]";
    case 4000: return "[ERROR]";
    case 5000: return "[FATAL]";
    default: return "[DEBUG]";
  }
}

const char* componentName(int32_t component) {
  if (component < 0 || component >= static_cast<int32_t>(kComponentNames.size()))
    return kComponentNames[0];
  return kComponentNames[static_cast<size_t>(component)];
}

std::string describeSystem(const VersionData& v) {
  std::string product, platform;
  if (v.platformId == 1) {
    platform = "Win32Windows";
    product = win9xProduct(v);
  } else if (v.platformId == 2) {
    platform = "Win32NT";
    product = ntProduct(v);
    if (v.major > 5 || (v.major == 5 && v.minor != 0)) product += architecture(v.architecture);
  }
  char numbers[96];
  std::snprintf(numbers, sizeof numbers, "Version %d.%d Build %d", static_cast<int>(v.major),
                static_cast<int>(v.minor), static_cast<int>(v.build));
  return product + " (Platform " + platform + " " + numbers + ") " + v.servicePack;
}

std::string headerText(int32_t component, const std::string& systemDescription) {
  std::string h = kHashLine;
  h += "#Software: Varneth DictaDesk Pro - ";
  h += componentName(component);
  h += "\r\n";
  h += kHashLine;
  h += "===== System Information =====\r\n";
  h += "    OS : " + systemDescription + "\r\n";
  h += "\r\n";
  h += "===== Module Info =====\r\n";
  // The relay's components list no modules here.
  h += "\r\n";
  h += kHashLine;
  return h;
}

std::string lineText(const LocalTime& t, int32_t level, const std::string& message) {
  char stamp[128];
  std::snprintf(stamp, sizeof stamp, "%02d/%02d/%02d\t%02d:%02d:%02d.%03d\t", t.year, t.month,
                t.day, t.hour, t.minute, t.second, t.millisecond);
  std::string line = stamp;
  line.reserve(line.size() + message.size() + 16);
  line += levelName(level);
  line += '\t';
  line += message;
  line += "\r\n";
  return line;
}

bool formatMessage(std::string* out, const char* format, va_list args) {
  // One byte more than the limit tells whether the byte after the cut starts a
  // character or continues one.
  std::array<char, kMaxMessageBytes + 2> buf;
  int n = std::vsnprintf(buf.data(), buf.size(), format, args);
  if (n < 0) return false;
  size_t len = static_cast<size_t>(n);
  if (len > kMaxMessageBytes) {
    len = kMaxMessageBytes;
    while (len > 0 && (static_cast<unsigned char>(buf[len]) & 0xC0) == 0x80) --len;
  }
  out->assign(buf.data(), len);
  return true;
}

}  // namespace vcb::log
