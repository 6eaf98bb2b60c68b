// The tile-data commands: pixels of the background and sprite tile areas
// rotated, recoloured, copied (whole, partly or through a mask), filled, set
// and read. Tile numbers address the area chosen by the palette target
// (0 BG, 1 SPRITE) in tiles of the chosen colour mode; copies and fills wrap
// within their area. Every failure is "Atributo de Tile fuera de los límites".
#include <algorithm>
#include <cstring>
#include <vector>

#include "machine/machine_state.h"
#include "machine/tile_data.h"
#include "commands/hardware_commands.h"
#include "script/commands.h"

namespace tarvolin::commands {

using namespace script;

namespace {

// One tile area in one colour mode.
struct Area {
  std::uint8_t* bytes = nullptr;
  int tiles = 0;
  int tileBytes = 0;
  int mode = 0;

  std::uint8_t* tile(std::int64_t n) const {
    const std::int64_t t = ((n % tiles) + tiles) % tiles;
    return bytes + t * tileBytes;
  }
  int pixel(const std::uint8_t* t, int x, int y) const {
    if (mode == 1) return t[y * 8 + x];
    const std::uint8_t b = t[y * 4 + (x >> 1)];
    return (x & 1) ? (b & 15) : (b >> 4);
  }
  void setPixel(std::uint8_t* t, int x, int y, int value) const {
    if (mode == 1) {
      t[y * 8 + x] = static_cast<std::uint8_t>(value);
      return;
    }
    std::uint8_t& b = t[y * 4 + (x >> 1)];
    b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (value & 15))
                : static_cast<std::uint8_t>((b & 0x0F) | (value & 15) << 4);
  }
};

bool MakeArea(machine::MachineState& m, int target, int mode, Area& area) {
  const int tiles = machine::tileCount(target, mode);
  if (tiles == 0) return false;
  area.bytes = m.tileArea(target).data();
  area.tiles = tiles;
  area.tileBytes = mode == 1 ? 64 : 32;
  area.mode = mode;
  return true;
}

bool InRange(std::int32_t v, std::int32_t lo, std::int32_t hi) { return v >= lo && v <= hi; }

// TileDataCycleRect: rotates the rectangle's pixels by one in direction
// `dir` (0 up, 1 right, 2 down, 3 left).
void CycleRect(const Area& a, int dir, int first, int width, int stride, int left, int right, int top,
               int bottom, int height) {
  const int x0 = left, x1 = width * 8 - right - 1;
  const int y0 = top, y1 = height * 8 - bottom - 1;
  if (x1 < x0 || y1 < y0) return;
  const int rowStride = std::max(stride, width);
  // Each tile of the block is found once (the wrap within the area takes a
  // division); the pixels then need only shifts and masks.
  std::vector<std::uint8_t*> tiles(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int ty = 0; ty < height; ++ty)
    for (int tx = 0; tx < width; ++tx)
      tiles[static_cast<std::size_t>(ty) * width + tx] =
          a.tile(std::int64_t(first) + std::int64_t(ty) * rowStride + tx);
  auto at = [&](int x, int y) { return tiles[static_cast<std::size_t>(y >> 3) * width + (x >> 3)]; };
  auto get = [&](int x, int y) { return a.pixel(at(x, y), x & 7, y & 7); };
  auto set = [&](int x, int y, int v) { a.setPixel(at(x, y), x & 7, y & 7, v); };
  if (dir == 0 || dir == 2) {
    for (int x = x0; x <= x1; ++x) {
      if (dir == 0) {
        const int keep = get(x, y0);
        for (int y = y0; y < y1; ++y) set(x, y, get(x, y + 1));
        set(x, y1, keep);
      } else {
        const int keep = get(x, y1);
        for (int y = y1; y > y0; --y) set(x, y, get(x, y - 1));
        set(x, y0, keep);
      }
    }
  } else {
    for (int y = y0; y <= y1; ++y) {
      if (dir == 3) {
        const int keep = get(x0, y);
        for (int x = x0; x < x1; ++x) set(x, y, get(x + 1, y));
        set(x1, y, keep);
      } else {
        const int keep = get(x1, y);
        for (int x = x1; x > x0; --x) set(x, y, get(x - 1, y));
        set(x0, y, keep);
      }
    }
  }
}

// TileDataCopyMaskedTiles: whether the pixel at (x, y) with mask value m is
// copied.
bool MaskCopies(int m, int copy, int ignore, int blend, int x, int y) {
  if (m == copy) return true;
  if (copy == -1 && m != ignore && m != blend) return true;
  if (m == ignore) return false;
  if (ignore == -1 && m != blend) return false;
  if (m != blend && blend != -1) return false;
  if ((x + y) & 1) return false;
  return true;
}

}  // namespace

bool HardwareCommands::TileData(std::int32_t command, const std::int32_t* p, std::int32_t* out,
                                int& outCount, ErrorState& err) {
  auto fail = [&]() {
    err.SetError(err::kTileAttributeOutOfRange);
    return false;
  };
  machine::MachineState& m = *machine_;
  switch (command) {
    case cmd::TileDataCycleRect: {  // TileDataCycleRect [target] [Dir] mode first width stride height l r t b
      Area a;
      if (!MakeArea(m, p[0], p[2], a) || !InRange(p[1], 0, 3)) return fail();
      for (int i = 3; i <= 6; ++i)
        if (!InRange(p[i], 0, a.tiles - 1)) return fail();
      for (int i = 7; i <= 10; ++i)
        if (!InRange(p[i], 0, 7)) return fail();
      if (p[4] == 0 || p[6] == 0 || p[7] + p[8] >= 8 || p[9] + p[10] >= 8) return true;
      // A block of more tiles than the area holds would visit its tiles
      // again and again (hundreds of millions of pixels for nothing).
      if (std::int64_t(p[4]) * p[6] > a.tiles) return fail();
      CycleRect(a, p[1], p[3], p[4], p[5], p[7], p[8], p[9], p[10], p[6]);
      break;
    }
    case cmd::TileDataChangeColour: {  // TileDataChangeColour [target] mode first last search replacement
      Area a;
      if (!MakeArea(m, p[0], p[1], a)) return fail();
      const int maxColour = a.mode == 1 ? 255 : 15;
      if (!InRange(p[2], 0, a.tiles - 1) || !InRange(p[3], 0, a.tiles - 1) ||
          !InRange(p[4], 0, maxColour) || !InRange(p[5], 0, maxColour))
        return fail();
      if (p[4] == p[5]) return true;
      for (int t = std::min(p[2], p[3]); t <= std::max(p[2], p[3]); ++t) {
        std::uint8_t* tile = a.tile(t);
        for (int y = 0; y < 8; ++y)
          for (int x = 0; x < 8; ++x)
            if (a.pixel(tile, x, y) == p[4]) a.setPixel(tile, x, y, p[5]);
      }
      break;
    }
    case cmd::TileDataCopyTiles: {  // TileDataCopyTiles [source] [destination] mode source dest count
      Area s, d;
      if (!MakeArea(m, p[0], p[2], s) || !MakeArea(m, p[1], p[2], d)) return fail();
      // More tiles than the source area holds would only copy it over again.
      if (!InRange(p[3], 0, s.tiles - 1) || !InRange(p[4], 0, d.tiles - 1) || !InRange(p[5], 0, s.tiles))
        return fail();
      for (int i = 0; i < p[5]; ++i)
        std::memmove(d.tile(std::int64_t(p[4]) + i), s.tile(std::int64_t(p[3]) + i), std::size_t(s.tileBytes));
      break;
    }
    case cmd::TileDataCopyPartialTile: {  // TileDataCopyPartialTile [source] [destination] mode source dest l r t b
      Area s, d;
      if (!MakeArea(m, p[0], p[2], s) || !MakeArea(m, p[1], p[2], d)) return fail();
      if (!InRange(p[3], 0, s.tiles - 1) || !InRange(p[4], 0, d.tiles - 1)) return fail();
      for (int i = 5; i <= 8; ++i)
        if (!InRange(p[i], 0, 7)) return fail();
      const std::uint8_t* from = s.tile(p[3]);
      std::uint8_t* to = d.tile(p[4]);
      for (int y = p[7]; y <= 7 - p[8]; ++y)
        for (int x = p[5]; x <= 7 - p[6]; ++x) d.setPixel(to, x, y, s.pixel(from, x, y));
      break;
    }
    case cmd::TileDataCopyMaskedTiles: {  // TileDataCopyMaskedTiles source dest mode src dst mask count copy ignore blend
      Area s, d;
      if (!MakeArea(m, p[0], p[2], s) || !MakeArea(m, p[1], p[2], d)) return fail();
      if (!InRange(p[3], 0, s.tiles - 1) || !InRange(p[4], 0, d.tiles - 1) ||
          !InRange(p[5], -1, s.tiles - 1) || !InRange(p[6], 0, s.tiles))
        return fail();
      for (int i = 7; i <= 9; ++i)
        if (!InRange(p[i], -1, 255)) return fail();
      for (int i = 0; i < p[6]; ++i) {
        // A copy of the source (and of a mask that is the source itself), so a
        // destination overlapping them reads the values from before the copy.
        std::uint8_t from[64], mask[64];
        std::memcpy(from, s.tile(std::int64_t(p[3]) + i), std::size_t(s.tileBytes));
        std::memcpy(mask, p[5] < 0 ? from : s.tile(p[5]), std::size_t(s.tileBytes));
        std::uint8_t* to = d.tile(std::int64_t(p[4]) + i);
        for (int y = 0; y < 8; ++y)
          for (int x = 0; x < 8; ++x)
            if (MaskCopies(s.pixel(mask, x, y), p[7], p[8], p[9], x, y))
              d.setPixel(to, x, y, s.pixel(from, x, y));
      }
      break;
    }
    case cmd::TileDataFillTiles: {  // TileDataFillTiles [target] mode first count value
      Area a;
      if (!MakeArea(m, p[0], p[1], a)) return fail();
      if (!InRange(p[2], 0, a.tiles - 1) || !InRange(p[3], 0, a.tiles) || !InRange(p[4], 0, 255)) return fail();
      const std::uint8_t byte =
          a.mode == 1 ? static_cast<std::uint8_t>(p[4]) : static_cast<std::uint8_t>((p[4] & 15) * 0x11);
      for (int i = 0; i < p[3]; ++i) std::memset(a.tile(std::int64_t(p[2]) + i), byte, std::size_t(a.tileBytes));
      break;
    }
    case cmd::TileDataPixelSet:  // TileDataPixelSet [target] mode tile x y value
      if (!InRange(p[2], 0, 1023) || !InRange(p[5], 0, 255)) return fail();
      if (!machine::setTilePixel(m, p[0], p[1], p[2], p[3], p[4], p[5])) return fail();
      break;
    case cmd::TileDataPixelGet: {  // TileDataPixelGet [target] mode tile x y V1
      int value = 0;
      if (!InRange(p[2], 0, 1023) || !machine::tilePixel(m, p[0], p[1], p[2], p[3], p[4], value)) return fail();
      out[outCount++] = value;
      return true;
    }
    default:
      err.SetError(err::kUnknownCommand);
      return false;
  }
  m.notify(machine::ChangeKind::Tiles);
  return true;
}

}  // namespace tarvolin::commands
