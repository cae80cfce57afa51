// The playlist and Bookmarks windows on the screen, driven by mouse and
// keyboard input the way a typist would use them.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "testsupport/win32/UiDriver.h"
#include "testsupport/win32/WinTest.h"
#include "tolv/app/win32/Win32ProfileStore.h"
#include "tolv/app/win32/WebPage.h"
#include "tolv/config/win32/Win32DataFiles.h"
#include "tolv/playlist/PlaylistFile.h"
#include "tolv/playlist/win32/DlgBookmarks.h"
#include "tolv/playlist/win32/DlgPlaylist.h"
#include "tolv/playlist/win32/PlaylistWindowIds.h"
#include "tolv/playlist/win32/Win32PlaylistPorts.h"

namespace tolv {
namespace {

class RecordedMessages : public IPlaylistMessages {
 public:
  std::vector<std::pair<std::wstring, std::wstring>> shown;
  std::vector<std::wstring> asked;
  void show(std::wstring_view caption, std::wstring_view text) override { shown.emplace_back(caption, text); }
  bool ask(std::wstring_view text) override {
    asked.emplace_back(text);
    return true;
  }
};

bool PreTranslate(MSG& msg) { return CDialog::PreTranslate(msg); }
bool PumpUntil(const std::function<bool()>& cond, DWORD ms = 5000) { return kit::pumpUntil(cond, ms, PreTranslate); }

std::wstring ItemText(HWND list, int item, int column) {
  wchar_t text[512] = {};
  LVITEMW lv{};
  lv.iSubItem = column;
  lv.pszText = text;
  lv.cchTextMax = 512;
  SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lv));
  return text;
}

int ItemCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::vector<std::wstring> Column(HWND list, int column) {
  std::vector<std::wstring> texts;
  for (int i = 0; i < ItemCount(list); ++i) texts.push_back(ItemText(list, i, column));
  return texts;
}

// Centre of a row's cell in screen coordinates.
POINT CellCentre(HWND list, int item, int column) {
  RECT r{};
  r.top = column;
  r.left = LVIR_BOUNDS;
  SendMessageW(list, LVM_GETSUBITEMRECT, item, reinterpret_cast<LPARAM>(&r));
  if (column == 0) r.right = r.left + static_cast<LONG>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0));
  return kit::screenCentre(list, r);
}

// A shell drop of these paths, as the desktop hands it over.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
  size_t chars = 1;
  for (const auto& p : paths) chars += p.size() + 1;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  auto* out = reinterpret_cast<wchar_t*>(drop + 1);
  for (const auto& p : paths) {
    std::memcpy(out, p.c_str(), p.size() * sizeof(wchar_t));
    out += p.size() + 1;
  }
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

// A data folder of its own for each test, with media files in it.
class WindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = kit::freshFolder(L"windows");
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, profileKey.c_str());
    kit::removeFolder(folder);
  }

  std::wstring Media(const std::wstring& name, size_t bytes = 16) {
    const std::wstring path = folder + name;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::vector<char> data(bytes, 'x');
    DWORD written = 0;
    WriteFile(f, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(f);
    return path;
  }

  std::wstring folder;
  std::wstring profileKey = L"Software\\" + kit::uniqueName(L"TolvWindows");
  Win32DataFiles files{L"", L""};
  Win32Clock clock;
  RecordedMessages messages;
  CRegistryProfileStore profile{profileKey};
  CSettingsStore settings{profile};
};

// ------------------------------------------------------------------ playlist

class PlaylistWindowTest : public WindowsTest {
 protected:
  void SetUp() override {
    WindowsTest::SetUp();
    files = Win32DataFiles(folder, folder, true);
    window = std::make_unique<DlgPlaylist>(
        files, clock, settings, [this](const std::wstring& path, bool play) { opened.emplace_back(path, play); },
        &messages);
    ASSERT_TRUE(window->CreateHidden(nullptr));
    list = GetDlgItem(window->hwnd(), IDC_PLAYLIST_LIST);
  }
  void TearDown() override {
    window.reset();
    WindowsTest::TearDown();
  }
  HWND Header() { return reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)); }
  int HeaderFormat(int column) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    SendMessageW(Header(), HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
    return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
  }
  void ClickHeading(int column) {
    RECT r{};
    SendMessageW(Header(), HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&r));
    kit::clickAt(kit::screenCentre(Header(), r));
  }

  std::unique_ptr<DlgPlaylist> window;
  HWND list = nullptr;
  std::vector<std::pair<std::wstring, bool>> opened;
};

TEST_F(PlaylistWindowTest, ClickingLengthSortsLongestFirstThenShortestWithTheArrowFollowing) {
  window->playlist().AddToPlaylist(Media(L"short.wav"), 30, 0);
  window->playlist().AddToPlaylist(Media(L"day.wav", 1572864), 90061, 12);
  window->playlist().AddToPlaylist(Media(L"ten.wav"), 600, 0);
  window->Show();
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(window->hwnd()) && ItemCount(list) == 3; }));
  EXPECT_EQ(kit::windowText(window->hwnd()), L"Playlist");
  // 30 + 90061 + 600 seconds: hours within the day.
  EXPECT_EQ(kit::windowText(GetDlgItem(window->hwnd(), IDC_PLAYLIST_TOTAL)), L"01:11:31");

  ClickHeading(1);
  ASSERT_TRUE(PumpUntil([&] { return window->playlist().sortColumn() == 1; }));
  EXPECT_EQ(Column(list, 1), (std::vector<std::wstring>{L"01:01:01", L"00:10:00", L"00:00:30"}));
  EXPECT_EQ(HeaderFormat(1), HDF_SORTUP);
  EXPECT_EQ(HeaderFormat(4), 0);
  EXPECT_EQ(profile.GetProfileInt(L"Playlist", L"SortingOrder", -1), 1);
  EXPECT_EQ(profile.GetProfileInt(L"Playlist", L"bSortAscending", -1), 1);
  EXPECT_EQ(ItemText(list, 0, 3), L"1.50");
  kit::screenshot(window->hwnd(), L"playlist.bmp");

  // A second click, not a double-click.
  kit::pumpFor(GetDoubleClickTime() + 100, PreTranslate);
  ClickHeading(1);
  ASSERT_TRUE(PumpUntil([&] { return !window->playlist().sortDescending(); }));
  EXPECT_EQ(Column(list, 1), (std::vector<std::wstring>{L"00:00:30", L"00:10:00", L"01:01:01"}));
  EXPECT_EQ(HeaderFormat(1), HDF_SORTDOWN);
  EXPECT_EQ(profile.GetProfileInt(L"Playlist", L"bSortAscending", -1), 0);
}

TEST_F(PlaylistWindowTest, DroppedFilesPastFiveHundredAreRefusedAndUpToItAreAdded) {
  const std::wstring one = Media(L"one.wav");
  std::vector<PlaylistEntry> entries(498);
  for (auto& e : entries) {
    e.path = one;
    e.fileName = L"one.wav";
  }
  const auto bytes = WritePlaylistFile(entries);
  ASSERT_TRUE(files.replaceFile(folder + L"playlist.tolv", bytes));
  window->Show();
  ASSERT_TRUE(PumpUntil([&] { return ItemCount(list) == 498; }));

  PostMessageW(list, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({Media(L"a.wav"), Media(L"b.wav"), Media(L"c.wav")})), 0);
  ASSERT_TRUE(PumpUntil([&] { return !messages.shown.empty(); }));
  EXPECT_EQ(messages.shown[0].second, L"Maximum 500 files can be added at one time.");
  EXPECT_TRUE(opened.empty());

  // Two more fit: each goes to the open without playing, names sorted A to Z.
  PostMessageW(list, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({folder + L"b.wav", folder + L"a.wav"})), 0);
  ASSERT_TRUE(PumpUntil([&] { return opened.size() == 2; }));
  EXPECT_EQ(opened[0], std::make_pair(folder + L"b.wav", false));
  EXPECT_EQ(opened[1], std::make_pair(folder + L"a.wav", false));
  EXPECT_EQ(window->playlist().sortColumn(), 0);
  EXPECT_FALSE(window->playlist().sortDescending());
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(PlaylistWindowTest, DoubleClickOpensAndPlaysTheRowAndHidesTheWindow) {
  const std::wstring first = Media(L"first.wav"), second = Media(L"second.wav");
  window->playlist().AddToPlaylist(first, 10, 0);
  window->playlist().AddToPlaylist(second, 20, 0);
  window->playlist().ClickColumn(0);  // descending: second.wav on top
  window->Show();
  ASSERT_TRUE(PumpUntil([&] { return ItemCount(list) == 2; }));
  ASSERT_EQ(ItemText(list, 0, 0), L"second.wav");

  kit::clickAt(CellCentre(list, 0, 0), true);
  ASSERT_TRUE(PumpUntil([&] { return !opened.empty(); }));
  EXPECT_EQ(opened[0], std::make_pair(second, true));
  EXPECT_FALSE(IsWindowVisible(window->hwnd()));

  // A file gone from the disk is reported and drops out.
  DeleteFileW(first.c_str());
  window->Show();
  ASSERT_TRUE(PumpUntil([&] { return ItemCount(list) == 1; }));
  window->playlist().setPlayerFile(L"");
  DeleteFileW(second.c_str());
  kit::clickAt(CellCentre(list, 0, 0), true);
  ASSERT_TRUE(PumpUntil([&] { return !messages.shown.empty(); }));
  EXPECT_EQ(messages.shown[0],
            std::make_pair(std::wstring(L"Error playing file"),
                           std::wstring(L"second.wav  is not found, and will be removed automatically from the Playlist.")));
  EXPECT_TRUE(PumpUntil([&] { return ItemCount(list) == 0; }));
  EXPECT_EQ(opened.size(), 1u);
}

TEST_F(PlaylistWindowTest, ClosingAWindowThatNeverReadThePlaylistLeavesTheFileAlone) {
  std::vector<PlaylistEntry> entries(1);
  entries[0].path = Media(L"kept.wav");
  entries[0].fileName = L"kept.wav";
  ASSERT_TRUE(files.replaceFile(folder + L"playlist.tolv", WritePlaylistFile(entries)));
  // Destroying the window (with the main window at exit) saves what it holds; it holds nothing read.
  DestroyWindow(window->hwnd());
  const auto bytes = files.readFile(folder + L"playlist.tolv", 1 << 20);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(ReadPlaylistFile(*bytes).size(), 1u);
}

// ----------------------------------------------------------------- bookmarks

class SteppingClock : public IClock {
 public:
  int64_t seconds = 1700000000;
  int64_t now() override { return seconds++; }
  std::wstring localText(int64_t time, const wchar_t*) override {
    return L"10:00:" + std::to_wstring(time % 60) + L" 01.02.2026";
  }
};

class FakePlayer : public IBookmarkPlayer {
 public:
  std::wstring key = L"C:\\media\\talk.wav";
  double at = 0;
  int pauses = 0;
  std::vector<int32_t> playedFrom;
  std::wstring mediumKey() override { return key; }
  double position() override { return at; }
  void pause() override { ++pauses; }
  void playFrom(int32_t seconds) override { playedFrom.push_back(seconds); }
};

class BookmarksWindowTest : public WindowsTest {
 protected:
  void SetUp() override {
    WindowsTest::SetUp();
    files = Win32DataFiles(folder, folder, true);
    window = std::make_unique<DlgBookmarks>(files, stepping, player, &messages);
    ASSERT_TRUE(window->CreateHidden(nullptr));
    list = GetDlgItem(window->hwnd(), IDC_BOOKMARK_LIST);
  }
  void TearDown() override {
    window.reset();
    WindowsTest::TearDown();
  }
  void AddAt(double position) {
    player.at = position;
    window->AddBookmarkAtCurrentPosition();
  }
  void Click(int id) { SendMessageW(GetDlgItem(window->hwnd(), id), BM_CLICK, 0, 0); }
  void ShowWindowNow() {
    window->Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(window->hwnd()); }));
  }

  SteppingClock stepping;
  FakePlayer player;
  std::unique_ptr<DlgBookmarks> window;
  HWND list = nullptr;
};

TEST_F(BookmarksWindowTest, DeleteRemovesTheBookmarkWithTheSelectedCreationTime) {
  AddAt(83.9);
  AddAt(83.2);
  AddAt(20);
  ShowWindowNow();
  ASSERT_EQ(ItemCount(list), 3);
  EXPECT_EQ(Column(list, 1), (std::vector<std::wstring>{L"00:00:20", L"00:01:23", L"00:01:23"}));
  EXPECT_EQ(Column(list, 0), (std::vector<std::wstring>{L"1", L"2", L"3"}));
  const std::wstring second = ItemText(list, 2, 2);
  const std::wstring first = ItemText(list, 1, 2);
  ASSERT_NE(first, second);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(window->addedNote().hwnd()); }));
  kit::screenshot(window->hwnd(), L"bookmarks.bmp");

  kit::clickAt(CellCentre(list, 2, 1));
  ASSERT_TRUE(PumpUntil([&] { return SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == 2; }));
  Click(IDC_BOOKMARK_DELETE);
  ASSERT_EQ(messages.asked, std::vector<std::wstring>{L"Delete this bookmark?"});
  ASSERT_EQ(ItemCount(list), 2);
  EXPECT_EQ(ItemText(list, 1, 2), first);

  // A double-click plays from the bookmark and closes the window.
  kit::clickAt(CellCentre(list, 1, 1), true);
  ASSERT_TRUE(PumpUntil([&] { return !player.playedFrom.empty(); }));
  EXPECT_EQ(player.playedFrom[0], 83);
  EXPECT_FALSE(IsWindowVisible(window->hwnd()));
}

TEST_F(BookmarksWindowTest, CancelAfterClearingAllBookmarksBringsThemBack) {
  AddAt(60);
  AddAt(120);
  ShowWindowNow();
  Click(IDC_BOOKMARK_CLEAR);
  EXPECT_EQ(ItemCount(list), 0);
  Click(IDCANCEL);
  EXPECT_FALSE(IsWindowVisible(window->hwnd()));
  EXPECT_EQ(Column(list, 1), (std::vector<std::wstring>{L"00:01:00", L"00:02:00"}));

  // OK makes the clearing permanent.
  ShowWindowNow();
  Click(IDC_BOOKMARK_CLEAR);
  Click(IDOK);
  window->bookmarks().LoadBookmarks(true);
  EXPECT_TRUE(window->bookmarks().rows().empty());
}

TEST_F(BookmarksWindowTest, TheAddedNoteShowsForAMomentAndGoes) {
  AddAt(5);
  HWND note = window->addedNote().hwnd();
  ASSERT_TRUE(IsWindowVisible(note));
  EXPECT_EQ(kit::windowText(GetDlgItem(note, IDC_BOOKMARK_ADDED_TEXT)), L"Bookmark added");
  kit::screenshot(note, L"bookmark-added.bmp");
  const DWORD start = GetTickCount();
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(note); }));
  EXPECT_GE(GetTickCount() - start + 20, DlgBookmarkAdded::kShowMs);
}

TEST_F(BookmarksWindowTest, WithoutAMediumNothingIsAdded) {
  player.key.clear();
  AddAt(5);
  EXPECT_FALSE(IsWindowVisible(window->addedNote().hwnd()));
  EXPECT_TRUE(window->bookmarks().rows().empty());
}

TEST_F(BookmarksWindowTest, ADescriptionIsTypedIntoItsCellAndKeptWithOk) {
  AddAt(42);
  ShowWindowNow();
  kit::clickAt(CellCentre(list, 0, 3));
  ASSERT_TRUE(PumpUntil([&] { return window->cellEditor() != nullptr && GetFocus() == window->cellEditor(); }));
  kit::typeText(L"hard passage");
  kit::pressKey(VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return window->cellEditor() == nullptr; }));
  EXPECT_EQ(ItemText(list, 0, 3), L"hard passage");
  EXPECT_TRUE(IsWindowVisible(window->hwnd())) << "Enter ends the edit, not the window";
  Click(IDOK);
  window->bookmarks().LoadBookmarks(true);
  ASSERT_EQ(window->bookmarks().rows().size(), 1u);
  EXPECT_EQ(window->bookmarks().rows()[0].texts[3], L"hard passage");
}

TEST_F(BookmarksWindowTest, AskingForADescriptionPausesAndAddsWhatIsTyped) {
  ShowWindowNow();
  SendMessageW(GetDlgItem(window->hwnd(), IDC_BOOKMARK_ASK), BM_CLICK, 0, 0);
  ASSERT_TRUE(window->bookmarks().askForDescription);
  // The question is modal: the typist answers it from her own thread here.
  std::thread typist([] {
    HWND ask = nullptr;
    if (!kit::waitFor([&] { return (ask = FindWindowW(L"#32770", L"Enter description")) != nullptr; }, 10000)) return;
    kit::waitFor([&] { return IsWindowVisible(ask) != FALSE; }, 5000);
    kit::screenshot(ask, L"bookmark-text.bmp");
    SendMessageW(GetDlgItem(ask, IDC_BOOKMARK_TEXT_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Speaker two"));
    SendMessageW(GetDlgItem(ask, IDOK), BM_CLICK, 0, 0);
  });
  AddAt(7);
  EXPECT_EQ(player.pauses, 1);
  EXPECT_EQ(ItemCount(list), 0) << "nothing is added before the description";
  const bool added = PumpUntil([&] { return ItemCount(list) == 1; }, 15000);
  typist.join();
  ASSERT_TRUE(added);
  EXPECT_EQ(ItemText(list, 0, 3), L"Speaker two");
}

}  // namespace
}  // namespace tolv
