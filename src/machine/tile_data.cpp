#include "machine/tile_data.h"

namespace tarvolin::machine {

namespace {

// Byte offset in VRAM of a pixel, or -1 when out of range.
long pixelOffset(int target, int colourMode, int tile, int x, int y) {
  const int count = tileCount(target, colourMode);
  if (count == 0 || tile < 0 || tile >= count || x < 0 || x > 7 || y < 0 || y > 7) return -1;
  const long base = target == 1 ? static_cast<long>(kSpriteTileOffset) : 0;
  if (colourMode == 1) return base + tile * 64L + y * 8 + x;
  return base + tile * 32L + y * 4 + x / 2;
}

}  // namespace

int tileCount(int target, int colourMode) {
  if ((target != 0 && target != 1) || (colourMode != 0 && colourMode != 1)) return 0;
  const int bytes = target == 0 ? 0x10000 : 0x8000;
  return bytes / (colourMode == 1 ? 64 : 32);
}

bool tilePixel(const MachineState& state, int target, int colourMode, int tile, int x, int y, int& value) {
  const long at = pixelOffset(target, colourMode, tile, x, y);
  if (at < 0) return false;
  const std::uint8_t b = state.vram()[at];
  value = colourMode == 1 ? b : (x & 1) ? (b & 15) : (b >> 4);
  return true;
}

bool setTilePixel(MachineState& state, int target, int colourMode, int tile, int x, int y, int value) {
  const long at = pixelOffset(target, colourMode, tile, x, y);
  if (at < 0 || value < 0 || value > 255) return false;
  std::uint8_t& b = state.vram()[at];
  if (colourMode == 1)
    b = static_cast<std::uint8_t>(value);
  else if (x & 1)
    b = static_cast<std::uint8_t>((b & 0xF0) | (value & 15));
  else
    b = static_cast<std::uint8_t>((b & 0x0F) | (value & 15) << 4);
  return true;
}

}  // namespace tarvolin::machine
