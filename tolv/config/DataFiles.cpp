#include "tolv/config/DataFiles.h"

namespace tolv {

std::wstring DataFolderOfModule(std::wstring_view modulePath) {
  const size_t slash = modulePath.rfind(L'\\');
  if (slash == std::wstring_view::npos) return {};
  return std::wstring(modulePath.substr(0, slash + 1));
}

std::wstring ChooseDataFolder(const std::wstring& programFolder, bool programFolderWritable,
                              const std::wstring& perUserFolder) {
  if (!programFolder.empty() && programFolderWritable) return programFolder;
  return perUserFolder.empty() ? programFolder : perUserFolder;
}

std::wstring FileNamePart(std::wstring_view path) {
  const size_t slash = path.find_last_of(L"\\/");
  return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

}  // namespace tolv
