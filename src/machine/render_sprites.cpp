// Sprites of one priority pass over a line segment, and the sprite window.
#include "machine/render_line.h"

namespace tarvolin::machine::detail {

namespace {

// Where a sprite's texels live for the current line.
struct TexelSource {
  const std::uint8_t* area;  // sprite tile area (32 KB); offsets wrap inside it
  std::uint32_t base;        // first tile
  std::uint32_t rowStride;   // bytes from one tile row of the sprite to the next
  bool wide;                 // 256 colours
};

TexelSource texelSource(const MachineState& m, const SpriteEntry& s) {
  TexelSource t;
  t.area = m.vram() + kSpriteTileOffset;
  t.base = s.tile * 32u;
  t.wide = s.colourMode == 1;
  const int tilesAcross = s.width() / 8;
  if (m.displayAttribute(DisplayAttribute::SpriteLayout) == 0)
    t.rowStride = 1024;
  else
    t.rowStride = tilesAcross * (t.wide ? 64u : 32u);
  return t;
}

inline std::uint8_t texel(const TexelSource& t, int tx, int ty) {
  std::uint32_t off = t.base + (ty >> 3) * t.rowStride;
  if (t.wide) {
    off += (tx >> 3) * 64 + (ty & 7) * 8 + (tx & 7);
    return t.area[off & 0x7FFF];
  }
  off += (tx >> 3) * 32 + (ty & 7) * 4 + (tx & 7) / 2;
  const std::uint8_t b = t.area[off & 0x7FFF];
  return (tx & 1) ? (b & 15) : (b >> 4);
}

// Calls visit(x, value) for every column x0..x1-1 the sprite covers on this
// line, with the texel value (0 transparent).
template <class Visit>
void forTexels(const LineContext& c, const LineSprite& ls, int x0, int x1, Visit&& visit) {
  const MachineState& m = *c.m;
  const SpriteEntry& s = m.sprite(ls.index);
  const int w = s.width(), h = s.height();
  const int xs = std::max(x0, ls.left), xe = std::min(x1, ls.left + ls.areaWidth);
  if (xs >= xe) return;
  const TexelSource t = texelSource(m, s);
  const std::uint16_t* mosX = m.mosaicRow(s.mosaic ? m.mosaic(MosaicAttribute::SpriteX) : 0);

  if (!s.rotScale) {
    const int ty = ls.row;
    const bool flip = s.flipH();
    // Fetch the 8 texels of one tile row at a time.
    std::uint8_t vals[8] = {};
    int cached = -1;
    for (int x = xs; x < xe; ++x) {
      int tx = x - ls.left;
      if (flip) tx = w - 1 - tx;
      tx = mosX[tx & 255];
      if ((tx >> 3) != cached) {
        cached = tx >> 3;
        for (int i = 0; i < 8; ++i) vals[i] = texel(t, (cached << 3) + i, ty);
      }
      visit(x, vals[tx & 7]);
    }
    return;
  }

  const RotationBank& bank = m.rotationBank(s.rotation & 31);
  const int pa = static_cast<int>(bank.xscale * 256.0f), pb = static_cast<int>(bank.xshear * 256.0f);
  const int pc = static_cast<int>(bank.yshear * 256.0f), pd = static_cast<int>(bank.yscale * 256.0f);
  const std::uint16_t* mosY = m.mosaicRow(s.mosaic ? m.mosaic(MosaicAttribute::SpriteY) : 0);
  const int dy = ls.row;
  int dx = xs - ls.left - ls.areaWidth / 2;
  int sx = pa * dx + pb * dy + w * 128;
  int sy = pc * dx + pd * dy + h * 128;
  for (int x = xs; x < xe; ++x, sx += pa, sy += pc) {
    const int tx = sx >> 8, ty = sy >> 8;
    if (tx < 0 || tx >= w || ty < 0 || ty >= h) continue;
    visit(x, texel(t, mosX[tx], mosY[ty]));
  }
}

template <Fx F>
void drawOne(LineContext& c, const LineSprite& ls, int x0, int x1) {
  const SpriteEntry& s = c.m->sprite(ls.index);
  const std::uint32_t* pal = s.colourMode == 1 ? c.objPal : c.objPal + s.palette * 16;
  forTexels(c, ls, x0, x1, [&](int x, std::uint8_t v) {
    if (v) putPixel<F>(c, x, pal[v], 5);
  });
}

}  // namespace

void buildSpriteList(LineContext& c) {
  c.spriteCount = 0;
  const MachineState& m = *c.m;
  if (!m.displayAttribute(DisplayAttribute::EnableSprite)) return;
  for (int i = 127; i >= 0; --i) {
    const SpriteEntry& s = m.sprite(i);
    if (!s.shown()) continue;
    const int w = s.width(), h = s.height();
    const bool twice = s.rotScale && s.sdFold;
    const int areaW = twice ? 2 * w : w, areaH = twice ? 2 * h : h;
    const int dy = (c.y - s.y) & 255;
    if (dy >= areaH) continue;
    LineSprite& ls = c.sprites[c.spriteCount++];
    ls.index = static_cast<std::uint8_t>(i);
    ls.areaWidth = areaW;
    ls.left = s.x + areaW >= 512 ? s.x - 512 : s.x;
    if (s.rotScale) {
      ls.row = dy - areaH / 2;
    } else {
      int ty = s.flipV() ? h - 1 - dy : dy;
      if (s.mosaic) ty = m.mosaicLookup(m.mosaic(MosaicAttribute::SpriteY), ty & 255);
      ls.row = ty;
    }
  }
}

void drawSprites(LineContext& c, int pass, bool blendAllowed, int x0, int x1) {
  const MachineState& m = *c.m;
  const int e = blendAllowed && (m.blendSelect() & 0x10) ? m.blendMode() : 0;
  for (int k = 0; k < c.spriteCount; ++k) {
    const LineSprite& ls = c.sprites[k];
    const SpriteEntry& s = m.sprite(ls.index);
    if (s.displayMode == kSpriteObjWindow || s.priority != pass) continue;
    if (e == kBlendAlpha || s.displayMode == kSpriteSemiAlpha)
      drawOne<Fx::Alpha>(c, ls, x0, x1);
    else if (e == kBlendLighten)
      drawOne<Fx::Lighten>(c, ls, x0, x1);
    else if (e == kBlendDarken)
      drawOne<Fx::Darken>(c, ls, x0, x1);
    else
      drawOne<Fx::Plain>(c, ls, x0, x1);
  }
}

bool markSpriteWindow(LineContext& c, std::uint8_t* mask, int x0, int x1) {
  bool any = false;
  std::fill(mask + x0, mask + x1, 0);
  for (int k = 0; k < c.spriteCount; ++k) {
    const LineSprite& ls = c.sprites[k];
    if (c.m->sprite(ls.index).displayMode != kSpriteObjWindow) continue;
    forTexels(c, ls, x0, x1, [&](int x, std::uint8_t v) {
      if (v) {
        mask[x] = 1;
        any = true;
      }
    });
  }
  return any;
}

}  // namespace tarvolin::machine::detail
