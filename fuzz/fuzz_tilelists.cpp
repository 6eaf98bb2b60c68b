// Reads arbitrary bytes as "tilelists.txt"; what was read must write and read
// back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/tilelists.h"

using namespace tarvolin::project;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<TileList> first;
  LineReader in(text);
  readTileLists(in, first);
  for (const TileList& l : first) (void)l.imageCovering(0, 0);
  const std::string written = writeTileLists(first);
  std::vector<TileList> second;
  LineReader again(written);
  if (!readTileLists(again, second)) std::abort();
  if (writeTileLists(second) != written) std::abort();
  TileListList().checkText(text);
  return 0;
}
