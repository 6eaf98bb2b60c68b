// Sprites of one priority pass over a line segment, and the sprite window.
#include <cstring>

#include "machine/render_line.h"

namespace tarvolin::machine::detail {

namespace {

inline const std::uint8_t* spriteArea(const LineContext& c) { return c.m->vram() + kSpriteTileOffset; }

inline std::uint8_t texel(const std::uint8_t* area, const LineSprite& ls, int tx, int ty) {
  std::uint32_t off = ls.base + (ty >> 3) * ls.rowStride;
  if (ls.wide) {
    off += (tx >> 3) * 64 + (ty & 7) * 8 + (tx & 7);
    return area[off & 0x7FFF];
  }
  off += (tx >> 3) * 32 + (ty & 7) * 4 + (tx & 7) / 2;
  const std::uint8_t b = area[off & 0x7FFF];
  return (tx & 1) ? (b & 15) : (b >> 4);
}

// Calls visit(x, value) for every column x0..x1-1 the sprite covers on this
// line, with the texel value (0 transparent). The general path: rotation and
// mosaic.
template <class Visit>
void forTexels(const LineContext& c, const LineSprite& ls, int x0, int x1, Visit&& visit) {
  const MachineState& m = *c.m;
  const int xs = std::max(x0, ls.left), xe = std::min(x1, ls.left + ls.areaWidth);
  if (xs >= xe) return;
  const std::uint8_t* area = spriteArea(c);
  const int w = ls.w, h = ls.h;
  const std::uint16_t* mosX = m.mosaicRow(ls.mosaic ? m.mosaic(MosaicAttribute::SpriteX) : 0);

  if (!ls.rotating) {
    const int ty = ls.row;
    // Fetch the 8 texels of one tile row at a time.
    std::uint8_t vals[8] = {};
    int cached = -1;
    for (int x = xs; x < xe; ++x) {
      int tx = x - ls.left;
      if (ls.flip) tx = w - 1 - tx;
      tx = mosX[tx & 255];
      if ((tx >> 3) != cached) {
        cached = tx >> 3;
        for (int i = 0; i < 8; ++i) vals[i] = texel(area, ls, (cached << 3) + i, ty);
      }
      visit(x, vals[tx & 7]);
    }
    return;
  }

  const RotationBank& bank = m.rotationBank(m.sprite(ls.index).rotation & 31);
  const int pa = static_cast<int>(bank.xscale * 256.0f), pb = static_cast<int>(bank.xshear * 256.0f);
  const int pc = static_cast<int>(bank.yshear * 256.0f), pd = static_cast<int>(bank.yscale * 256.0f);
  const std::uint16_t* mosY = m.mosaicRow(ls.mosaic ? m.mosaic(MosaicAttribute::SpriteY) : 0);
  const int dy = ls.row;
  const int dx = xs - ls.left - ls.areaWidth / 2;
  int sx = pa * dx + pb * dy + w * 128;
  int sy = pc * dx + pd * dy + h * 128;
  for (int x = xs; x < xe; ++x, sx += pa, sy += pc) {
    const int tx = sx >> 8, ty = sy >> 8;
    if (tx < 0 || tx >= w || ty < 0 || ty >= h) continue;
    visit(x, texel(area, ls, mosX[tx], mosY[ty]));
  }
}

// A plain sprite without mosaic, one tile row of 8 texels at a time.
template <Fx F>
void drawPlain(LineContext& c, const LineSprite& ls, int x0, int x1) {
  const int w = ls.w;
  const int xs = std::max(x0, ls.left), xe = std::min(x1, ls.left + w);
  const std::uint8_t* area = spriteArea(c);
  const int ty = ls.row;
  const std::uint32_t tileBytes = ls.wide ? 64 : 32, rowBytes = ls.wide ? 8 : 4;
  const std::uint32_t rowOff = ls.base + (ty >> 3) * ls.rowStride + (ty & 7) * rowBytes;
  std::uint8_t vals[8];
  for (int x = xs; x < xe;) {
    const int tx = ls.flip ? w - 1 - (x - ls.left) : x - ls.left;
    const int first = tx & 7;
    const int n = std::min(ls.flip ? first + 1 : 8 - first, xe - x);
    // Rows start at multiples of their size, so one never crosses the end
    // of the area.
    const std::uint8_t* row = area + ((rowOff + (tx >> 3) * tileBytes) & 0x7FFF);
    bool empty;
    if (ls.wide) {
      std::uint64_t bits;
      std::memcpy(&bits, row, 8);
      empty = bits == 0;
      if (!empty) std::memcpy(vals, row, 8);
    } else {
      std::uint32_t bits;
      std::memcpy(&bits, row, 4);
      empty = bits == 0;
      if (!empty) expandRow16(row, vals);
    }
    if (!empty) putRun<F>(c, x, vals, first, ls.flip ? -1 : 1, n, ls.pal, 5);
    x += n;
  }
}

template <Fx F>
void drawOne(LineContext& c, const LineSprite& ls, int x0, int x1) {
  if (!ls.rotating && !ls.mosaic) {
    drawPlain<F>(c, ls, x0, x1);
    return;
  }
  forTexels(c, ls, x0, x1, [&](int x, std::uint8_t v) {
    if (v) putPixel<F>(c, x, ls.pal[v], 5);
  });
}

}  // namespace

void buildSpriteList(LineContext& c) {
  c.spriteCount = 0;
  c.priorityCount = {};
  c.anyWindowSprite = false;
  const MachineState& m = *c.m;
  if (!m.displayAttribute(DisplayAttribute::EnableSprite)) return;
  const bool layout2d = m.displayAttribute(DisplayAttribute::SpriteLayout) == 0;
  const int mosaicY = m.mosaic(MosaicAttribute::SpriteY);
  // Sprite geometry, worked out again only when a sprite or the layout changed.
  LineScratch& scratch = c.m->scratch;
  if (scratch.spriteVersion != m.spriteVersion() || scratch.spriteLayout != (layout2d ? 0 : 1)) {
    scratch.spriteVersion = m.spriteVersion();
    scratch.spriteLayout = layout2d ? 0 : 1;
    for (int i = 0; i < 128; ++i) {
      const SpriteEntry& s = m.sprite(i);
      const int w = s.width(), h = s.height();
      // Shown with sdFold means rotating at double size.
      const int areaW = s.sdFold ? 2 * w : w, areaH = s.sdFold ? 2 * h : h;
      scratch.spriteTop[i] = s.y;
      scratch.spriteAreaHeight[i] = static_cast<std::uint8_t>(s.shown() ? areaH : 0);
      LineSprite& t = scratch.spriteTemplates[i];
      t.index = static_cast<std::uint8_t>(i);
      t.priority = s.priority;
      t.mode = s.displayMode;
      t.rotating = s.rotScale;
      t.mosaic = s.mosaic;
      t.flip = !s.rotScale && s.flipH();
      t.wide = s.colourMode == 1;
      t.left = s.x + areaW >= 512 ? s.x - 512 : s.x;
      t.areaWidth = areaW;
      t.w = w;
      t.h = h;
      t.row = 0;
      t.base = s.tile * 32u;
      t.rowStride = layout2d ? 1024u : static_cast<std::uint32_t>(w / 8) * (t.wide ? 64u : 32u);
      t.pal = nullptr;
    }
  }
  // Which sprites cover the line: bit i of `covers[i / 64]`.
  std::uint64_t covers[2] = {0, 0};
#if defined(__SSE2__)
  const __m128i line = _mm_set1_epi8(static_cast<char>(c.y));
  for (int g = 0; g < 8; ++g) {
    const __m128i top = _mm_loadu_si128(reinterpret_cast<const __m128i*>(scratch.spriteTop.data() + g * 16));
    const __m128i height = _mm_loadu_si128(reinterpret_cast<const __m128i*>(scratch.spriteAreaHeight.data() + g * 16));
    const __m128i dy = _mm_sub_epi8(line, top);  // (y - top) mod 256
    const __m128i below = _mm_cmpeq_epi8(_mm_max_epu8(dy, height), dy);  // dy >= height
    const auto bits = static_cast<std::uint64_t>(~_mm_movemask_epi8(below) & 0xFFFF);
    covers[g / 4] |= bits << (16 * (g % 4));
  }
#else
  for (int i = 0; i < 128; ++i)
    if (((c.y - scratch.spriteTop[i]) & 255) < scratch.spriteAreaHeight[i]) covers[i / 64] |= 1ull << (i % 64);
#endif
  // Highest index first, visiting only the set bits.
  for (int word = 1; word >= 0; --word) {
    for (std::uint64_t bits = covers[word]; bits; ) {
      const int bit = 63 - __builtin_clzll(bits);
      bits &= ~(1ull << bit);
      const int i = word * 64 + bit;
      const int dy = (c.y - scratch.spriteTop[i]) & 255;
      const LineSprite& t = scratch.spriteTemplates[i];
      if (t.left >= kScreenWidth || t.left + t.areaWidth <= 0) continue;
      const SpriteEntry& s = m.sprite(i);
      LineSprite& ls = c.sprites[c.spriteCount];
      ls = t;
      ls.pal = ls.wide ? c.objPal : c.objPal + s.palette * 16;
      if (s.rotScale) {
        ls.row = dy - scratch.spriteAreaHeight[i] / 2;
      } else {
        int ty = s.flipV() ? t.h - 1 - dy : dy;
        if (s.mosaic) ty = m.mosaicLookup(mosaicY, ty & 255);
        ls.row = ty;
      }
      if (s.displayMode == kSpriteObjWindow)
        c.anyWindowSprite = true;
      else
        c.byPriority[s.priority][c.priorityCount[s.priority]++] = static_cast<std::uint8_t>(c.spriteCount);
      ++c.spriteCount;
    }
  }
}

void drawSprites(LineContext& c, int pass, bool blendAllowed, int x0, int x1) {
  const MachineState& m = *c.m;
  const int e = blendAllowed && (m.blendSelect() & 0x10) ? m.blendMode() : 0;
  const int count = c.priorityCount[pass];
  for (int k = 0; k < count; ++k) {
    const LineSprite& ls = c.sprites[c.byPriority[pass][k]];
    if (ls.left >= x1 || ls.left + ls.areaWidth <= x0) continue;
    if (e == kBlendAlpha || ls.mode == kSpriteSemiAlpha)
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
  std::fill(mask + x0, mask + x1, 0);
  if (!c.anyWindowSprite) return false;
  bool any = false;
  for (int k = 0; k < c.spriteCount; ++k) {
    const LineSprite& ls = c.sprites[k];
    if (ls.mode != kSpriteObjWindow) continue;
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
