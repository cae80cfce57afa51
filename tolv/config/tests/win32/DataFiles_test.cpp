#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

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

TEST_F(Win32DataFilesTest, CreatesAndListsFolders) {
  const std::wstring dir = kit::exeFolder() + kit::uniqueName(L"folder") + L"\\";
  EXPECT_TRUE(files.listFiles(dir).empty());
  EXPECT_FALSE(files.createFolder(dir + L"inner\\"));  // the parent is missing
  ASSERT_TRUE(files.createFolder(dir));
  EXPECT_TRUE(files.createFolder(dir));  // already there
  ASSERT_TRUE(files.createFolder(dir + L"inner\\"));
  ASSERT_TRUE(files.replaceFile(dir + L"DEFAULT", Bytes{1}));
  ASSERT_TRUE(files.replaceFile(dir + L"Client A", Bytes{2}));
  EXPECT_FALSE(files.createFolder(dir + L"DEFAULT\\"));  // a file of that name

  auto names = files.listFiles(dir);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Client A", L"DEFAULT"}));  // no folders, no "." or ".."

  DeleteFileW((dir + L"DEFAULT").c_str());
  DeleteFileW((dir + L"Client A").c_str());
  RemoveDirectoryW((dir + L"inner").c_str());
  RemoveDirectoryW(dir.c_str());
}

}  // namespace
}  // namespace tolv
