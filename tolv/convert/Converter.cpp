#include "tolv/convert/Converter.h"

#include "tolv/config/Settings.h"
#include "tolv/playback/OpenMedia.h"

namespace tolv {

const std::array<ConversionRule, 6>& ConversionRules() {
  static const std::array<ConversionRule, 6> rules{{
      {&convertWmaToWav, L".wma", L".wav", L""},
      {&convertMp4aToMpg, L".mp4a", L".mpg", L""},
      {&convertMp4ToMpg, L".mp4", L".mpg", L""},
      {&convertWmvToMpg, L".wmv", L".mpg", L""},
      {&convertFlvToMpg, L".flv", L".mpg", L"-b 300"},
      {&convertMp3ToWav, L".mp3", L".wav", L""},
  }};
  return rules;
}

std::wstring ConverterProgram(const std::wstring& programFolder) {
  return L"\"" + programFolder + L"\\" + kConverterFileName + L"\"";
}

std::wstring ConverterParameters(const std::wstring& source, const std::wstring& options, const std::wstring& target) {
  return L"-i \"" + source + L"\" " + options + L" \"" + target + L"\"";
}

void CConverter::ConvertIfConfigured(std::wstring& path) {
  const std::wstring extension = MediumExtension(path);
  const std::wstring lower = LowerAscii(extension);
  if (lower.empty()) return;
  for (const ConversionRule& rule : ConversionRules()) {
    // x.mp4a also matches ".mp4"; by then path names x.mp4a.mpg, which no
    // longer ends in ".mp4a", so only one copy is made.
    if (*rule.setting && lower.find(rule.from) != std::wstring::npos)
      ConvertFile(path, extension, rule.to, rule.options);
  }
}

void CConverter::ConvertFile(std::wstring& path, const std::wstring& from, const std::wstring& to,
                             const std::wstring& options) {
  if (!platform_.isWritable(path)) {
    ui_.warn(kReadOnlyText);
    return;
  }
  if (from.empty() || path.size() < from.size() || path.compare(path.size() - from.size(), from.size(), from) != 0)
    return;
  const std::wstring target = path + to;
  if (!platform_.fileExists(target)) {
    const std::wstring folder = platform_.programFolder();
    auto process = platform_.startHidden(ConverterProgram(folder), ConverterParameters(path, options, target), folder);
    ui_.showWaitNote(kConversionWaitText);
    // A converter that did not start leaves no copy; the player's open reports it.
    if (process) process->WaitForExit();
    ui_.closeWaitNote();
  }
  playlist_.RemoveFromPlaylist(path);
  path = target;
}

}  // namespace tolv
