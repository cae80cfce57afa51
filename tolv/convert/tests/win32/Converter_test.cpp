// The real converter start (ShellExecuteExW and the wait on its process)
// against a converter double that records the command line it received.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testsupport/win32/WinTest.h"
#include "tolv/config/Settings.h"
#include "tolv/convert/Converter.h"
#include "tolv/convert/win32/Win32ConvertPorts.h"

namespace tolv {
namespace {

class RecordingUi : public IConvertUi {
 public:
  std::vector<std::wstring> warnings;
  int notes = 0;
  void warn(std::wstring_view text) override { warnings.emplace_back(text); }
  bool askYesNo(std::wstring_view) override { return false; }
  void showWaitNote(std::wstring_view) override { ++notes; }
  void closeWaitNote() override {}
};

class RecordingPlaylist : public IConvertedMedia {
 public:
  std::vector<std::wstring> removed;
  void RemoveFromPlaylist(const std::wstring& path) override { removed.push_back(path); }
};

std::string ReadBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes(1 << 16, '\0');
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

std::wstring ReadWide(const std::wstring& path) {
  const std::string bytes = ReadBytes(path);
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

void WriteText(const std::wstring& path, const std::string& text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

class ConverterOnWine : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPlaybackSettings();
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    root = std::wstring(temp) + kit::uniqueName(L"tolv_convert");
    program = root + L"\\Tolv program";
    media = root + L"\\media files";
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(program.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(media.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW((kit::exeFolder() + L"ffmpeg_double.exe").c_str(), (program + L"\\ffmpeg.exe").c_str(),
                          FALSE));
  }
  void TearDown() override {
    RemoveTree(root);
    ResetPlaybackSettings();
  }

  std::wstring root, program, media;
  RecordingUi ui;
  RecordingPlaylist playlist;
};

struct CommandCase {
  const wchar_t* file;
  const wchar_t* options;  // as they appear between the two paths
  const wchar_t* targetExtension;
};

class CommandLine : public ConverterOnWine, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(CommandLine, ConverterGetsTheExactCommandLineAndIsWaitedFor) {
  const CommandCase c = GetParam();
  const std::wstring source = media + L"\\" + c.file;
  const std::wstring target = source + c.targetExtension;
  WriteText(source, "media");
  CWin32ConvertPlatform platform(program);
  CConverter converter(platform, ui, playlist);

  std::wstring path = source;
  converter.ConvertIfConfigured(path);

  EXPECT_EQ(path, target);
  // Written by the double after a pause: present only if the wait waited.
  EXPECT_EQ(ReadBytes(target), std::string(source.begin(), source.end()));
  const std::wstring expected = L"\"" + program + L"\\ffmpeg.exe\" -i \"" + source + L"\" " + c.options + L" \"" +
                                target + L"\"";
  EXPECT_EQ(ReadWide(program + L"\\commandline.txt"), expected);
  EXPECT_EQ(ui.notes, 1);
  ASSERT_EQ(playlist.removed.size(), 1u);
  EXPECT_EQ(playlist.removed[0], source);
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandLine,
                         ::testing::Values(CommandCase{L"talk.WMA", L"", L".wav"},  // two spaces between the paths
                                           CommandCase{L"clip.flv", L"-b 300", L".mpg"}));

TEST_F(ConverterOnWine, ExistingCopyStartsNoConverter) {
  const std::wstring source = media + L"\\talk.wma";
  WriteText(source, "media");
  WriteText(source + L".wav", "earlier copy");
  CWin32ConvertPlatform platform(program);
  CConverter converter(platform, ui, playlist);

  std::wstring path = source;
  converter.ConvertIfConfigured(path);

  EXPECT_EQ(path, source + L".wav");
  EXPECT_EQ(ReadBytes(source + L".wav"), "earlier copy");
  EXPECT_EQ(GetFileAttributesW((program + L"\\commandline.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ConverterOnWine, MissingConverterReturnsWithoutAShellBox) {
  const std::wstring source = media + L"\\talk.wma";
  WriteText(source, "media");
  CWin32ConvertPlatform platform(media);  // no ffmpeg.exe there
  CConverter converter(platform, ui, playlist);

  std::wstring path = source;
  converter.ConvertIfConfigured(path);

  EXPECT_EQ(path, source + L".wav");
  EXPECT_FALSE(platform.fileExists(path));
  EXPECT_TRUE(ui.warnings.empty());
}

TEST_F(ConverterOnWine, FileAttributesDecideWritableAndExisting) {
  const std::wstring file = media + L"\\a.wma";
  WriteText(file, "x");
  CWin32ConvertPlatform platform(program);
  EXPECT_TRUE(platform.isWritable(file));
  EXPECT_TRUE(platform.fileExists(file));
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(platform.isWritable(file));
  EXPECT_TRUE(platform.fileExists(file));
  EXPECT_FALSE(platform.isWritable(media + L"\\none.wma"));
  EXPECT_FALSE(platform.fileExists(media + L"\\none.wma"));
  EXPECT_FALSE(platform.fileExists(media));  // a folder is not a file
}

TEST_F(ConverterOnWine, ReadOnlySourceIsNotConverted) {
  const std::wstring source = media + L"\\talk.wma";
  WriteText(source, "media");
  ASSERT_TRUE(SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_READONLY));
  CWin32ConvertPlatform platform(program);
  CConverter converter(platform, ui, playlist);

  std::wstring path = source;
  converter.ConvertIfConfigured(path);

  EXPECT_EQ(path, source);
  ASSERT_EQ(ui.warnings.size(), 1u);
  EXPECT_EQ(ui.warnings[0], kReadOnlyText);
  EXPECT_FALSE(platform.fileExists(source + L".wav"));
}

TEST(ConvertUiOnWine, WaitNoteIsShownUntilClosed) {
  CWin32ConvertUi ui(nullptr, L"Tolv");
  ui.showWaitNote(kConversionWaitText);
  HWND note = ui.waitNote();
  ASSERT_NE(note, nullptr);
  EXPECT_TRUE(IsWindowVisible(note));
  wchar_t text[512] = {};
  GetWindowTextW(note, text, 512);
  EXPECT_STREQ(text, kConversionWaitText);
  ui.closeWaitNote();
  EXPECT_FALSE(IsWindow(note));
}

TEST(ConvertPlatformOnWine, ProgramFolderIsThisExecutablesFolder) {
  CWin32ConvertPlatform platform;
  EXPECT_EQ(platform.programFolder() + L"\\", kit::exeFolder());
}

}  // namespace
}  // namespace tolv
