#include "tolv/config/files/ConfigurationFiles.h"

#include <optional>
#include <string_view>

#include "tolv/config/Archive.h"
#include "tolv/config/Settings.h"
#include "tolv/hotkeys/Hotkeys.h"
#include "tolv/timestamps/TimestampStyle.h"

namespace tolv {

const wchar_t* const kMainConfigurationFile = L"tolv3.cfg";
const wchar_t* const kConfigurationFolder = L"Configuration\\";
const wchar_t* const kDefaultConfigurationName = L"DEFAULT";

namespace {

// One list of fields per file section serves both directions: the same
// function runs with a FieldReader to load and with a FieldWriter to save.

class FieldReader {
 public:
  explicit FieldReader(std::span<const uint8_t> bytes) : in_(bytes) {}
  // A failed read leaves the variable as it was; so does every read after it.
  void i32(int32_t& value) { in_.readI32(value); }
  void flag(bool& value) {
    int32_t v;
    if (in_.readI32(v)) value = v != 0;
  }
  void u8(uint8_t& value) { in_.readU8(value); }
  void str(std::wstring& value) { in_.readString(value); }
  void f64(double& value) { in_.readDouble(value); }
  void dateFlag(int32_t& value) { i32(value); }
  bool ok() const { return in_.ok(); }

 private:
  ArchiveReader in_;
};

class FieldWriter {
 public:
  void i32(int32_t& value) { out_.writeI32(value); }
  void flag(bool& value) { out_.writeI32(value ? 1 : 0); }
  void u8(uint8_t& value) { out_.writeU8(value); }
  void str(std::wstring& value) { out_.writeString(value); }
  void f64(double& value) { out_.writeDouble(value); }
  void dateFlag(int32_t& value) {
    if (value == 0) value = 1;
    out_.writeI32(value);
  }
  std::vector<uint8_t> take() { return out_.take(); }

 private:
  ArchiveWriter out_;
};

CTipHotkeys& Record(int id) { return HotkeyTable[id - 1]; }

// tolv3.cfg up to the point where the named configuration is loaded or saved.
template <class Io>
void MainHead(Io& io) {
  io.i32(playMode);
  io.i32(playLengthSeconds);
  io.i32(jumpBackSeconds);
  io.flag(vecPedalLayout);
  io.i32(appearanceColorFrom);
  io.i32(appearanceColorTo);
  io.i32(alwaysOnTop);
  for (int id = HotkeyPlay; id <= HotkeyTimeStamp; ++id) {
    io.u8(Record(id).virtualKey);
    io.str(Record(id).keyName);
  }
  for (int id = HotkeyShortcut1; id <= HotkeyRx; ++id) {
    io.u8(Record(id).virtualKey);
    io.str(Record(id).keyName);
    io.str(Record(id).text);
  }
  for (int32_t& f : reservedConfig.extensionFlags) io.i32(f);
  io.dateFlag(reservedConfig.dateFlag);
  io.i32(reservedConfig.dateStatus);
  io.f64(reservedConfig.dateValue);
  io.flag(switchPedalFfRew);
  for (auto& text : reservedConfig.textsBeforeResizeHelp) io.str(text);
  io.i32(showVideoResizeHelp);
  for (auto& text : reservedConfig.textsAfterResizeHelp) io.str(text);
  io.i32(reservedConfig.valueBeforeOffset);
  io.str(timestampOffsetSign);
  io.str(timestampOffsetHours);
  io.str(timestampOffsetMinutes);
  io.str(timestampOffsetSeconds);
  io.i32(timestampOffset);
  for (int32_t& v : reservedConfig.valuesAfterOffset) io.i32(v);
  io.i32(pxSeconds);
  io.i32(rxSeconds);
  io.str(currentConfigurationName);
  io.i32(convertFlvToMpg);
  io.i32(convertWmvToMpg);
  io.i32(convertMp3ToWav);
  io.flag(displayTimeRemaining);
}

void DisabledFlag(auto& io, int id) { io.flag(hotkeyDisabled[id - 1]); }

// tolv3.cfg after the named configuration.
template <class Io>
void MainTail(Io& io) {
  io.u8(Record(HotkeyBookmark).virtualKey);
  io.str(Record(HotkeyBookmark).keyName);
  for (int id : {HotkeyPlay, HotkeyStop, HotkeyRew, HotkeyFf, HotkeyRx, HotkeyPx, HotkeyTimeStamp, HotkeyBookmark})
    DisabledFlag(io, id);
  io.i32(convertWmaToWav);
  io.i32(convertMp4aToMpg);
  io.i32(convertMp4ToMpg);
  for (int id = HotkeyShortcut1; id <= HotkeyShortcut5; ++id) DisabledFlag(io, id);
  io.i32(philipsEquipment);
  io.i32(toggleSpeedPercent);
  for (int id = HotkeySpeedToggle; id <= HotkeyDecreaseSpeed; ++id) {
    io.str(Record(id).keyName);
    io.str(Record(id).text);
    io.u8(Record(id).virtualKey);
  }
  io.i32(speedPercent);
  for (int id = HotkeySpeedToggle; id <= HotkeyDecreaseSpeed; ++id) DisabledFlag(io, id);
  io.i32(useClipboardForWord);
}

template <class Io>
void NamedFields(Io& io) {
  TimestampStyle& s = timestampStyle;
  io.i32(s.includeHours);
  io.i32(s.includeMinutes);
  io.i32(s.includeSeconds);
  io.i32(s.showFractions);
  io.i32(s.fractionDigits);
  io.i32(s.showFrames);
  io.i32(s.boldTimestamps);
  io.i32(s.oneDigitHours);
  io.i32(s.hideHours);
  io.str(s.beforeHours);
  io.str(s.beforeMinutes);
  io.str(s.beforeSeconds);
  io.str(s.afterSeconds);
  io.str(s.afterFraction);
  io.str(s.afterFrames);
  io.i32(s.framesPerSecond);
  io.i32(intervalTimestamps);
  io.i32(paragraphTimestamps);
  io.i32(intervalSeconds);
  io.str(s.positivePattern);
  io.str(s.negativePattern);
  for (int id = HotkeyShortcut1; id <= HotkeyShortcut5; ++id) io.str(Record(id).keyName);
  for (int id = HotkeyShortcut1; id <= HotkeyShortcut5; ++id) io.str(Record(id).text);
  io.i32(s.italicTimestamps);
  for (int id = HotkeyShortcut1; id <= HotkeyShortcut5; ++id) io.u8(Record(id).virtualKey);
  io.i32(subtractSeconds);
  io.i32(delaySeconds);
  io.i32(paragraphEnterCount);
  io.i32(delayTimestamps);
  io.i32(subtractTimestamps);
  io.i32(paragraphNewLine);
}

const std::wstring& CurrentName() {
  if (currentConfigurationName.empty()) currentConfigurationName = kDefaultConfigurationName;
  return currentConfigurationName;
}

}  // namespace

std::wstring MainConfigurationPath(IDataFiles& files) { return files.dataFolder() + kMainConfigurationFile; }

std::wstring ConfigurationFolderPath(IDataFiles& files) { return files.dataFolder() + kConfigurationFolder; }

std::wstring NamedConfigurationPath(IDataFiles& files, const std::wstring& name) {
  return ConfigurationFolderPath(files) + name;
}

bool IsPlainConfigurationName(const std::wstring& name) {
  if (name.empty() || name.find_first_not_of(L". ") == std::wstring::npos) return false;
  for (wchar_t c : name)
    if (c < 32 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) return false;
  return true;
}

bool ReadNamedConfigurationFields(std::span<const uint8_t> bytes) {
  FieldReader in(bytes);
  NamedFields(in);
  return in.ok();
}

std::vector<uint8_t> WriteNamedConfigurationFields() {
  FieldWriter out;
  NamedFields(out);
  return out.take();
}

void ResetTimestampStyleAndIntervals() {
  timestampStyle = TimestampStyle{};
  intervalTimestamps = 0;
  paragraphTimestamps = 0;
  intervalSeconds = 0;
  RebuildPatterns();
}

void ResetConfigurationToFirstStart() {
  ResetPlaybackSettings();
  FillDefaultHotkeys();
  hotkeyDisabled = DefaultHotkeyDisabled();
  timestampStyle = TimestampStyle{};
}

bool LoadNamedConfiguration(IDataFiles& files) {
  // A name that would leave the folder (a damaged or edited tolv3.cfg) reads as missing.
  const bool plain = IsPlainConfigurationName(CurrentName());
  const auto bytes =
      plain ? files.readFile(NamedConfigurationPath(files, CurrentName()), kMaxConfigurationFileBytes) : std::nullopt;
  const bool ok = bytes && ReadNamedConfigurationFields(*bytes);
  // The stored patterns are never trusted: they follow from the fields.
  RebuildPatterns();
  if (!ok) {
    // Shortcuts and the other automatic-timestamp settings keep what they hold,
    // including anything read before the file ended.
    currentConfigurationName = kDefaultConfigurationName;
    ResetTimestampStyleAndIntervals();
  }
  return ok;
}

void SaveNamedConfiguration(IDataFiles& files) {
  if (!IsPlainConfigurationName(CurrentName())) return;
  const std::wstring path = NamedConfigurationPath(files, CurrentName());
  files.replaceFile(path, WriteNamedConfigurationFields());
}

void LoadMainConfiguration(IDataFiles& files) {
  files.createFolder(ConfigurationFolderPath(files));
  bool namedLoaded = false;
  bool complete = false;
  if (const auto bytes = files.readFile(MainConfigurationPath(files), kMaxConfigurationFileBytes)) {
    FieldReader in(*bytes);
    MainHead(in);
    if (in.ok()) {
      namedLoaded = LoadNamedConfiguration(files);
      MainTail(in);
      complete = in.ok();
    }
  }
  if (!complete) {
    // A first start or a damaged file: a whole file takes its place at once,
    // and "DEFAULT" becomes current. The rewrite also saves the named
    // configuration, so memory must hold DEFAULT's own values first: written
    // over another configuration, or over a saved DEFAULT, the values of a
    // half-read file would destroy it.
    const bool defaultSaved = files.canOpen(NamedConfigurationPath(files, kDefaultConfigurationName));
    if (!namedLoaded && !defaultSaved) {
      currentConfigurationName.clear();  // written as on a first start; DEFAULT gets what is in memory
    } else if (!namedLoaded || currentConfigurationName != kDefaultConfigurationName) {
      currentConfigurationName = kDefaultConfigurationName;
      LoadNamedConfiguration(files);
    }
    SaveMainConfiguration(files);
    currentConfigurationName = kDefaultConfigurationName;
    RebuildPatterns();
  }
}

void SaveMainConfiguration(IDataFiles& files) {
  FieldWriter out;
  MainHead(out);
  SaveNamedConfiguration(files);
  MainTail(out);
  files.replaceFile(MainConfigurationPath(files), out.take());
}

}  // namespace tolv
