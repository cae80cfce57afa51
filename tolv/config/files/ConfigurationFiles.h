#pragma once
// The player's configuration files beside the executable:
//   tolv3.cfg                  player, pedal, hotkey, display and conversion settings
//   Configuration\<name>       one named configuration: timestamp style, automatic
//                              timestamps and keyboard shortcuts 1-5
// Both are flat runs of archive fields without header or version, loaded into and
// saved from the process-wide settings. The named configuration sits in the middle
// of the main file's load and save, so its shortcuts win over the main file's.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tolv/config/DataFiles.h"

namespace tolv {

// A valid file is a few kilobytes; reading stops here, so a file of any size
// costs bounded memory (a longer one reads as cut off).
constexpr size_t kMaxConfigurationFileBytes = 4u << 20;

extern const wchar_t* const kMainConfigurationFile;      // "tolv3.cfg"
extern const wchar_t* const kConfigurationFolder;        // "Configuration\"
extern const wchar_t* const kDefaultConfigurationName;   // "DEFAULT"

std::wstring MainConfigurationPath(IDataFiles& files);
std::wstring ConfigurationFolderPath(IDataFiles& files);
std::wstring NamedConfigurationPath(IDataFiles& files, const std::wstring& name);
// A name that stays a plain file of the Configuration folder: not empty, none of
// \ / : * ? " < > | or control characters, and not only dots and spaces (".."
// would climb out of the folder). A name read from a file that fails this is
// never used as a path.
bool IsPlainConfigurationName(const std::wstring& name);

// Reads tolv3.cfg and, half-way through, the current named configuration. A
// missing, short or unreadable file keeps what was read, is written again at
// once with the values in memory, and leaves "DEFAULT" as the current name;
// a saved DEFAULT is loaded before that rewrite, and no other named
// configuration is written. Creates the Configuration folder when it is missing.
void LoadMainConfiguration(IDataFiles& files);
// Writes tolv3.cfg and the current named configuration. Write failures are
// ignored; a failed write leaves the previous file whole.
void SaveMainConfiguration(IDataFiles& files);
// Reads the current named configuration (an empty name is "DEFAULT"); the
// patterns are rebuilt afterwards. A missing or short file resets the style and
// the interval settings and makes "DEFAULT" current. True when read whole.
bool LoadNamedConfiguration(IDataFiles& files);
// Writes the current named configuration into the Configuration folder, which
// it does not create. Failures are ignored.
void SaveNamedConfiguration(IDataFiles& files);

// The 43 fields of a named configuration, from and into the settings. Reading
// stops at the first field that does not fit and reports false; what was read
// before it stays.
bool ReadNamedConfigurationFields(std::span<const uint8_t> bytes);
std::vector<uint8_t> WriteNamedConfigurationFields();

// The default timestamp style and no interval or paragraph timestamps, with the
// patterns rebuilt; the other automatic-timestamp settings stay.
void ResetTimestampStyleAndIntervals();

// Every setting kept in the configuration files back to its first-start value.
void ResetConfigurationToFirstStart();

}  // namespace tolv
