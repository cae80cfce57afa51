#pragma once
// Conversion through the external converter: formats the embedded player
// handles badly become a copy beside the source, named after the whole
// source name plus the new extension (talk.wma -> talk.wma.wav), made once
// and reused on later openings.
#include <array>
#include <string>

#include "tolv/convert/ConvertPorts.h"

namespace tolv {

struct ConversionRule {
  int* setting;
  const wchar_t* from;
  const wchar_t* to;
  const wchar_t* options;
};

// In the order they are tried.
const std::array<ConversionRule, 6>& ConversionRules();

inline constexpr wchar_t kConverterFileName[] = L"ffmpeg.exe";
inline constexpr wchar_t kReadOnlyText[] =
    L"The application cannot convert because one or more of your files is in a read-only location such as a "
    L"CD-ROM. Please move your file(s) to a writable location (for example a new folder on your Desktop) before "
    L"converting them.";

// The converter's program text: "<folder>\ffmpeg.exe" in double quotes.
std::wstring ConverterProgram(const std::wstring& programFolder);
// -i "<source>" <options> "<target>"; empty options leave two spaces.
std::wstring ConverterParameters(const std::wstring& source, const std::wstring& options, const std::wstring& target);

class CConverter {
 public:
  CConverter(IConvertPlatform& platform, IConvertUi& ui, IConvertedMedia& playlist)
      : platform_(platform), ui_(ui), playlist_(playlist) {}

  // Tries every rule whose setting is on against the file's extension as it
  // was on entry; path then names the file to open.
  void ConvertIfConfigured(std::wstring& path);
  // One conversion of a path ending in `from` into path + `to`.
  void ConvertFile(std::wstring& path, const std::wstring& from, const std::wstring& to, const std::wstring& options);

 private:
  IConvertPlatform& platform_;
  IConvertUi& ui_;
  IConvertedMedia& playlist_;
};

}  // namespace tolv
