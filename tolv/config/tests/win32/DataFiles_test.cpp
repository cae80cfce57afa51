#include <windows.h>

#include <gtest/gtest.h>

#include "testsupport/win32/WinTest.h"
#include "tolv/config/win32/Win32DataFiles.h"

namespace tolv {
namespace {

using Bytes = std::vector<uint8_t>;

class Win32DataFilesTest : public ::testing::Test {
 protected:
  Win32DataFiles files;
  std::wstring path = kit::exeFolder() + kit::uniqueName(L"datafile") + L".tolv";

  void TearDown() override {
    DeleteFileW(path.c_str());
    DeleteFileW((path + L".new").c_str());
    RemoveDirectoryW((path + L".new").c_str());
  }
  bool exists(const std::wstring& p) { return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES; }
};

TEST_F(Win32DataFilesTest, DataFolderIsTheExecutablesFolder) {
  EXPECT_EQ(files.dataFolder(), kit::exeFolder());
  const std::wstring module = ModulePath();
  EXPECT_EQ(module.substr(0, files.dataFolder().size()), files.dataFolder());
  EXPECT_EQ(module.find(L'\\', files.dataFolder().size()), std::wstring::npos);
}

TEST_F(Win32DataFilesTest, WritesReplacesAndReadsBack) {
  EXPECT_FALSE(files.readFile(path, 100));
  EXPECT_FALSE(files.canOpen(path));

  Bytes first(200000);
  for (size_t i = 0; i < first.size(); ++i) first[i] = static_cast<uint8_t>(i * 7);
  ASSERT_TRUE(files.replaceFile(path, first));
  EXPECT_EQ(files.readFile(path, 1 << 20), first);
  EXPECT_EQ(files.fileSize(path), first.size());
  EXPECT_TRUE(files.canOpen(path));

  const Bytes second = {1, 2, 3};
  ASSERT_TRUE(files.replaceFile(path, second));
  EXPECT_EQ(files.readFile(path, 100), second);
  EXPECT_FALSE(exists(path + L".new"));

  EXPECT_EQ(files.readFile(path, 2), (Bytes{1, 2}));  // a longer file reads as cut off
  ASSERT_TRUE(files.replaceFile(path, {}));
  EXPECT_EQ(files.readFile(path, 100), Bytes{});
}

TEST_F(Win32DataFilesTest, FailedReplaceKeepsTheOldFile) {
  const Bytes good = {9, 9, 9};
  ASSERT_TRUE(files.replaceFile(path, good));

  // The temporary cannot be created: a folder stands in its place.
  ASSERT_TRUE(CreateDirectoryW((path + L".new").c_str(), nullptr));
  EXPECT_FALSE(files.replaceFile(path, Bytes{1}));
  EXPECT_EQ(files.readFile(path, 100), good);
  RemoveDirectoryW((path + L".new").c_str());

  // The target is held open without sharing: the rename fails, the temporary goes.
  HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(files.replaceFile(path, Bytes{2}));
  EXPECT_FALSE(files.canOpen(path));
  CloseHandle(held);
  EXPECT_EQ(files.readFile(path, 100), good);
  EXPECT_FALSE(exists(path + L".new"));
}

TEST_F(Win32DataFilesTest, MissingFolderFailsQuietly) {
  const std::wstring nowhere = kit::exeFolder() + kit::uniqueName(L"nofolder") + L"\\x.tolv";
  EXPECT_FALSE(files.replaceFile(nowhere, Bytes{1}));
  EXPECT_FALSE(files.fileSize(nowhere));
}

// An installed copy whose folder the user cannot write to keeps its record
// files in the user's own folder, which starts from the installed configuration.
class DataFolderChoiceTest : public ::testing::Test {
 protected:
  std::wstring program = kit::exeFolder() + kit::uniqueName(L"installed") + L"\\";
  std::wstring perUser = kit::exeFolder() + kit::uniqueName(L"appdata") + L"\\Quenmark\\Tolv\\";

  void SetUp() override {
    ASSERT_TRUE(CreateDirectoryW(program.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((program + L"Configuration").c_str(), nullptr));
    write(program + L"tolv3.cfg", {2, 0, 0, 0});
    write(program + L"Configuration\\DEFAULT", {7});
  }
  void TearDown() override {
    for (const std::wstring& root : {program, perUser}) {
      for (const wchar_t* name : {L"tolv3.cfg", L"Configuration\\DEFAULT", L"playlist.tolv"})
        DeleteFileW((root + name).c_str());
      RemoveDirectoryW((root + L"Configuration").c_str());
      RemoveDirectoryW(root.c_str());
    }
    // The two levels above the user's folder, made by the test.
    const std::wstring top = perUser.substr(0, perUser.size() - 15);
    RemoveDirectoryW((top + L"\\Quenmark").c_str());
    RemoveDirectoryW(top.c_str());
  }
  static void write(const std::wstring& path, const Bytes& bytes) {
    Win32DataFiles files;
    ASSERT_TRUE(files.replaceFile(path, bytes));
  }
  static Bytes read(const std::wstring& path) {
    Win32DataFiles files;
    return files.readFile(path, 100).value_or(Bytes{0xEE});
  }
};

TEST_F(DataFolderChoiceTest, WritableProgramFolderIsUsedAsItIs) {
  Win32DataFiles files(program, perUser);  // probed for real
  EXPECT_EQ(files.dataFolder(), program);
  EXPECT_EQ(GetFileAttributesW(perUser.c_str()), INVALID_FILE_ATTRIBUTES);
  // The probe leaves nothing behind.
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW((program + L"*.probe").c_str(), &found);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

TEST_F(DataFolderChoiceTest, ReadOnlyInstallationMovesToTheUsersFolderWithItsConfiguration) {
  Win32DataFiles files(program, perUser, false);
  EXPECT_EQ(files.dataFolder(), perUser);
  EXPECT_EQ(read(perUser + L"tolv3.cfg"), (Bytes{2, 0, 0, 0}));
  EXPECT_EQ(read(perUser + L"Configuration\\DEFAULT"), Bytes{7});
  ASSERT_TRUE(files.replaceFile(files.dataFolder() + L"playlist.tolv", Bytes{1}));
  EXPECT_EQ(GetFileAttributesW((program + L"playlist.tolv").c_str()), INVALID_FILE_ATTRIBUTES);

  // The user's own files are never overwritten by the installed ones.
  write(perUser + L"tolv3.cfg", {1, 0, 0, 0});
  write(program + L"tolv3.cfg", {0, 0, 0, 0});
  Win32DataFiles again(program, perUser, false);
  EXPECT_EQ(again.dataFolder(), perUser);
  EXPECT_EQ(read(perUser + L"tolv3.cfg"), (Bytes{1, 0, 0, 0}));
}

TEST_F(DataFolderChoiceTest, ProbeTellsWritableFromMissingFolders) {
  EXPECT_TRUE(FolderIsWritable(program));
  EXPECT_FALSE(FolderIsWritable(program + L"absent\\"));
  EXPECT_FALSE(FolderIsWritable(L""));
  Win32DataFiles files(program + L"absent\\", perUser);
  EXPECT_EQ(files.dataFolder(), perUser);
}

TEST(PerUserDataFolder, EndsInTheMakersFolder) {
  const std::wstring folder = PerUserDataFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.substr(folder.size() - 15), L"\\Quenmark\\Tolv\\");
}

}  // namespace
}  // namespace tolv
