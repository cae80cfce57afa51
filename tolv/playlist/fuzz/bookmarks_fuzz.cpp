// Any bytes as bookmarks.tolv: no crash, no allocation beyond the input's size,
// and what is read is written back as a file that reads the same.
#include <cstdint>
#include <cstdlib>

#include "tolv/playlist/BookmarksFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto content = tolv::ReadBookmarksFile({data, size});
  const auto written = tolv::WriteBookmarksFile(content.askForDescription.value_or(false), content.collections,
                                                content.keepOpenOnDoubleClick.value_or(false));
  const auto again = tolv::ReadBookmarksFile(written);
  if (again.collections != content.collections || !again.keepOpenOnDoubleClick) std::abort();
  return 0;
}
