#include "machine/back_page.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

namespace tarvolin::machine {

namespace {

// The error-term stepping from one point to another. Point i (0..major) lies
// at major-axis coordinate a0 + sa*i and minor-axis coordinate b0 + sb*n(i),
// where n(i) is how many minor steps the error term has made by then. The
// closed forms let far-off coordinates be skipped instead of stepped through.
struct Stepper {
  std::int64_t a0, b0, major, minor;
  int sa, sb;
  bool xMajor;

  Stepper(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
    const std::int64_t dx = x2 - x1, dy = y2 - y1;
    const std::int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    xMajor = adx >= ady;
    major = xMajor ? adx : ady;
    minor = xMajor ? ady : adx;
    a0 = xMajor ? x1 : y1;
    b0 = xMajor ? y1 : x1;
    sa = (xMajor ? dx : dy) < 0 ? -1 : 1;
    sb = (xMajor ? dy : dx) < 0 ? -1 : 1;
  }
  // Minor steps made before point i is plotted: the error starts at
  // major / 2 and steps when it exceeds major.
  // Products of two 33-bit spans can pass 63 bits: they are taken in 128.
  std::int64_t minorSteps(std::int64_t i) const {
    if (major == 0) return 0;
    const __int128 e = major / 2 + static_cast<__int128>(i) * minor;
    return e > 0 ? static_cast<std::int64_t>((e + major - 1) / major - 1) : 0;
  }
  // First point whose minor offset is j (j >= 0).
  std::int64_t firstWithMinor(std::int64_t j) const {
    if (j <= 0) return 0;
    if (minor == 0) return major + 1;
    return static_cast<std::int64_t>((static_cast<__int128>(j) * major - major / 2) / minor + 1);
  }
  std::int64_t x(std::int64_t i) const { return xMajor ? a0 + sa * i : b0 + sb * minorSteps(i); }
  std::int64_t y(std::int64_t i) const { return xMajor ? b0 + sb * minorSteps(i) : a0 + sa * i; }
  // Points whose major coordinate lies in 0..limit-1, as a range of i.
  void majorRange(std::int64_t limit, std::int64_t& first, std::int64_t& last) const {
    if (sa > 0) {
      first = std::max<std::int64_t>(0, -a0);
      last = std::min<std::int64_t>(major, limit - 1 - a0);
    } else {
      first = std::max<std::int64_t>(0, a0 - (limit - 1));
      last = std::min<std::int64_t>(major, a0);
    }
  }
};

void plot(const BackPage& page, std::int64_t x, std::int64_t y, int colour) {
  if (x < 0 || y < 0 || x >= page.width || y >= page.height) return;
  const std::size_t at = static_cast<std::size_t>(y * page.width + x);
  if (page.bytesPerPixel == 1) {
    page.pixels[at] = static_cast<std::uint8_t>(colour);
  } else {
    page.pixels[at * 2] = static_cast<std::uint8_t>(colour);
    page.pixels[at * 2 + 1] = static_cast<std::uint8_t>(colour >> 8);
  }
}

struct RowSpan {
  std::int64_t lo = INT64_MAX, hi = INT64_MIN;
  void add(std::int64_t x) {
    lo = std::min(lo, x);
    hi = std::max(hi, x);
  }
};

// Records the smallest and largest x of an edge on every page row it passes.
void traceEdge(std::vector<RowSpan>& rows, const Stepper& s) {
  const std::int64_t height = static_cast<std::int64_t>(rows.size());
  if (!s.xMajor) {
    std::int64_t first, last;
    s.majorRange(height, first, last);
    for (std::int64_t i = first; i <= last; ++i) rows[s.y(i)].add(s.x(i));
    return;
  }
  // x is the major axis: each row is a run of consecutive points.
  for (std::int64_t r = 0; r < height; ++r) {
    const std::int64_t j = (r - s.b0) * s.sb;
    if (j < 0) continue;
    const std::int64_t first = s.firstWithMinor(j);
    const std::int64_t last = std::min(s.major, s.firstWithMinor(j + 1) - 1);
    if (first > s.major || first > last) continue;
    rows[r].add(s.x(first));
    rows[r].add(s.x(last));
  }
}

}  // namespace

void drawLine(MachineState& state, int x1, int y1, int x2, int y2, int colour) {
  const BackPage page = state.backPage();
  if (!page.pixels) return;
  const Stepper s(x1, y1, x2, y2);
  std::int64_t first, last;
  s.majorRange(s.xMajor ? page.width : page.height, first, last);
  for (std::int64_t i = first; i <= last; ++i) plot(page, s.x(i), s.y(i), colour);
}

void drawTriangle(MachineState& state, int x1, int y1, int x2, int y2, int x3, int y3, int colour) {
  const BackPage page = state.backPage();
  if (!page.pixels) return;
  std::vector<RowSpan> rows(static_cast<std::size_t>(page.height));
  traceEdge(rows, Stepper(x1, y1, x2, y2));
  traceEdge(rows, Stepper(x2, y2, x3, y3));
  traceEdge(rows, Stepper(x3, y3, x1, y1));
  int top = -1, bottom = -1;
  for (int r = 0; r < page.height; ++r) {
    if (rows[r].lo > rows[r].hi) continue;
    if (top < 0) top = r;
    bottom = r;
  }
  if (top < 0) return;
  // Rows from the first traced up to, not including, the last; columns from
  // the smallest x up to, not including, the largest.
  for (int r = top; r < bottom; ++r) {
    if (rows[r].lo > rows[r].hi) continue;
    const std::int64_t from = std::max<std::int64_t>(rows[r].lo, 0);
    const std::int64_t to = std::min<std::int64_t>(rows[r].hi, page.width - 1);
    for (std::int64_t x = from; x < to; ++x) plot(page, x, r, colour);
  }
}

}  // namespace tarvolin::machine
