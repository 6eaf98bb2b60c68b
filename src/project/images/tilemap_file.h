// Tile-map files (".tvm"): "TM", a version, the width and height in entries,
// then the entries row by row, one byte each (version 0x0101) or two
// (version 0x0100), little-endian.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "project/images/image.h"

namespace tarvolin::project {

inline constexpr std::uint16_t kTileMapVersionWide = 0x0100;   // 16-bit entries
inline constexpr std::uint16_t kTileMapVersionNarrow = 0x0101; // 8-bit entries

struct TileMapFile {
  std::uint16_t version = kTileMapVersionWide;
  int width = 0;
  int height = 0;
  std::vector<std::uint16_t> entries;  // width x height, row by row

  bool wide() const { return version == kTileMapVersionWide; }
  std::uint16_t at(int x, int y) const {
    return entries[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                   static_cast<std::size_t>(x)];
  }
};

// Reads a tile-map file; refuses another magic or version, a zero width or
// height, and a file shorter than its entries.
bool readTileMap(ByteView bytes, TileMapFile& out, std::string& error);

// Writes a tile map; fails for an unknown version, a zero or too large size,
// a wrong entry count, or a one-byte map with an entry above 255.
bool writeTileMap(const TileMapFile& map, Bytes& out, std::string& error);

}  // namespace tarvolin::project
