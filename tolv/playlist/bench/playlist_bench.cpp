// A playlist refresh with 500 entries, and loading plus saving that playlist,
// against files in memory: the cost of the file format and the list, without disk.
#include <benchmark/benchmark.h>

#include "tolv/app/tests/fakes/FakeProfileStore.h"
#include "tolv/config/tests/fakes/FakeDataFiles.h"
#include "tolv/playlist/BookmarkList.h"
#include "tolv/playlist/Playlist.h"
#include "tolv/playlist/tests/fakes/FakePlaylistPorts.h"

namespace {

using namespace tolv;
using namespace tolv::testing;

struct World {
  FakeDataFiles files;
  FakeClock clock;
  FakePlaylistMessages messages;
  FakeProfileStore profile;
  CSettingsStore settings{profile};

  explicit World(int entries) {
    std::vector<PlaylistEntry> list;
    for (int i = 0; i < entries; ++i) {
      PlaylistEntry e;
      e.path = L"C:\\Users\\typist\\Documents\\Dictations\\2024\\client " + std::to_wstring(i % 17) +
               L"\\interview " + std::to_wstring(i) + L".mp3";
      e.fileName = FileNamePart(e.path);
      e.lengthSeconds = (i * 7919) % 7200;
      e.playpointSeconds = i % 600;
      e.sizeMegabytes = i * 0.37;
      e.lastAccessed = 1700000000 + (i * 104729) % 1000000;
      files.files[e.path] = {};
      list.push_back(std::move(e));
    }
    files.files[files.inData(L"playlist.tolv")] = WritePlaylistFile(list);
  }
};

void BM_RefreshPlaylist500(benchmark::State& state) {
  World w(500);
  Playlist p(w.files, w.clock, w.messages, w.settings);  // sorted by last accessed
  for (auto _ : state) {
    p.RefreshPlaylist();
    benchmark::DoNotOptimize(p.rows().data());
  }
  state.counters["rows"] = static_cast<double>(p.rows().size());
  state.counters["file bytes"] = static_cast<double>(w.files.at(w.files.inData(L"playlist.tolv")).size());
}
BENCHMARK(BM_RefreshPlaylist500)->Unit(benchmark::kMicrosecond);

void BM_LoadAndSavePlaylist500(benchmark::State& state) {
  World w(500);
  Playlist p(w.files, w.clock, w.messages, w.settings);
  for (auto _ : state) {
    p.LoadPlaylist();
    p.SavePlaylist();
  }
}
BENCHMARK(BM_LoadAndSavePlaylist500)->Unit(benchmark::kMicrosecond);

void BM_LoadAndSaveBookmarks(benchmark::State& state) {
  World w(0);
  CBookmarkList list(w.files, w.clock, w.messages);
  for (int m = 0; m < 100; ++m)
    for (int b = 0; b < 20; ++b)
      list.AddBookmarkAtCurrentPosition(L"C:\\media\\" + std::to_wstring(m) + L".wav", b * 30.0, L"check this word");
  for (auto _ : state) {
    list.LoadBookmarks(false);
    list.SaveBookmarks();
  }
  state.counters["bookmarks"] = 2000;
}
BENCHMARK(BM_LoadAndSaveBookmarks)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
