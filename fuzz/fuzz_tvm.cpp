#include <algorithm>
#include <cstdlib>

#include "project/images/tilemap_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvolin::project;
  TileMapFile map;
  std::string error;
  if (!readTileMap(ByteView(data, size), map, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  // Writing gives back the bytes that were read (the file may hold more).
  Bytes again;
  if (!writeTileMap(map, again, error)) std::abort();
  if (again.size() > size || !std::equal(again.begin(), again.end(), data)) std::abort();
  return 0;
}
