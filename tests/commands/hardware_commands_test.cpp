// The hardware command family on its own: each command given evaluated
// operands as the interpreter hands them over, checked against the machine
// it changed, the error it set and the notifications it raised.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "machine/machine_state.h"
#include "machine/tile_data.h"
#include "commands/hardware_commands.h"
#include "script/timing.h"

namespace tarvolin::commands {

using namespace script;

namespace {

struct ChangeLog : machine::MachineObserver {
  std::vector<machine::ChangeKind> seen;
  void machineChanged(machine::ChangeKind kind) override { seen.push_back(kind); }
  int count(machine::ChangeKind k) const {
    int n = 0;
    for (auto s : seen) n += s == k;
    return n;
  }
};

struct Rig {
  machine::MachineState m;
  TimingEngine timing{[](std::string_view) { return CommandId(-1); }};
  HardwareCommands hw;
  ErrorState err;
  ChangeLog log;
  std::int32_t out[3] = {};
  int outCount = 0;

  Rig() {
    hw.bind(&m, &timing);
    m.addObserver(&log);
  }
  bool run(std::int32_t command, std::initializer_list<std::int32_t> p) {
    std::vector<std::int32_t> values(p);
    values.resize(12, 0);
    err.SetError(0);
    outCount = 0;
    log.seen.clear();
    return hw.Execute(command, values.data(), int(p.size()), out, outCount, err);
  }
  // Runs a command expected to fail with `code`.
  void fails(std::int32_t command, std::initializer_list<std::int32_t> p, ErrorCode code) {
    EXPECT_FALSE(run(command, p)) << "command " << command;
    EXPECT_EQ(err.GetError(), code) << "command " << command;
    EXPECT_TRUE(log.seen.empty()) << "a failed command " << command << " notified";
  }
  int pixel(int target, int mode, int tile, int x, int y) {
    int v = -1;
    EXPECT_TRUE(machine::tilePixel(m, target, mode, tile, x, y, v));
    return v;
  }
};

enum { kBG = 0, kSPRITE = 1 };

}  // namespace

TEST(HardwareCommands, DisplayRegistersAndTheirLimits) {
  Rig r;
  ASSERT_TRUE(r.run(102, {0, 4}));  // [VideoMode] 4
  EXPECT_EQ(r.m.videoMode(), 4);
  EXPECT_EQ(r.log.count(machine::ChangeKind::Display), 1);
  r.fails(102, {0, 6}, 60);
  r.fails(102, {5, 2}, 60);  // [EnableBG0] 2
  ASSERT_TRUE(r.run(103, {2, 15}));
  EXPECT_EQ(r.m.mosaic(machine::MosaicAttribute::SpriteX), 15);
  r.fails(103, {0, 16}, 64);

  ASSERT_TRUE(r.run(104, {2}));
  r.fails(104, {-1}, 68);
  EXPECT_EQ(r.m.blendMode(), 2);  // left unchanged
  ASSERT_TRUE(r.run(105, {11, 1}));  // [BackdropTarget]
  EXPECT_EQ(r.m.blendSelect(), 1 << 13);
  r.fails(105, {0, 2}, 68);
  r.fails(106, {0, 32}, 68);
  r.fails(107, {-1}, 68);

  // Rotation sets are numbered 0 and 1.
  r.fails(108, {2, 0, 256}, 69);
  r.fails(108, {1, 0, 32768}, 73);
  ASSERT_TRUE(r.run(108, {1, 4, 70000}));  // offsets take any value
  EXPECT_EQ(r.m.bgRotation(1).offsetX, 70000);
  r.fails(109, {-1, 256, 256, 0, 0, 0, 0, 0}, 69);
  r.fails(109, {0, 40000, 256, 0, 0, 0, 0, 0}, 73);
  ASSERT_TRUE(r.run(109, {0, 256, 256, 10, 20, 5, 7, 0}));
  EXPECT_EQ(r.m.bgRotation(0).offsetX, 10 * 256 - 5 * 256);
  EXPECT_EQ(r.m.bgRotation(0).offsetY, 20 * 256 - 7 * 256);

  // Windows: a negative edge stays as it was.
  ASSERT_TRUE(r.run(110, {0, 1, 2, 3, 4}));
  ASSERT_TRUE(r.run(110, {0, -1, 10, -1, 50}));
  const machine::WindowRegion w = r.m.windowRegion(0);
  EXPECT_EQ(w.left, 1);
  EXPECT_EQ(w.top, 10);
  EXPECT_EQ(w.right, 3);
  EXPECT_EQ(w.bottom, 50);
  r.fails(110, {2, 0, 0, 0, 0}, 74);
  r.fails(110, {1, 0, 256, 0, 0}, 78);
  ASSERT_TRUE(r.run(111, {3, 5, 1}));  // sprite window [WindowBlends]
  EXPECT_EQ(r.m.windowContent(3), 0x20);
  r.fails(111, {4, 0, 1}, 74);
  r.fails(111, {2, 0, 2}, 78);
}

TEST(HardwareCommands, ScanLineFollowsTheFrameCycles) {
  Rig r;
  ASSERT_TRUE(r.run(112, {}));
  EXPECT_EQ(r.outCount, 1);
  EXPECT_EQ(r.out[0], 220);
  // Estimation is off without a database, so the count stays at 0; the
  // arithmetic itself wraps at 228 lines.
  HardwareCommands unbound;
  unbound.bind(&r.m, nullptr);
  std::int32_t out[3];
  int n = 0;
  ASSERT_TRUE(unbound.Execute(112, nullptr, 0, out, n, r.err));
  EXPECT_EQ(out[0], 220);
}

TEST(HardwareCommands, TileDataPixelsFillsAndColourChanges) {
  Rig r;
  ASSERT_TRUE(r.run(123, {kBG, 0, 5, 2, 3, 0x1C}));  // 16 colours keep the low 4 bits
  EXPECT_EQ(r.pixel(kBG, 0, 5, 2, 3), 0xC);
  EXPECT_EQ(r.m.vram()[5 * 32 + 3 * 4 + 1], 0xC0);  // even column: high nibble
  EXPECT_EQ(r.log.count(machine::ChangeKind::Tiles), 1);
  ASSERT_TRUE(r.run(124, {kBG, 0, 5, 2, 3}));
  EXPECT_EQ(r.out[0], 0xC);
  r.fails(123, {kBG, 0, 5, 2, 8, 1}, 96);   // y 8
  r.fails(123, {kBG, 0, 1024, 0, 0, 1}, 96);
  r.fails(123, {kBG, 0, 0, 0, 0, 256}, 96);
  r.fails(123, {kSPRITE, 1, 512, 0, 0, 1}, 96);  // the 256-colour sprite area has 512 tiles
  r.fails(123, {kBG, 2, 0, 0, 0, 1}, 96);
  r.fails(124, {kBG, 0, 0, -1, 0}, 96);

  // Fill wraps at the end of the area.
  ASSERT_TRUE(r.run(122, {kSPRITE, 1, 511, 2, 7}));
  EXPECT_EQ(r.pixel(kSPRITE, 1, 511, 7, 7), 7);
  EXPECT_EQ(r.pixel(kSPRITE, 1, 0, 0, 0), 7);
  EXPECT_EQ(r.pixel(kSPRITE, 1, 1, 0, 0), 0);
  r.fails(122, {kBG, 0, 0, 1, 256}, 96);

  // Change colour over a range given backwards; P3 = P4 does nothing.
  ASSERT_TRUE(r.run(122, {kBG, 0, 10, 3, 4}));
  ASSERT_TRUE(r.run(123, {kBG, 0, 11, 0, 0, 9}));
  ASSERT_TRUE(r.run(118, {kBG, 0, 11, 10, 4, 6}));
  EXPECT_EQ(r.pixel(kBG, 0, 10, 3, 3), 6);
  EXPECT_EQ(r.pixel(kBG, 0, 11, 0, 0), 9);
  EXPECT_EQ(r.pixel(kBG, 0, 12, 0, 0), 4);
  ASSERT_TRUE(r.run(118, {kBG, 0, 12, 12, 4, 4}));
  EXPECT_TRUE(r.log.seen.empty());
  r.fails(118, {kBG, 0, 0, 0, 16, 1}, 96);
}

TEST(HardwareCommands, TileCopiesWholePartialAndMasked) {
  Rig r;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) machine::setTilePixel(r.m, kBG, 0, 1, x, y, (x + y) % 15 + 1);
  // Whole tiles, from the background area to the end of the sprite area
  // and wrapping to its start.
  ASSERT_TRUE(r.run(119, {kBG, kSPRITE, 0, 1, 1023, 2}));
  EXPECT_EQ(r.pixel(kSPRITE, 0, 1023, 3, 4), 8);
  EXPECT_EQ(r.pixel(kSPRITE, 0, 0, 0, 0), 0);  // tile 2 of BG is empty
  r.fails(119, {kBG, kBG, 0, 0, 2048, 1}, 96);
  r.fails(119, {kBG, kBG, 0, 0, 0, -1}, 96);

  // Partial: columns 2..5 and rows 1..6.
  ASSERT_TRUE(r.run(120, {kBG, kBG, 0, 1, 3, 2, 2, 1, 1}));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 2 && x <= 5 && y >= 1 && y <= 6;
      EXPECT_EQ(r.pixel(kBG, 0, 3, x, y), inside ? (x + y) % 15 + 1 : 0) << x << "," << y;
    }
  r.fails(120, {kBG, kBG, 0, 1, 3, 8, 0, 0, 0}, 96);

  // Masked: mask tile 4 has colour 1 in the left half, 2 in the right.
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) machine::setTilePixel(r.m, kBG, 0, 4, x, y, x < 4 ? 1 : 2);
  ASSERT_TRUE(r.run(122, {kBG, 0, 5, 3, 9}));  // destinations 5..7 all 9
  // copy colour 1: only the left half is copied.
  ASSERT_TRUE(r.run(121, {kBG, kBG, 0, 1, 5, 4, 1, 1, -1, -1}));
  EXPECT_EQ(r.pixel(kBG, 0, 5, 0, 0), 1);
  EXPECT_EQ(r.pixel(kBG, 0, 5, 6, 0), 9);
  // no copy colour, ignore 1, blend 2: the right half in a checkerboard.
  ASSERT_TRUE(r.run(121, {kBG, kBG, 0, 1, 6, 4, 1, -1, 1, 2}));
  EXPECT_EQ(r.pixel(kBG, 0, 6, 0, 0), 9);   // ignored
  EXPECT_EQ(r.pixel(kBG, 0, 6, 4, 0), 5);   // even: copied
  EXPECT_EQ(r.pixel(kBG, 0, 6, 5, 0), 9);   // odd: left
  // mask -1: the source itself; copy colour 3 copies only its 3s.
  ASSERT_TRUE(r.run(121, {kBG, kBG, 0, 1, 7, -1, 1, 3, -1, -1}));
  EXPECT_EQ(r.pixel(kBG, 0, 7, 2, 0), 3);
  EXPECT_EQ(r.pixel(kBG, 0, 7, 1, 1), 3);
  EXPECT_EQ(r.pixel(kBG, 0, 7, 0, 0), 9);
  r.fails(121, {kBG, kBG, 0, 1, 7, -2, 1, 3, -1, -1}, 96);
  r.fails(121, {kBG, kBG, 0, 1, 7, 4, 1, 256, -1, -1}, 96);
}

TEST(HardwareCommands, CycleRectRotatesOnlyTheTrimmedRectangle) {
  Rig r;
  // Two tiles side by side (tiles 0 and 1), 256 colours: pixel = column + 16 x row.
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) machine::setTilePixel(r.m, kBG, 1, x / 8, x % 8, y, x + 16 * y);
  auto at = [&](int x, int y) { return r.pixel(kBG, 1, x / 8, x % 8, y); };
  // Left by one over columns 1..14 and rows 2..7 (trims 1, 1, 2, 0).
  ASSERT_TRUE(r.run(117, {kBG, 3, 1, 0, 2, 2, 1, 1, 1, 2, 0}));
  EXPECT_EQ(at(0, 2), 0 + 32);   // outside: unchanged
  EXPECT_EQ(at(1, 2), 2 + 32);
  EXPECT_EQ(at(13, 2), 14 + 32);
  EXPECT_EQ(at(14, 2), 1 + 32);  // the left column came round to the right
  EXPECT_EQ(at(5, 1), 5 + 16);   // row 1 is trimmed
  // Up: the top row goes to the bottom.
  ASSERT_TRUE(r.run(117, {kBG, 0, 1, 0, 2, 2, 1, 0, 0, 0, 0}));
  EXPECT_EQ(at(15, 7), 15);
  EXPECT_EQ(at(15, 0), 15 + 16);
  // Down and Right undo them.
  ASSERT_TRUE(r.run(117, {kBG, 2, 1, 0, 2, 2, 1, 0, 0, 0, 0}));
  ASSERT_TRUE(r.run(117, {kBG, 1, 1, 0, 2, 2, 1, 1, 1, 2, 0}));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) EXPECT_EQ(at(x, y), x + 16 * y);
  // Trims that leave nothing succeed without a change.
  ASSERT_TRUE(r.run(117, {kBG, 3, 1, 0, 2, 2, 1, 4, 4, 0, 0}));
  EXPECT_TRUE(r.log.seen.empty());
  r.fails(117, {kBG, 3, 1, 0, 2, 2, 1, 8, 0, 0, 0}, 96);
  r.fails(117, {kBG, 3, 2, 0, 2, 2, 1, 0, 0, 0, 0}, 96);
  r.fails(117, {kBG, 3, 1, 1024, 1, 1, 1, 0, 0, 0, 0}, 96);
}

TEST(HardwareCommands, CycleRectMatchesThePixelWalkAndRefusesOverlappingBlocks) {
  // The rotation checked against a plain walk over the pixels, for blocks
  // that wrap past the end of the area, strides wider than the block, every
  // direction, both colour modes and both areas.
  std::uint32_t seed = 12345;
  auto next = [&](int n) {
    seed = seed * 1103515245u + 12345u;
    return int((seed >> 8) % std::uint32_t(n));
  };
  for (int round = 0; round < 60; ++round) {
    Rig r;
    const int target = next(2), mode = next(2), dir = next(4);
    const int tiles = machine::tileCount(target, mode);
    const int width = 1 + next(6), height = 1 + next(6), stride = next(10);
    const int first = tiles - 1 - next(8);  // near the end: rows wrap to tile 0
    const int left = next(4), right = next(4), top = next(4), bottom = next(4);
    const int rowStride = std::max(stride, width);
    const int maxColour = mode == 1 ? 255 : 15;
    for (int t = 0; t < tiles; t += 1 + next(3))
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) machine::setTilePixel(r.m, target, mode, t, x, y, next(maxColour + 1));
    auto where = [&](int x, int y, int& tile) {
      tile = int((std::int64_t(first) + (y / 8) * rowStride + x / 8) % tiles);
    };
    auto get = [&](int x, int y) {
      int tile;
      where(x, y, tile);
      return r.pixel(target, mode, tile, x % 8, y % 8);
    };
    // The expected picture of the rectangle after one step.
    const int x0 = left, x1 = width * 8 - right - 1, y0 = top, y1 = height * 8 - bottom - 1;
    std::vector<int> before, expected;
    for (int y = 0; y < height * 8; ++y)
      for (int x = 0; x < width * 8; ++x) before.push_back(get(x, y));
    expected = before;
    auto idx = [&](int x, int y) { return std::size_t(y * width * 8 + x); };
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        int sx = x, sy = y;
        if (dir == 0) sy = y == y1 ? y0 : y + 1;
        if (dir == 2) sy = y == y0 ? y1 : y - 1;
        if (dir == 3) sx = x == x1 ? x0 : x + 1;
        if (dir == 1) sx = x == x0 ? x1 : x - 1;
        expected[idx(x, y)] = before[idx(sx, sy)];
      }
    ASSERT_TRUE(r.run(117, {target, dir, mode, first, width, stride, height, left, right, top, bottom}))
        << round;
    for (int y = 0; y < height * 8; ++y)
      for (int x = 0; x < width * 8; ++x) ASSERT_EQ(get(x, y), expected[idx(x, y)]) << round << " " << x << "," << y;
  }
  // A block of more tiles than the area holds is refused; one that fills it
  // exactly is not.
  Rig r;
  r.fails(117, {kBG, 3, 1, 0, 1023, 1023, 2, 0, 0, 0, 0}, 96);
  r.fails(117, {kSPRITE, 0, 1, 0, 33, 0, 16, 0, 0, 0, 0}, 96);
  EXPECT_TRUE(r.run(117, {kSPRITE, 0, 1, 0, 32, 0, 16, 0, 0, 0, 0}));
}

TEST(HardwareCommands, TileMapCellsRectanglesAndSettings) {
  Rig r;
  // Layer 0, text, 32x32: attributes are fields of the 16-bit cell.
  ASSERT_TRUE(r.run(131, {0, 3, 4, 4, 0x1234}));  // [All]
  ASSERT_TRUE(r.run(131, {0, 3, 4, 1, 1}));       // [FlipHorizontal]
  ASSERT_TRUE(r.run(130, {0, 3, 4, 4}));
  EXPECT_EQ(r.out[0], 0x1634);
  ASSERT_TRUE(r.run(130, {0, 3, 4, 3}));
  EXPECT_EQ(r.out[0], 1);
  r.fails(131, {4, 0, 0, 0, 1}, 87);
  r.fails(131, {0, 32, 0, 0, 1}, 93);
  r.fails(131, {0, 0, -1, 0, 1}, 94);
  r.fails(131, {0, 0, 0, 0, 1024}, 92);
  r.fails(131, {0, 0, 0, 3, 16}, 92);

  // Counting up: 1023 then 0, the upper bits kept.
  ASSERT_TRUE(r.run(134, {0, 4, 0, 0, 2, 1, 0x43FF}));
  ASSERT_TRUE(r.run(130, {0, 0, 0, 4}));
  EXPECT_EQ(r.out[0], 0x43FF);
  ASSERT_TRUE(r.run(130, {0, 1, 0, 4}));
  EXPECT_EQ(r.out[0], 0x4000);
  // Both corners are checked before anything is written.
  r.fails(132, {0, 0, 30, 0, 3, 1, 5}, 93);
  ASSERT_TRUE(r.run(130, {0, 30, 0, 0}));
  EXPECT_EQ(r.out[0], 0);
  ASSERT_TRUE(r.run(132, {0, 0, 0, 0, 0, 5, 5}));  // zero width: nothing
  EXPECT_TRUE(r.log.seen.empty());

  // Overlapping copy on one layer comes out as through a buffer.
  for (int x = 0; x < 5; ++x) ASSERT_TRUE(r.run(131, {1, x, 2, 0, x + 1}));
  ASSERT_TRUE(r.run(133, {1, 1, 0, 0, 2, 2, 2, 5, 1}));  // right by two
  for (int x = 0; x < 7; ++x) {
    ASSERT_TRUE(r.run(130, {1, x, 2, 0}));
    EXPECT_EQ(r.out[0], x < 2 ? x + 1 : x - 1) << x;
  }
  ASSERT_TRUE(r.run(133, {1, 1, 0, 2, 2, 2, 3, 5, 1}));  // one row down
  ASSERT_TRUE(r.run(130, {1, 6, 3, 0}));
  EXPECT_EQ(r.out[0], 5);
  r.fails(133, {1, 1, 0, 0, 0, 30, 0, 3, 1}, 93);

  // Rotational layers hold a tile byte only.
  ASSERT_TRUE(r.run(102, {0, 2}));  // mode 2: BG2 and BG3 rotational, 16x16 at size 0
  r.fails(131, {2, 0, 0, 1, 1}, 92);
  r.fails(131, {2, 0, 0, 0, 256}, 92);
  r.fails(131, {2, 16, 0, 0, 1}, 93);
  ASSERT_TRUE(r.run(131, {2, 15, 15, 0, 200}));
  ASSERT_TRUE(r.run(130, {2, 15, 15, 2}));
  EXPECT_EQ(r.out[0], 0);
  ASSERT_TRUE(r.run(130, {2, 15, 15, 0}));
  EXPECT_EQ(r.out[0], 200);

  // Settings: ranges, and a notification only for a real change.
  ASSERT_TRUE(r.run(139, {0, -512}));
  EXPECT_EQ(r.m.layer(0).scrollX, -512);
  EXPECT_EQ(r.log.count(machine::ChangeKind::TileMap), 1);
  ASSERT_TRUE(r.run(139, {0, -512}));
  EXPECT_TRUE(r.log.seen.empty());
  r.fails(139, {0, 512}, 92);
  r.fails(138, {0, 32}, 92);
  r.fails(136, {4, 0}, 87);
  ASSERT_TRUE(r.run(141, {3, 3}));
  EXPECT_EQ(r.m.mapWidth(3), 128);
}

TEST(HardwareCommands, PalettesSpritesAndRotationBanks) {
  Rig r;
  for (int i = 1; i <= 4; ++i) ASSERT_TRUE(r.run(153, {kBG, i, i * 100}));
  ASSERT_TRUE(r.run(145, {kBG, 1, 4}));
  EXPECT_EQ(r.m.palette(0).colour(1), 400);
  EXPECT_EQ(r.m.palette(0).colour(2), 100);
  EXPECT_EQ(r.m.palette(0).colour(4), 300);
  ASSERT_TRUE(r.run(145, {kBG, 4, 1}));
  ASSERT_TRUE(r.run(145, {kBG, 4, 1}));
  EXPECT_EQ(r.m.palette(0).colour(1), 200);  // (d,a,b,c) -> (a,b,c,d) -> (b,c,d,a)
  EXPECT_EQ(r.m.palette(0).colour(4), 100);
  ASSERT_TRUE(r.run(151, {kSPRITE, 7, 31}));
  ASSERT_TRUE(r.run(149, {kSPRITE, 7, 5}));
  ASSERT_TRUE(r.run(152, {kSPRITE, 7}));
  EXPECT_EQ(r.out[0], 31 << 10 | 5);
  ASSERT_TRUE(r.run(148, {kSPRITE, 7}));
  EXPECT_EQ(r.out[0], 31);
  EXPECT_EQ(r.m.memory(machine::kPram, 0x200 + 14)[0], 5);  // the SPRITE colours in PRAM
  r.fails(153, {kBG, 256, 0}, 98);
  r.fails(153, {kBG, 0, 0x8000}, 102);
  r.fails(150, {kBG, 0, 32}, 102);
  r.fails(145, {kBG, 0, -1}, 98);

  ASSERT_TRUE(r.run(154, {3, 0, -1}));  // [Xpos] -1
  ASSERT_TRUE(r.run(155, {3, 0}));
  EXPECT_EQ(r.out[0], 511);
  ASSERT_TRUE(r.run(154, {3, 11, 8}));  // [RotationIndex] 8 flips a plain sprite
  ASSERT_TRUE(r.run(155, {3, 9}));
  EXPECT_EQ(r.out[0], 1);
  EXPECT_EQ(r.log.count(machine::ChangeKind::Sprites), 0);
  r.fails(154, {128, 0, 0}, 79);
  r.fails(154, {0, 4, 3}, 83);    // [DisplayMode] 3
  r.fails(154, {0, 14, 1024}, 83);

  ASSERT_TRUE(r.run(157, {0, 0, 256}));
  EXPECT_EQ(r.m.rotationValue(0, machine::RotationAttribute::Xscale), 256);
  EXPECT_EQ(r.m.rotationValue(0, machine::RotationAttribute::Yscale), 256);
  EXPECT_EQ(r.m.rotationValue(0, machine::RotationAttribute::Xshear), 0);
  EXPECT_EQ(r.m.rotationValue(0, machine::RotationAttribute::Yshear), 0);
  EXPECT_EQ(r.log.count(machine::ChangeKind::Sprites), 1);
  ASSERT_TRUE(r.run(156, {31, 2, 0x10180}));  // low 16 bits: 1.5
  EXPECT_EQ(r.m.rotationValue(31, machine::RotationAttribute::Xshear), 384);
  r.fails(157, {0, 10, 0x10000}, 86);  // a scale of zero in the low 16 bits
  r.fails(157, {32, 0, 256}, 85);
  r.fails(156, {-1, 0, 256}, 85);
}

TEST(HardwareCommands, DrawingOnTheBackPage) {
  Rig r;
  ASSERT_TRUE(r.run(178, {33, 2, 31}));
  EXPECT_EQ(r.out[0], 1 + 2 * 32 + 31 * 1024);
  ASSERT_TRUE(r.run(176, {0, 0, 5, 0, 0x7FFF}));  // mode 0: no page, nothing drawn
  EXPECT_TRUE(r.log.seen.empty());
  ASSERT_TRUE(r.run(102, {0, 3}));
  ASSERT_TRUE(r.run(176, {-3, 1, 300, 1, 0x1234}));  // clipped to the page
  EXPECT_EQ(r.m.vram()[480 + 0], 0x34);
  EXPECT_EQ(r.m.vram()[480 + 239 * 2 + 1], 0x12);
  EXPECT_EQ(r.log.count(machine::ChangeKind::Tiles), 1);
}

TEST(HardwareCommands, CollisionPropertiesAndOverlaps) {
  Rig r;
  r.fails(179, {1024, 1}, 119);
  r.fails(179, {0, 256}, 120);
  ASSERT_TRUE(r.run(179, {5, 0x01}));
  ASSERT_TRUE(r.run(179, {6, 0x82}));
  // Layer 0: tile 5 at cell (2, 1), tile 6 (flipped, palette 3) at (31, 31).
  r.m.setMapCell(0, 2, 1, 5);
  r.m.setMapCell(0, 31, 31, 0x3406);
  ASSERT_TRUE(r.run(180, {0, 16, 8, 8, 8, 0xFF}));
  EXPECT_EQ(r.out[0], 0x01);
  ASSERT_TRUE(r.run(180, {0, 15, 7, 2, 2, 0xFF}));  // touches the cell's corner
  EXPECT_EQ(r.out[0], 0x01);
  ASSERT_TRUE(r.run(180, {0, 24, 8, 8, 8, 0xFF}));
  EXPECT_EQ(r.out[0], 0);
  // The map wraps: a region above and left of the origin reaches (31, 31).
  ASSERT_TRUE(r.run(180, {0, -4, -4, 8, 8, 0xFF}));
  EXPECT_EQ(r.out[0], 0x82);
  ASSERT_TRUE(r.run(180, {0, -4, -4, 8, 8, 0x0F}));
  EXPECT_EQ(r.out[0], 0x02);
  // Scrolling moves the map under the screen rectangle.
  ASSERT_TRUE(r.run(139, {0, 16}));
  ASSERT_TRUE(r.run(180, {0, 0, 8, 1, 1, 0xFF}));
  EXPECT_EQ(r.out[0], 0x01);
  // A huge rectangle covers the whole map once.
  ASSERT_TRUE(r.run(180, {0, 0, 0, 0x7FFFFFFF, 0x7FFFFFFF, 0xFF}));
  EXPECT_EQ(r.out[0], 0x83);
  ASSERT_TRUE(r.run(180, {0, 0, 0, 0, 8, 0xFF}));
  EXPECT_EQ(r.out[0], 0);
  // A rotation map that does not repeat: the walk keeps to its cells, so
  // the largest rectangles, from far off the map, answer at once.
  ASSERT_TRUE(r.m.setDisplayAttribute(machine::DisplayAttribute::VideoMode, 2));
  ASSERT_TRUE(r.m.setLayerAttribute(2, machine::LayerAttribute::Size, 3));  // 128 x 128
  r.m.setMapCell(2, 127, 127, 5);
  r.m.setMapCell(2, 0, 0, 6);
  ASSERT_TRUE(r.run(180, {2, -0x7FFFFFF0, -0x7FFFFFF0, 0x7FFFFFFF, 0x7FFFFFFF, 0xFF}));
  EXPECT_EQ(r.out[0], 0x82);  // it ends at pixel 14: cells 0 and 1
  ASSERT_TRUE(r.run(180, {2, 0, 0, 0x7FFFFFFF, 0x7FFFFFFF, 0xFF}));
  EXPECT_EQ(r.out[0], 0x83);
  ASSERT_TRUE(r.run(180, {2, 1024, 0, 0x7FFFFFFF, 0x7FFFFFFF, 0xFF}));
  EXPECT_EQ(r.out[0], 0);  // wholly right of the map
  ASSERT_TRUE(r.run(180, {2, 1016, 1016, 0x7FFFFFFF, 0x7FFFFFFF, 0x0F}));
  EXPECT_EQ(r.out[0], 0x01);  // from the last cell on
  ASSERT_TRUE(r.m.setDisplayAttribute(machine::DisplayAttribute::VideoMode, 0));
  r.fails(180, {4, 0, 0, 8, 8, 1}, 87);
  r.fails(180, {0, 0, 0, 8, 8, 256}, 120);

  // Sprite 0, 16x16 at (16, 0); sprite 1, 8x8 at (508, 250): it wraps to
  // (-4, -6). Both shown (SdFold 0).
  for (int s : {0, 1}) ASSERT_TRUE(r.run(154, {s, 3, 0}));
  ASSERT_TRUE(r.run(154, {0, 0, 16}));
  ASSERT_TRUE(r.run(154, {0, 8, 1}));
  ASSERT_TRUE(r.run(154, {1, 0, 508}));
  ASSERT_TRUE(r.run(154, {1, 1, 250}));
  ASSERT_TRUE(r.run(181, {0, 0, 0xFF, 0, 0}));  // at scroll 16: cells (4..5, 0..1)
  EXPECT_EQ(r.out[0], 0);
  ASSERT_TRUE(r.run(181, {0, 0, 0xFF, -16, 0}));  // moved left: cells (2..3, 0..1)
  EXPECT_EQ(r.out[0], 0x01);
  ASSERT_TRUE(r.run(182, {1, 0, 0, 1, 1}));
  EXPECT_EQ(r.out[0], 1);
  ASSERT_TRUE(r.run(182, {1, 4, 0, 4, 4}));
  EXPECT_EQ(r.out[0], 0);
  ASSERT_TRUE(r.run(183, {0, 1}));
  EXPECT_EQ(r.out[0], 0);
  ASSERT_TRUE(r.run(154, {1, 0, 12}));  // now 12..19 overlaps 16..31
  ASSERT_TRUE(r.run(183, {1, 0}));
  EXPECT_EQ(r.out[0], 1);
  ASSERT_TRUE(r.run(154, {1, 3, 1}));  // hidden: overlaps nothing
  ASSERT_TRUE(r.run(183, {1, 0}));
  EXPECT_EQ(r.out[0], 0);
  r.fails(183, {0, 128}, 79);
  r.fails(181, {0, 4, 1, 0, 0}, 87);
  r.fails(181, {0, 0, -1, 0, 0}, 120);
  // A display reset clears the property table.
  r.m.displayReset();
  EXPECT_EQ(r.m.tileProperty(6), 0);
}

}  // namespace tarvolin::commands
