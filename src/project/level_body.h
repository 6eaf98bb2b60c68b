// The binary body of a level: its tile map (1..4 layers of 16-bit GBA text
// background entries), the 2048-byte block the level carries unchanged, and
// its stamps. Stored as "LevelData/LevBody_<name>.dat" under the source root.
//
// Little-endian: "TL", version 0x0101 (0x0100 read too), width, height, the
// block size 2048, the stamp count, layers - 1 (0x0101 only), zeros to byte
// 40 (20 for 0x0100); the map layer by layer, row by row; the block; the
// stamps (width, height, layers - 1 and two zero bytes in 0x0101, then the
// entries).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvolin::project {

inline constexpr int kMaxLevelSide = 10000;
inline constexpr int kMaxLevelLayers = 4;
inline constexpr std::size_t kLevelBlockSize = 2048;
inline constexpr std::uint16_t kLevelBodyVersion = 0x0101;
inline constexpr std::uint16_t kLevelBodyVersionOld = 0x0100;

// A rectangular tile pattern cut from a level.
struct LevelStamp {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint16_t layers = 1;  // held as layers - 1 in the file
  std::vector<std::uint16_t> entries;  // width x height x layers
  bool operator==(const LevelStamp&) const = default;
};

struct LevelBody {
  int width = 0;
  int height = 0;
  int layers = 1;  // 1..4
  std::vector<std::uint16_t> map;  // layer by layer, row by row
  std::array<std::uint8_t, kLevelBlockSize> block{};
  std::vector<LevelStamp> stamps;

  // Makes an empty map of that size (entries 0); false for sizes out of range.
  bool resize(int width, int height, int layers);
  bool inside(int x, int y, int layer) const {
    return x >= 0 && y >= 0 && layer >= 0 && x < width && y < height && layer < layers;
  }
  std::uint16_t at(int x, int y, int layer) const {
    return map[(std::size_t(layer) * std::size_t(height) + std::size_t(y)) * std::size_t(width) +
               std::size_t(x)];
  }
  std::uint16_t& at(int x, int y, int layer) {
    return map[(std::size_t(layer) * std::size_t(height) + std::size_t(y)) * std::size_t(width) +
               std::size_t(x)];
  }
  bool operator==(const LevelBody&) const = default;
};

// Reads a body. False (body untouched) for a wrong magic or version, a side
// above 10000, a block size other than 2048, too many layers, or bytes that
// end before the body does.
bool readLevelBody(std::string_view bytes, LevelBody& body);
// The bytes of a body, always in version 0x0101.
std::string writeLevelBody(const LevelBody& body);

// The body file's name for a level: "LevBody_<name>.dat". Characters that
// cannot stand in a file name ("\" "/" ":" "*" "?" '"' "<" ">" "|" and
// control bytes) become "_", so a level name never reaches another folder.
std::string levelBodyFileName(std::string_view levelName);

}  // namespace tarvolin::project
