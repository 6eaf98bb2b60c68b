// Text and rotational background layers for one line segment.
#include <cstring>

#include "machine/render_line.h"

namespace tarvolin::machine::detail {

namespace {

// Start of a layer's map, or null when its override buffer cannot hold it.
const std::uint8_t* mapBase(const MachineState& m, const BackgroundLayer& l, std::size_t bytes) {
  if (l.mapOverride) return l.mapOverrideSize >= bytes ? l.mapOverride : nullptr;
  return m.vram() + (l.mapBank & 31) * 2048u;
}

// The 8 pixel values of one tile row, in screen order.
inline void decodeRow16(const std::uint8_t* row, bool flip, std::uint8_t* vals) {
  expandRow16(row, vals);
  if (flip) std::reverse(vals, vals + 8);
}

inline void decodeRow256(const std::uint8_t* row, bool flip, std::uint8_t* vals) {
  std::memcpy(vals, row, 8);
  if (flip) std::reverse(vals, vals + 8);
}

// Columns x0..x1-1 of a text layer's line without mosaic, a tile row at a
// time.
template <Fx F, bool Wide>
void textRun(LineContext& c, const std::uint8_t* tiles, const std::uint8_t* const cells[2], int w, int py,
             int scrollX, int x0, int x1, std::uint8_t id) {
  constexpr int kTileBytes = Wide ? 64 : 32, kRowBytes = Wide ? 8 : 4;
  const int rowDown = py * kRowBytes, rowUp = (7 - py) * kRowBytes;
  int mx = x0 + scrollX;
  std::uint8_t vals[8];
  for (int x = x0; x < x1;) {
    const int start = mx & 7;
    const int n = std::min(8 - start, x1 - x);
    const int cx = (mx >> 3) & (w - 1);
    const std::uint8_t* at = cells[cx >> 5] + (cx & 31) * 2;
    const std::uint16_t cell = static_cast<std::uint16_t>(at[0] | at[1] << 8);
    const std::uint8_t* row = tiles + (cell & 0x3FF) * kTileBytes + ((cell & 0x800) ? rowUp : rowDown);
    std::uint64_t bits = 0;
    std::memcpy(&bits, row, kRowBytes);
    if (bits != 0) {
      if constexpr (Wide) {
        std::memcpy(vals, row, 8);
      } else {
        expandRow16(row, vals);
      }
      const std::uint32_t* pal = Wide ? c.bgPal : c.bgPal + (cell >> 12) * 16;
      if (cell & 0x400)
        putRun<F>(c, x, vals, 7 - start, -1, n, pal, id);
      else
        putRun<F>(c, x, vals, start, 1, n, pal, id);
    }
    x += n;
    mx += n;
  }
}

template <Fx F>
void drawText(LineContext& c, int bg, int x0, int x1) {
  const MachineState& m = *c.m;
  const BackgroundLayer& l = m.layer(bg);
  const int w = m.mapWidth(bg), h = m.mapHeight(bg);
  const std::uint8_t* map = mapBase(m, l, static_cast<std::size_t>(w) * h * 2);
  if (!map) return;
  const std::uint8_t* tiles = m.vram() + (l.tileBank & 3) * 0x4000u;
  const bool wide = l.colourMode == 1;
  const std::uint8_t id = static_cast<std::uint8_t>(4 - bg);
  const int blocksAcross = w >> 5;

  auto cellAt = [&](int cx, int cy) {
    const std::size_t off = static_cast<std::size_t>((cx >> 5) + (cy >> 5) * blocksAcross) * 2048 +
                            ((cy & 31) * 32 + (cx & 31)) * 2;
    return static_cast<std::uint16_t>(map[off] | map[off + 1] << 8);
  };
  auto rowOf = [&](std::uint16_t cell, int py) {
    const int row = (cell & 0x800) ? 7 - py : py;
    const int tile = cell & 0x3FF;
    return wide ? tiles + tile * 64 + row * 8 : tiles + tile * 32 + row * 4;
  };

  if (l.mosaic) {
    const std::uint16_t* mosX = m.mosaicRow(m.mosaic(MosaicAttribute::BackgroundX));
    const int my = m.mosaicLookup(m.mosaic(MosaicAttribute::BackgroundY), c.y + l.scrollY);
    const int cy = (my >> 3) & (h - 1), py = my & 7;
    int lastCx = -1;
    std::uint8_t vals[8] = {};
    std::uint16_t cell = 0;
    for (int x = x0; x < x1; ++x) {
      const int mx = mosX[(x + l.scrollX) & 1023];
      const int cx = (mx >> 3) & (w - 1);
      if (cx != lastCx) {
        lastCx = cx;
        cell = cellAt(cx, cy);
        const std::uint8_t* row = rowOf(cell, py);
        if (wide) decodeRow256(row, cell & 0x400, vals); else decodeRow16(row, cell & 0x400, vals);
      }
      const std::uint8_t v = vals[mx & 7];
      if (v) putPixel<F>(c, x, wide ? c.bgPal[v] : c.bgPal[(cell >> 12) * 16 + v], id);
    }
    return;
  }

  const int my = c.y + l.scrollY;
  const int cy = (my >> 3) & (h - 1), py = my & 7;
  // The line's row of cells in the left and right 32-cell blocks.
  const std::uint8_t* cells[2] = {map + static_cast<std::size_t>((cy >> 5) * blocksAcross) * 2048 + (cy & 31) * 64,
                                  nullptr};
  cells[1] = blocksAcross > 1 ? cells[0] + 2048 : cells[0];
  if (wide)
    textRun<F, true>(c, tiles, cells, w, py, l.scrollX, x0, x1, id);
  else
    textRun<F, false>(c, tiles, cells, w, py, l.scrollX, x0, x1, id);
}

template <Fx F>
void drawRotational(LineContext& c, int bg, int x0, int x1) {
  const MachineState& m = *c.m;
  const BackgroundLayer& l = m.layer(bg);
  const BgRotation& r = m.bgRotation(bg - 2);
  const int w = m.mapWidth(bg);  // rotational maps are square
  const int size = w * 8;
  const std::uint8_t* map = mapBase(m, l, static_cast<std::size_t>(w) * w);
  if (!map) return;
  const std::uint8_t* tiles = m.vram() + (l.tileBank & 3) * 0x4000u;
  const std::uint8_t id = static_cast<std::uint8_t>(4 - bg);
  const std::uint16_t* mosX = m.mosaicRow(l.mosaic ? m.mosaic(MosaicAttribute::BackgroundX) : 0);
  const std::uint16_t* mosY = m.mosaicRow(l.mosaic ? m.mosaic(MosaicAttribute::BackgroundY) : 0);
  // 32-bit wrap-around sums, as the hardware's reference registers.
  std::uint32_t tx = static_cast<std::uint32_t>(r.offsetX) + static_cast<std::uint32_t>(x0 * r.scaleX) +
                     static_cast<std::uint32_t>(c.y * r.shearX);
  std::uint32_t ty = static_cast<std::uint32_t>(r.offsetY) + static_cast<std::uint32_t>(x0 * r.shearY) +
                     static_cast<std::uint32_t>(c.y * r.scaleY);
  const std::uint32_t dx = static_cast<std::uint32_t>(static_cast<std::int32_t>(r.scaleX));
  const std::uint32_t dy = static_cast<std::uint32_t>(static_cast<std::int32_t>(r.shearY));
  // Values are gathered 8 at a time (0 off the map) and written as a run.
  std::uint8_t vals[8];
  for (int x = x0; x < x1; x += 8) {
    const int n = std::min(8, x1 - x);
    for (int i = 0; i < n; ++i, tx += dx, ty += dy) {
      int px = static_cast<std::int32_t>(tx) >> 8;
      int py = static_cast<std::int32_t>(ty) >> 8;
      if (l.tiled) {
        px &= size - 1;
        py &= size - 1;
      } else if (static_cast<unsigned>(px) >= static_cast<unsigned>(size) ||
                 static_cast<unsigned>(py) >= static_cast<unsigned>(size)) {
        vals[i] = 0;
        continue;
      }
      px = mosX[px];
      py = mosY[py];
      const std::uint8_t tile = map[(py >> 3) * w + (px >> 3)];
      vals[i] = tiles[tile * 64 + (py & 7) * 8 + (px & 7)];
    }
    putRun<F>(c, x, vals, 0, 1, n, c.bgPal, id);
  }
}

template <Fx F>
void drawLayer(LineContext& c, int bg, int x0, int x1) {
  const LayerKind kind = c.m->layer(bg).kind;
  if (kind == LayerKind::Text)
    drawText<F>(c, bg, x0, x1);
  else if (kind == LayerKind::Rotational && bg >= 2)
    drawRotational<F>(c, bg, x0, x1);
}

}  // namespace

void drawBackground(LineContext& c, int bg, Fx fx, int x0, int x1) {
  switch (fx) {
    case Fx::Plain: drawLayer<Fx::Plain>(c, bg, x0, x1); break;
    case Fx::Alpha: drawLayer<Fx::Alpha>(c, bg, x0, x1); break;
    case Fx::Lighten: drawLayer<Fx::Lighten>(c, bg, x0, x1); break;
    case Fx::Darken: drawLayer<Fx::Darken>(c, bg, x0, x1); break;
  }
}

}  // namespace tarvolin::machine::detail
