// Stands in for the external converter: records its raw command line in
// commandline.txt beside itself (UTF-16, as received), then, a moment later
// so that a caller which does not wait would notice, writes the output file
// (its last argument) with the input path (the argument after -i) as content.
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

bool WriteAll(const std::wstring& path, const void* data, DWORD size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, data, size, &written, nullptr) && written == size;
  CloseHandle(file);
  return ok;
}

}  // namespace

int wmain() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self);
  folder.resize(folder.find_last_of(L'\\') + 1);

  const std::wstring line = GetCommandLineW();
  if (!WriteAll(folder + L"commandline.txt", line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t))))
    return 2;

  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(line.c_str(), &argc);
  if (!argv || argc < 4) return 3;
  std::wstring input;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::wstring(argv[i]) == L"-i") input = argv[i + 1];
  const std::wstring output = argv[argc - 1];
  LocalFree(argv);

  Sleep(300);
  const std::string content(input.begin(), input.end());
  return WriteAll(output, content.data(), static_cast<DWORD>(content.size())) ? 0 : 4;
}
