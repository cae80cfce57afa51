// Any bytes as playlist.tolv: no crash, no allocation beyond the input's size,
// and what is read is written back as a file that reads the same.
#include <cstdint>
#include <cstdlib>

#include "tolv/playlist/PlaylistFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto entries = tolv::ReadPlaylistFile({data, size});
  const auto written = tolv::WritePlaylistFile(entries);
  if (tolv::WritePlaylistFile(tolv::ReadPlaylistFile(written)) != written) std::abort();
  return 0;
}
