#include "machine/back_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace tarvolin::machine {
namespace {

using Points = std::vector<std::pair<long long, long long>>;

// Every point of the error-term walk, on the page or not, step by step.
Points walk(long long x1, long long y1, long long x2, long long y2) {
  const long long dx = std::llabs(x2 - x1), dy = std::llabs(y2 - y1);
  const long long major = std::max(dx, dy), minor = std::min(dx, dy);
  const int sx = x2 < x1 ? -1 : 1, sy = y2 < y1 ? -1 : 1;
  long long x = x1, y = y1, err = major / 2;
  Points out;
  for (long long i = 0; i <= major; ++i) {
    out.push_back({x, y});
    err += minor;
    const bool stepMinor = err > major;
    if (stepMinor) err -= major;
    if (dx >= dy) {
      x += sx;
      if (stepMinor) y += sy;
    } else {
      y += sy;
      if (stepMinor) x += sx;
    }
  }
  return out;
}

std::vector<std::uint8_t> page8(MachineState& m) {
  const BackPage p = m.backPage();
  return std::vector<std::uint8_t>(p.pixels, p.pixels + p.width * p.height);
}

std::unique_ptr<MachineState> mode4() {
  auto m = std::make_unique<MachineState>();
  m->setDisplayAttribute(DisplayAttribute::VideoMode, 4);
  return m;
}

TEST(BackPageDrawing, LinesMatchTheStepByStepWalkIncludingFarOffPoints) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> near(-60, 300), far(-200000, 200000);
  for (int n = 0; n < 300; ++n) {
    auto m = mode4();
    int c[4];
    for (int& v : c) v = n < 250 ? near(rng) : far(rng);
    drawLine(*m, c[0], c[1], c[2], c[3], 0x1A7);
    std::vector<std::uint8_t> want(240 * 160, 0);
    for (auto [x, y] : walk(c[0], c[1], c[2], c[3]))
      if (x >= 0 && y >= 0 && x < 240 && y < 160) want[y * 240 + x] = 0xA7;  // low 8 bits
    ASSERT_EQ(page8(*m), want) << c[0] << "," << c[1] << " -> " << c[2] << "," << c[3];
  }
}

TEST(BackPageDrawing, HugeCoordinatesFinishAndDrawOnlyOnThePage) {
  auto m = mode4();
  drawLine(*m, INT_MIN, 10, INT_MAX, 10, 3);
  drawLine(*m, 5, INT_MIN, 5, INT_MAX, 4);
  drawTriangle(*m, INT_MIN, INT_MIN, INT_MAX, 0, 0, INT_MAX, 6);
  const std::vector<std::uint8_t> p = page8(*m);
  // The fill covers every row but the last and every column but the last.
  for (int y = 0; y < 159; ++y)
    for (int x = 0; x < 239; ++x) ASSERT_NE(p[y * 240 + x], 0) << x << "," << y;
}

TEST(BackPageDrawing, TrianglesFillBetweenTracedEdgesHalfOpen) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> coord(-40, 280);
  for (int n = 0; n < 200; ++n) {
    auto m = mode4();
    int c[6];
    for (int& v : c) v = coord(rng);
    drawTriangle(*m, c[0], c[1], c[2], c[3], c[4], c[5], 9);
    // Reference: trace all three edges point by point.
    std::vector<long long> lo(160, LLONG_MAX), hi(160, LLONG_MIN);
    for (int e = 0; e < 3; ++e) {
      const int a = e * 2, b = (e * 2 + 2) % 6;
      for (auto [x, y] : walk(c[a], c[a + 1], c[b], c[b + 1])) {
        if (y < 0 || y >= 160) continue;
        lo[y] = std::min(lo[y], x);
        hi[y] = std::max(hi[y], x);
      }
    }
    int top = -1, bottom = -1;
    for (int r = 0; r < 160; ++r)
      if (lo[r] <= hi[r]) {
        if (top < 0) top = r;
        bottom = r;
      }
    std::vector<std::uint8_t> want(240 * 160, 0);
    for (int r = std::max(top, 0); r < bottom; ++r)
      for (long long x = std::max(lo[r], 0LL); x < std::min(hi[r], 239LL); ++x) want[r * 240 + x] = 9;
    ASSERT_EQ(page8(*m), want) << n;
  }
}

TEST(BackPageDrawing, ColourFormatAndPageFollowTheMode) {
  auto m = std::make_unique<MachineState>();
  drawLine(*m, 0, 0, 10, 0, 0x7FFF);  // mode 0: nothing
  drawTriangle(*m, 0, 0, 50, 0, 0, 50, 0x7FFF);
  for (int i = 0; i < 0x18000; ++i) ASSERT_EQ(m->vram()[i], 0);

  m->setDisplayAttribute(DisplayAttribute::VideoMode, 3);
  drawLine(*m, 2, 1, 2, 1, 0x1234);
  EXPECT_EQ(m->vram()[(1 * 240 + 2) * 2], 0x34);
  EXPECT_EQ(m->vram()[(1 * 240 + 2) * 2 + 1], 0x12);

  m->setDisplayAttribute(DisplayAttribute::VideoMode, 5);
  drawLine(*m, 159, 119, 170, 130, 0x0ABC);  // only the corner pixel is on the page
  const std::uint8_t* page = m->vram() + 0xA000;
  EXPECT_EQ(page[(119 * 160 + 159) * 2], 0xBC);
  EXPECT_EQ(page[(119 * 160 + 159) * 2 + 1], 0x0A);
  EXPECT_EQ(m->vram()[0xA000 + 160 * 120 * 2], 0);
}

}  // namespace
}  // namespace tarvolin::machine
