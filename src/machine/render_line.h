// Internals of the line renderer shared by its source files.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "machine/machine_state.h"
#include "machine/sprite_line.h"

namespace tarvolin::machine::detail {

// How a layer's pixels meet what is already on the line.
enum class Fx { Plain, Alpha, Lighten, Darken };

struct LineContext {
  MachineState* m = nullptr;
  int y = 0;
  std::uint32_t* colours = nullptr;
  std::uint8_t* ids = nullptr;
  const std::uint32_t* bgPal = nullptr;
  const std::uint32_t* objPal = nullptr;
  std::array<std::uint8_t, 8> targets{};  // by layer identity
  std::array<std::uint8_t, 6> targetIds{};  // the identities that are targets
  int targetCount = 0;
  int alphaSource = 0, alphaTarget = 0, tint = 0;
  // Sprites covering the line, from index 127 down; drawn ones by priority.
  std::array<LineSprite, 128> sprites;
  int spriteCount = 0;
  std::array<std::array<std::uint8_t, 128>, 4> byPriority;
  std::array<int, 4> priorityCount{};
  bool anyWindowSprite = false;
#if defined(__SSE2__)
  // The same settings broadcast for the eight-pixel runs, set once a line.
  __m128i alphaSourceVec{}, alphaTargetVec{};
  __m128i targetVecs[6]{};
#endif
};

// The 8 pixel values of a 16-colour tile row (4 bytes, even column in the
// high nibble), one byte each.
inline void expandRow16(const std::uint8_t* row, std::uint8_t* vals) {
  std::uint32_t bits;
  std::memcpy(&bits, row, 4);
  std::uint64_t t = bits;
  t = (t | t << 16) & 0x0000FFFF0000FFFFull;
  t = (t | t << 8) & 0x00FF00FF00FF00FFull;
  const std::uint64_t out = (t >> 4 & 0x000F000F000F000Full) | (t & 0x000F000F000F000Full) << 8;
  std::memcpy(vals, &out, 8);
}

// Per channel: (u x b >> 4) + (c x a >> 4), at most 255. Red and blue are
// worked together in two 16-bit lanes.
inline std::uint32_t blendAlpha(std::uint32_t u, std::uint32_t c, int a, int b) {
  const std::uint32_t ua = static_cast<std::uint32_t>(a), ub = static_cast<std::uint32_t>(b);
  std::uint32_t rb = (((u & 0xFF00FFu) * ub) >> 4 & 0x1FF01FFu) + (((c & 0xFF00FFu) * ua) >> 4 & 0x1FF01FFu);
  std::uint32_t over = (rb >> 8) & 0x00030003u;
  over = (over | over >> 1) & 0x00010001u;
  rb = (rb | over * 0xFFu) & 0x00FF00FFu;
  const std::uint32_t g = std::min<std::uint32_t>(255, ((u >> 8 & 255) * ub >> 4) + ((c >> 8 & 255) * ua >> 4));
  return rb | g << 8;
}

inline std::uint32_t lighten(std::uint32_t c, int k) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t cc = c >> shift & 255;
    out |= std::min<std::uint32_t>(255, cc + ((255 - cc) * k >> 4)) << shift;
  }
  return out;
}

inline std::uint32_t darken(std::uint32_t c, int k) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t cc = c >> shift & 255;
    out |= (cc - cc * k / 16) << shift;
  }
  return out;
}

template <Fx F>
inline void putPixel(const LineContext& c, int x, std::uint32_t colour, std::uint8_t id) {
  if constexpr (F == Fx::Alpha) {
    if (c.targets[c.ids[x]]) colour = blendAlpha(c.colours[x], colour, c.alphaSource, c.alphaTarget);
  } else if constexpr (F == Fx::Lighten) {
    colour = lighten(colour, c.tint);
  } else if constexpr (F == Fx::Darken) {
    colour = darken(colour, c.tint);
  }
  c.colours[x] = colour;
  c.ids[x] = id;
}

#if defined(__SSE2__)
// Eight pixels at once; v8 holds their values, the first in the low byte.
template <Fx F>
inline std::uint32_t runColour(const LineContext& c, const std::uint32_t* pal, std::uint64_t v8, int i) {
  std::uint32_t colour = pal[v8 >> (8 * i) & 255];
  if constexpr (F == Fx::Lighten) colour = lighten(colour, c.tint);
  if constexpr (F == Fx::Darken) colour = darken(colour, c.tint);
  return colour;
}

// A byte mask widened to four bytes a pixel: low four pixels, high four.
inline void widenMask(__m128i m, __m128i& lo, __m128i& hi) {
  const __m128i m16 = _mm_unpacklo_epi8(m, m);
  lo = _mm_unpacklo_epi16(m16, m16);
  hi = _mm_unpackhi_epi16(m16, m16);
}

template <Fx F>
inline void putRun8(const LineContext& c, int x, std::uint64_t v8, const std::uint32_t* pal, std::uint8_t id) {
  // Built in registers: going through memory would stall on store forwarding.
  __m128i c0 = _mm_set_epi32(static_cast<int>(runColour<F>(c, pal, v8, 3)), static_cast<int>(runColour<F>(c, pal, v8, 2)),
                             static_cast<int>(runColour<F>(c, pal, v8, 1)), static_cast<int>(runColour<F>(c, pal, v8, 0)));
  __m128i c1 = _mm_set_epi32(static_cast<int>(runColour<F>(c, pal, v8, 7)), static_cast<int>(runColour<F>(c, pal, v8, 6)),
                             static_cast<int>(runColour<F>(c, pal, v8, 5)), static_cast<int>(runColour<F>(c, pal, v8, 4)));
  std::uint32_t* dst = c.colours + x;
  std::uint8_t* ids = c.ids + x;
  const __m128i u0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
  const __m128i u1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + 4));
  const __m128i zero = _mm_setzero_si128();
  const __m128i oldIds = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(ids));
  if constexpr (F == Fx::Alpha) {
    const __m128i a = c.alphaSourceVec;
    const __m128i b = c.alphaTargetVec;
    // Per channel (u x b >> 4) + (c x a >> 4); the pack saturates at 255.
    auto mix = [&](__m128i u, __m128i cc) {
      const __m128i lo = _mm_add_epi16(_mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(u, zero), b), 4),
                                       _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(cc, zero), a), 4));
      const __m128i hi = _mm_add_epi16(_mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(u, zero), b), 4),
                                       _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(cc, zero), a), 4));
      return _mm_packus_epi16(lo, hi);
    };
    // Pixels over a blend target, from the identities underneath.
    __m128i over = zero;
    for (int k = 0; k < c.targetCount; ++k)
      over = _mm_or_si128(over, _mm_cmpeq_epi8(oldIds, c.targetVecs[k]));
    __m128i t0, t1;
    widenMask(over, t0, t1);
    c0 = _mm_or_si128(_mm_and_si128(t0, mix(u0, c0)), _mm_andnot_si128(t0, c0));
    c1 = _mm_or_si128(_mm_and_si128(t1, mix(u1, c1)), _mm_andnot_si128(t1, c1));
  }
  // Transparent pixels (value 0) keep what is there.
  const __m128i clear = _mm_cmpeq_epi8(_mm_cvtsi64_si128(static_cast<long long>(v8)), zero);
  __m128i k0, k1;
  widenMask(clear, k0, k1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_or_si128(_mm_and_si128(k0, u0), _mm_andnot_si128(k0, c0)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4), _mm_or_si128(_mm_and_si128(k1, u1), _mm_andnot_si128(k1, c1)));
  const __m128i newIds = _mm_set1_epi8(static_cast<char>(id));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(ids),
                   _mm_or_si128(_mm_and_si128(clear, oldIds), _mm_andnot_si128(clear, newIds)));
}
#endif

// Draws up to 8 pixel values of one tile row: vals[first + i * step] goes to
// column x + i; value 0 leaves the pixel alone.
template <Fx F>
inline void putRun(const LineContext& c, int x, const std::uint8_t* vals, int first, int step, int n,
                   const std::uint32_t* pal, std::uint8_t id) {
#if defined(__SSE2__)
  if (n == 8) {  // a whole tile row: first is 0 going right or 7 going left
    std::uint64_t v8;
    std::memcpy(&v8, vals, 8);
    putRun8<F>(c, x, step < 0 ? __builtin_bswap64(v8) : v8, pal, id);
    return;
  }
  // A part of a row: eight pixels from `at` with the others transparent, so
  // they are written back unchanged.
  const int at = std::min(x, kScreenWidth - 8);
  std::uint64_t v8 = 0;
  for (int i = 0; i < n; ++i)
    v8 |= static_cast<std::uint64_t>(vals[first + i * step]) << (8 * (x - at + i));
  putRun8<F>(c, at, v8, pal, id);
  return;
#endif
  std::uint32_t* __restrict colours = c.colours + x;
  std::uint8_t* __restrict ids = c.ids + x;
  for (int i = 0; i < n; ++i) {
    const std::uint8_t v = vals[first + i * step];
    std::uint32_t colour = pal[v];
    if constexpr (F == Fx::Alpha) {
      const std::uint32_t mixed = blendAlpha(colours[i], colour, c.alphaSource, c.alphaTarget);
      const std::uint32_t under = 0u - c.targets[ids[i]];  // all ones over a target
      colour = (mixed & under) | (colour & ~under);
    } else if constexpr (F == Fx::Lighten) {
      colour = lighten(colour, c.tint);
    } else if constexpr (F == Fx::Darken) {
      colour = darken(colour, c.tint);
    }
    // Masks rather than branches: transparent texels come in no pattern.
    const std::uint32_t keep = (v != 0) - 1u;  // all ones when transparent
    colours[i] = (colour & ~keep) | (colours[i] & keep);
    ids[i] = static_cast<std::uint8_t>((id & ~keep) | (ids[i] & keep));
  }
}

// Background layers (text or rotational by the layer's kind).
void drawBackground(LineContext& c, int bg, Fx fx, int x0, int x1);

// Sprites.
void buildSpriteList(LineContext& c);
void drawSprites(LineContext& c, int pass, bool blendAllowed, int x0, int x1);
// Marks mask[x] for columns x0..x1-1 under a sprite-window sprite; true when
// any column was marked.
bool markSpriteWindow(LineContext& c, std::uint8_t* mask, int x0, int x1);

}  // namespace tarvolin::machine::detail
