// Whole-map drawing for the tile-map viewer.
#include "machine/renderer.h"

namespace tarvolin::machine {

bool drawWholeMap(MachineState& m, int index, std::vector<std::uint32_t>& out, bool onlyMarked) {
  if (index < 0 || index > 3) return false;
  BackgroundLayer& l = m.layer(index);
  if (l.kind == LayerKind::Unavailable) return false;
  const bool rot = l.kind == LayerKind::Rotational;
  const int w = m.mapWidth(index), h = m.mapHeight(index);
  const std::size_t pixelsAcross = static_cast<std::size_t>(w) * 8;
  if (out.size() != pixelsAcross * h * 8) out.assign(pixelsAcross * h * 8, 0);
  const std::uint32_t* pal = m.palette(0).converted();
  const std::uint8_t* tiles = m.vram() + (l.tileBank & 3) * 0x4000u;
  const bool wide = rot || l.colourMode == 1;
  for (int cy = 0; cy < h; ++cy) {
    for (int cx = 0; cx < w; ++cx) {
      std::uint8_t& mark = l.cellMarks[static_cast<std::size_t>(cy) * 128 + cx];
      if (onlyMarked && !mark) continue;
      mark = 0;
      std::uint16_t cell = 0;
      m.mapCell(index, cx, cy, cell);
      const int tile = rot ? (cell & 0xFF) : (cell & 0x3FF);
      const bool flipH = !rot && (cell & 0x400), flipV = !rot && (cell & 0x800);
      const std::uint32_t* cellPal = wide ? pal : pal + (cell >> 12) * 16;
      for (int py = 0; py < 8; ++py) {
        const int ry = flipV ? 7 - py : py;
        std::uint32_t* dst = out.data() + (static_cast<std::size_t>(cy) * 8 + py) * pixelsAcross + cx * 8;
        for (int px = 0; px < 8; ++px) {
          const int rx = flipH ? 7 - px : px;
          std::uint8_t v;
          if (wide) {
            v = tiles[tile * 64 + ry * 8 + rx];
          } else {
            const std::uint8_t b = tiles[tile * 32 + ry * 4 + rx / 2];
            v = (rx & 1) ? (b & 15) : (b >> 4);
          }
          dst[px] = v ? cellPal[v] : pal[0];
        }
      }
    }
  }
  return true;
}

}  // namespace tarvolin::machine
