// The frame procedure, window segments, draw order and the bitmap modes.
#include <algorithm>
#include <cstring>

#include "machine/render_line.h"
#include "machine/renderer.h"

namespace tarvolin::machine {

using detail::Fx;
using detail::LineContext;

namespace {

constexpr int kRowBytes = kScreenWidth * 3;

void storeRow(MachineState& m, int y, const std::uint32_t* colours) {
  std::uint8_t* out = m.picture.data() + static_cast<std::size_t>(y) * kRowBytes;
  // Four pixels (12 bytes) at a time, packed in registers.
  for (int x = 0; x < kScreenWidth; x += 4, out += 12) {
    const std::uint64_t p0 = colours[x] & 0xFFFFFFu, p1 = colours[x + 1] & 0xFFFFFFu;
    const std::uint64_t p2 = colours[x + 2] & 0xFFFFFFu, p3 = colours[x + 3] & 0xFFFFFFu;
    const std::uint64_t lo = p0 | p1 << 24 | p2 << 48;
    const std::uint32_t hi = static_cast<std::uint32_t>(p2 >> 16 | p3 << 8);
    std::memcpy(out, &lo, 8);
    std::memcpy(out + 8, &hi, 4);
  }
}

void fillPicture(MachineState& m, std::uint32_t colour) {
  std::uint32_t row[kScreenWidth];
  std::fill(row, row + kScreenWidth, colour);
  for (int y = 0; y < kScreenHeight; ++y) storeRow(m, y, row);
}

// Draws every layer allowed by `flags` over columns x0..x1-1, back to front.
void drawSegment(LineContext& c, std::uint8_t flags, int x0, int x1) {
  const MachineState& m = *c.m;
  const bool blendAllowed = flags & kContentBlend;
  const int mode = m.blendMode();
  const std::uint16_t select = m.blendSelect();
  const bool sprites = (flags & kContentSprites) && m.displayAttribute(DisplayAttribute::EnableSprite);
  for (int pass = 3; pass >= 0; --pass) {
    for (int bg = 3; bg >= 0; --bg) {
      const BackgroundLayer& l = m.layer(bg);
      if (!(flags & (1 << bg)) || !l.enabled || l.priority != pass || l.kind == LayerKind::Unavailable)
        continue;
      Fx fx = Fx::Plain;
      if (blendAllowed && (select & (1 << bg))) {
        if (mode == kBlendAlpha) fx = Fx::Alpha;
        else if (mode == kBlendLighten) fx = Fx::Lighten;
        else if (mode == kBlendDarken) fx = Fx::Darken;
      }
      detail::drawBackground(c, bg, fx, x0, x1);
    }
    if (sprites && c.priorityCount[pass]) detail::drawSprites(c, pass, blendAllowed, x0, x1);
  }
}

// Columns outside both windows: the outside contents, or the sprite
// window's contents where a sprite-window sprite has a visible texel.
void drawOutside(LineContext& c, int x0, int x1) {
  const MachineState& m = *c.m;
  const std::uint8_t outside = m.windowContent(2), spriteWin = m.windowContent(3);
  if (!m.displayAttribute(DisplayAttribute::EnableSpriteWindow) || ((outside | spriteWin) & 0x3F) == 0) {
    drawSegment(c, outside, x0, x1);
    return;
  }
  std::uint8_t mask[kScreenWidth];
  if (!detail::markSpriteWindow(c, mask, x0, x1)) {
    drawSegment(c, outside, x0, x1);
    return;
  }
  const int n = x1 - x0;
  std::uint32_t savedColours[kScreenWidth], firstColours[kScreenWidth];
  std::uint8_t savedIds[kScreenWidth], firstIds[kScreenWidth];
  std::memcpy(savedColours, c.colours + x0, n * sizeof(std::uint32_t));
  std::memcpy(savedIds, c.ids + x0, n);
  drawSegment(c, outside, x0, x1);
  std::memcpy(firstColours, c.colours + x0, n * sizeof(std::uint32_t));
  std::memcpy(firstIds, c.ids + x0, n);
  std::memcpy(c.colours + x0, savedColours, n * sizeof(std::uint32_t));
  std::memcpy(c.ids + x0, savedIds, n);
  drawSegment(c, spriteWin, x0, x1);
  for (int i = 0; i < n; ++i) {
    if (!mask[x0 + i]) {
      c.colours[x0 + i] = firstColours[i];
      c.ids[x0 + i] = firstIds[i];
    }
  }
}

bool windowCoversRow(const WindowRegion& w, int y) {
  if (w.top <= w.bottom) return y >= w.top && y < w.bottom;
  return y >= w.top || y < w.bottom;
}

bool windowCoversColumn(const WindowRegion& w, int x) {
  if (w.left <= w.right) return x >= w.left && x < w.right;
  return x < w.right || x >= w.left;
}

void prepareContext(MachineState& m, LineContext& c, int y) {
  c.m = &m;
  c.y = y;
  c.colours = m.scratch.colours.data();
  c.ids = m.layerIds.data();
  c.bgPal = m.palette(0).converted();
  c.objPal = m.palette(1).converted();
  const std::uint16_t sel = m.blendSelect();
  // Blend targets by layer identity: backdrop, BG3, BG2, BG1, BG0, sprite.
  c.targets = {};
  c.targets[0] = sel >> 13 & 1;
  c.targets[1] = sel >> 11 & 1;
  c.targets[2] = sel >> 10 & 1;
  c.targets[3] = sel >> 9 & 1;
  c.targets[4] = sel >> 8 & 1;
  c.targets[5] = sel >> 12 & 1;
  c.targetCount = 0;
  for (int id = 0; id < 6; ++id)
    if (c.targets[id]) c.targetIds[c.targetCount++] = static_cast<std::uint8_t>(id);
  c.alphaSource = m.alphaSource();
  c.alphaTarget = m.alphaTarget();
  c.tint = std::min(m.tintLevel(), 16);
#if defined(__SSE2__)
  c.alphaSourceVec = _mm_set1_epi16(static_cast<short>(c.alphaSource));
  c.alphaTargetVec = _mm_set1_epi16(static_cast<short>(c.alphaTarget));
  for (int k = 0; k < c.targetCount; ++k) c.targetVecs[k] = _mm_set1_epi8(static_cast<char>(c.targetIds[k]));
#endif
}

void drawBitmap(MachineState& m) {
  const std::uint32_t* pal = m.palette(0).converted();
  fillPicture(m, pal[0]);
  const BackgroundLayer& bg2 = m.layer(2);
  if (!bg2.enabled) return;
  const int mode = m.videoMode();
  const bool flip = m.displayAttribute(DisplayAttribute::PageFlip);
  const std::uint8_t* src = m.vram() + (mode != 3 && flip ? kSecondPageOffset : 0);
  const int width = mode == 5 ? 160 : 240, height = mode == 5 ? 120 : 160;
  const int visibleW = width, visibleH = height;
  for (int r = 0; r < height; ++r) {
    const int py = r + bg2.scrollY;
    if (py < 0 || py >= visibleH) continue;
    std::uint8_t* row = m.picture.data() + static_cast<std::size_t>(py) * kRowBytes;
    for (int col = 0; col < width; ++col) {
      const int px = col + bg2.scrollX;
      if (px < 0 || px >= visibleW) continue;
      std::uint32_t colour;
      if (mode == 4) {
        colour = pal[src[r * width + col]];
      } else {
        const std::uint8_t* p = src + (r * width + col) * 2;
        colour = convertColour(static_cast<std::uint16_t>(p[0] | p[1] << 8));
      }
      std::uint8_t* out = row + px * 3;
      out[0] = static_cast<std::uint8_t>(colour);
      out[1] = static_cast<std::uint8_t>(colour >> 8);
      out[2] = static_cast<std::uint8_t>(colour >> 16);
    }
  }
}

}  // namespace

void renderLine(MachineState& m, int y) {
  if (y < 0 || y >= kScreenHeight) return;
  LineContext c;
  prepareContext(m, c, y);
  std::fill(c.colours, c.colours + kScreenWidth, c.bgPal[0]);
  std::fill(c.ids, c.ids + kScreenWidth, 0);
  if (m.displayAttribute(DisplayAttribute::BlankDisplay) || m.videoMode() > 2) {
    storeRow(m, y, c.colours);
    return;
  }
  detail::buildSpriteList(c);

  const bool winA = m.displayAttribute(DisplayAttribute::EnableWindowA);
  const bool winB = m.displayAttribute(DisplayAttribute::EnableWindowB);
  if (!winA && !winB) {
    if (m.displayAttribute(DisplayAttribute::EnableSpriteWindow))
      drawOutside(c, 0, kScreenWidth);
    else
      drawSegment(c, 0xFF, 0, kScreenWidth);
    storeRow(m, y, c.colours);
    return;
  }

  // Cut the line at the window edges; each piece lies wholly inside or
  // outside each window. Window 0 has the say where the two overlap.
  const bool in0 = winA && windowCoversRow(m.windowRegion(0), y);
  const bool in1 = winB && windowCoversRow(m.windowRegion(1), y);
  int cuts[6] = {kScreenWidth};
  int cutCount = 1;
  for (int w = 0; w < 2; ++w) {
    if (!(w == 0 ? in0 : in1)) continue;
    for (int edge : {static_cast<int>(m.windowRegion(w).left), static_cast<int>(m.windowRegion(w).right)})
      if (edge > 0 && edge < kScreenWidth) cuts[cutCount++] = edge;
  }
  for (int i = 1; i < cutCount; ++i)  // at most five: insertion sort
    for (int j = i; j > 0 && cuts[j - 1] > cuts[j]; --j) std::swap(cuts[j - 1], cuts[j]);
  int x = 0;
  for (int k = 0; k < cutCount; ++k) {
    const int end = cuts[k];
    if (end <= x) continue;
    if (in0 && windowCoversColumn(m.windowRegion(0), x))
      drawSegment(c, m.windowContent(0), x, end);
    else if (in1 && windowCoversColumn(m.windowRegion(1), x))
      drawSegment(c, m.windowContent(1), x, end);
    else
      drawOutside(c, x, end);
    x = end;
  }
  storeRow(m, y, c.colours);
}

bool renderFrame(MachineState& m, FrameCallbacks* callbacks, bool resume) {
  m.palette(0).noticeOutsideWrites();
  m.palette(1).noticeOutsideWrites();
  if (!resume) {
    m.frameUnfinished = false;
    m.resumeLine = 0;
    if (m.displayAttribute(DisplayAttribute::BlankDisplay)) {
      fillPicture(m, m.palette(0).converted()[0]);
      return true;
    }
  }
  if (m.videoMode() > 2) {
    m.frameUnfinished = false;
    m.resumeLine = 0;
    drawBitmap(m);
    return true;
  }
  const int first = resume && m.frameUnfinished ? m.resumeLine : 0;
  for (int y = first; y < kScreenHeight; ++y) {
    renderLine(m, y);
    if (!callbacks) continue;
    const CallbackResult r = callbacks->lineDrawn(y);
    if (r == CallbackResult::Failed) {
      m.frameUnfinished = false;
      m.resumeLine = 0;
      return false;
    }
    if (r == CallbackResult::Paused) {
      m.frameUnfinished = true;
      m.resumeLine = y;
      return true;
    }
  }
  m.frameUnfinished = false;
  m.resumeLine = 0;
  if (callbacks && callbacks->frameDrawn() == CallbackResult::Failed) return false;
  return true;
}

}  // namespace tarvolin::machine
