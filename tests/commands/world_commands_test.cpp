#include "commands/world_commands.h"
#include "script/commands.h"

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <vector>

#include "machine/machine_state.h"
#include "project/images/image.h"
#include "project/project.h"
#include "project/recording_host.h"
#include "common/temp_dir.h"

namespace tarvolin::commands {

using namespace script;

namespace {

class WorldRig {
 public:
  WorldRig() : project(host, working) {
    world.bind(&project, &machine);
    project::FontMap font;
    font.name = "font";
    font.ranges = {project::CharRange{'A', 'Z', 0}, project::CharRange{'0', '9', 52}};
    font.cellHeight = 2;
    project.fontMaps().add(font);
    project::StringRecord hello;
    hello.identifier = "hello";
    hello.texts[0] = "CAB";
    hello.texts[5] = "BA";
    project.strings().add(hello);
  }

  // Runs a command; the results land in `out`.
  bool run(std::int32_t command, std::initializer_list<std::int32_t> p) {
    std::vector<std::int32_t> values(p);
    values.resize(10, 0);
    out.assign(3, 0);
    return world.Execute(command, values.data(), int(p.size()), out.data(), outCount, err);
  }
  std::uint16_t cell(int layer, int x, int y) const {
    std::uint16_t v = 0;
    machine.mapCell(layer, x, y, v);
    return v;
  }

  test::RecordingHost host;
  std::string working;
  project::Project project;
  machine::MachineState machine;
  WorldCommands world;
  ErrorState err;
  std::vector<std::int32_t> out;
  int outCount = 0;
};

}  // namespace

TEST(WorldCommands, AnIndexThatNamesNoAssetIsItsKindsRangeError) {
  WorldRig r;  // one font map and one string; no paths, levels or tile lists
  EXPECT_FALSE(r.run(cmd::PathGetLength, {0}));
  EXPECT_EQ(r.err.GetError(), err::kPathIndexOutOfRange);
  EXPECT_FALSE(r.run(cmd::LevelGetDimensionX, {0}));
  EXPECT_EQ(r.err.GetError(), err::kLevelIndexOutOfRange);
  EXPECT_FALSE(r.run(cmd::TilelistGroupLoad, {0, 0, 0, 0}));
  EXPECT_EQ(r.err.GetError(), err::kTileListIndexOutOfRange);
  EXPECT_FALSE(r.run(cmd::StringGetLength, {-1}));
  EXPECT_EQ(r.err.GetError(), err::kStringIndexOutOfRange);
  EXPECT_TRUE(r.run(cmd::StringGetLength, {0}));
}

TEST(StringCommands, TargetChecksAndDrawnCells) {
  WorldRig r;
  EXPECT_FALSE(r.run(158, {0, 0, 0}));  // no target yet
  EXPECT_EQ(r.err.GetError(), 87);
  EXPECT_FALSE(r.run(162, {4, 0, 0}));
  EXPECT_EQ(r.err.GetError(), 87);
  EXPECT_FALSE(r.run(162, {0, 1, 0}));  // only one font map
  EXPECT_EQ(r.err.GetError(), 25);
  EXPECT_FALSE(r.run(162, {0, 0, 2048}));
  EXPECT_EQ(r.err.GetError(), 88);
  EXPECT_FALSE(r.run(163, {0, 2, 0, 0}));
  EXPECT_EQ(r.err.GetError(), 42);
  EXPECT_FALSE(r.run(164, {1, 16}));
  EXPECT_EQ(r.err.GetError(), 98);
  EXPECT_FALSE(r.run(164, {2, 0}));
  EXPECT_EQ(r.err.GetError(), 42);

  ASSERT_TRUE(r.run(162, {1, 0, 100}));
  // A cell that already holds a vertical flip and palette 9 keeps the
  // vertical flip (not active) and takes palette 3 and the horizontal flip.
  r.machine.setMapCell(1, 2, 3, 0x9800);
  ASSERT_TRUE(r.run(163, {1, 1, 0, 0}));
  ASSERT_TRUE(r.run(164, {1, 3}));
  ASSERT_TRUE(r.run(158, {2, 3, 0}));  // "CAB": cells of 1 x 2 tiles
  EXPECT_EQ(r.cell(1, 2, 3), 0x3C00 | 104);
  EXPECT_EQ(r.cell(1, 2, 4), 0x3400 | 105);
  EXPECT_EQ(r.cell(1, 3, 3), 0x3400 | 100);
  EXPECT_EQ(r.cell(1, 4, 3), 0x3400 | 102);
  EXPECT_EQ(r.cell(1, 5, 3), 0);

  // Characters no range covers are skipped; text runs off the map clipped.
  ASSERT_TRUE(r.run(164, {0, 0}));
  ASSERT_TRUE(r.run(163, {1, 0, 0, 0}));
  ASSERT_TRUE(r.run(159, {30, 10, 3, 7}));  // "007"
  EXPECT_EQ(r.cell(1, 30, 10) & 0x3FF, 152);
  EXPECT_EQ(r.cell(1, 31, 10) & 0x3FF, 152);
  ASSERT_TRUE(r.run(160, {0, 20, '?'}));
  EXPECT_EQ(r.cell(1, 0, 20), 0);
  ASSERT_TRUE(r.run(160, {0, 20, 'Z'}));
  EXPECT_EQ(r.cell(1, 0, 20), 100 + 50);
  ASSERT_TRUE(r.run(161, {0, 25, 1, 99, 0}));  // "AB"
  EXPECT_EQ(r.cell(1, 0, 25), 100);
  EXPECT_EQ(r.cell(1, 1, 25), 102);
  ASSERT_TRUE(r.run(159, {0, 28, 0, -12}));  // "-12": the sign is skipped
  EXPECT_EQ(r.cell(1, 0, 28), 100 + 54);  // "1": 52 + 1 x 2
  EXPECT_FALSE(r.run(158, {0, 0, 5}));
  EXPECT_EQ(r.err.GetError(), 28);
  // Text placed at the ends of the number range is clipped away.
  ASSERT_TRUE(r.run(158, {INT32_MAX, INT32_MIN, 0}));
  ASSERT_TRUE(r.run(158, {INT32_MIN, INT32_MAX, 0}));
}

TEST(StringCommands, LanguagesLengthsAndCharacters) {
  WorldRig r;
  ASSERT_TRUE(r.run(165, {0}));
  EXPECT_EQ(r.out[0], 3);
  EXPECT_FALSE(r.run(168, {6}));
  EXPECT_EQ(r.err.GetError(), 51);
  EXPECT_FALSE(r.run(168, {-1}));
  ASSERT_TRUE(r.run(168, {5}));
  ASSERT_TRUE(r.run(167, {}));
  EXPECT_EQ(r.out[0], 5);
  EXPECT_EQ(r.outCount, 1);
  ASSERT_TRUE(r.run(165, {0}));
  EXPECT_EQ(r.out[0], 2);
  ASSERT_TRUE(r.run(166, {0, 1}));
  EXPECT_EQ(r.out[0], 'A');
  ASSERT_TRUE(r.run(166, {0, 2}));
  EXPECT_EQ(r.out[0], 0);
  ASSERT_TRUE(r.run(168, {3}));  // no Italian text: an empty string
  ASSERT_TRUE(r.run(165, {0}));
  EXPECT_EQ(r.out[0], 0);
  r.world.reset();
  EXPECT_EQ(r.world.language(), 0);
}

TEST(StringCommands, ProportionalTextIntoTileData) {
  WorldRig r;
  project::FontMap& font = r.project.fontMaps().items()[0];
  font.cellHeight = 1;
  font.rendered = true;
  font.updateSizeTable();
  font.sizes[0] = project::CharSize{3, 8};  // "A" is 3 pixels wide
  font.sizes[1] = project::CharSize{5, 8};  // "B" 5
  // Font tiles at 16-colour tile 10 + glyph: "A" a column of colour 1 at
  // x 0, "B" a column of colour 2 at x 4.
  std::uint8_t* vram = r.machine.vram();
  for (int y = 0; y < 8; ++y) {
    vram[(10 + 0) * 32 + y * 4 + 0] = 0x10;
    vram[(10 + 1) * 32 + y * 4 + 2] = 0x20;
  }
  EXPECT_FALSE(r.run(169, {2048, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(r.err.GetError(), 88);
  EXPECT_FALSE(r.run(169, {0, 0, 0, 2, 0, 0, 0, 0}));
  EXPECT_EQ(r.err.GetError(), 42);
  EXPECT_FALSE(r.run(169, {0, 0, 0, 0, 0, 8, 0, 0}));
  EXPECT_EQ(r.err.GetError(), 97);
  ASSERT_TRUE(r.run(162, {0, 0, 10}));
  ASSERT_TRUE(r.run(169, {200, 0, 1, 1, 0, 1, 0, 1}));  // offset X 1, spacing 1
  ASSERT_TRUE(r.run(161, {4, 6, 0, 1, 0}));            // "CA" -> C has no pixels set
  // Another line continues the strip: "B".
  r.project.strings().setText(0, 0, "B");
  ASSERT_TRUE(r.run(158, {6, 6, 0}));
  // C: 8 wide from pixel 1, A from 10 (cursor 9 + 1), B from 14, its column at 18.
  auto pixel = [&](int tile, int x, int y) {
    const std::uint8_t b = vram[tile * 32 + y * 4 + x / 2];
    return (x & 1) ? (b & 15) : (b >> 4);
  };
  EXPECT_EQ(pixel(201, 2, 0), 1);   // pixel 10
  EXPECT_EQ(pixel(202, 2, 7), 2);   // pixel 18
  EXPECT_EQ(pixel(201, 3, 0), 0);
  ASSERT_TRUE(r.run(170, {}));
  EXPECT_EQ(r.outCount, 3);
  EXPECT_EQ(r.out[0], 202);  // cursor 13 + 5 + 1 = 19: tile 202, x 2, pixel 3
  EXPECT_EQ(r.out[1], 2);
  EXPECT_EQ(r.out[2], 3);
  // The strip's tiles were also placed in the map.
  EXPECT_EQ(r.cell(0, 4, 6), 200);
  EXPECT_EQ(r.cell(0, 5, 6), 201);
  EXPECT_EQ(r.cell(0, 6, 6), 201);
  EXPECT_EQ(r.cell(0, 7, 6), 202);
}

TEST(PathCommands, PositionsLengthAndDelta) {
  WorldRig r;
  project::MotionPath path;
  path.name = "walk";
  path.points = {{0, 0, 1.0}, {30, 40, 2.0}, {30, 40, 1.0}};
  r.project.paths().add(path);
  ASSERT_TRUE(r.run(113, {0, 10}));
  EXPECT_EQ(r.out[0], 12);
  EXPECT_EQ(r.out[1], 16);
  ASSERT_TRUE(r.run(114, {0}));
  EXPECT_EQ(r.out[0], 26);
  ASSERT_TRUE(r.run(115, {0, 10, 100}));
  EXPECT_EQ(r.out[0], 18);
  EXPECT_EQ(r.out[1], 24);
  EXPECT_FALSE(r.run(113, {1, 0}));
  EXPECT_EQ(r.err.GetError(), 123);
}

TEST(LevelCommands, TilesLayersAndScrolling) {
  WorldRig r;
  project::Level level = project::Level::makeNew("World", 40, 30, 2);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) level.body.at(x, y, 1) = std::uint16_t(0x1000 | (y * 40 + x));
  r.project.levels().add(level);

  ASSERT_TRUE(r.run(95, {0}));
  EXPECT_EQ(r.out[0], 40);
  ASSERT_TRUE(r.run(96, {0}));
  EXPECT_EQ(r.out[0], 30);
  EXPECT_FALSE(r.run(97, {4}));
  EXPECT_EQ(r.err.GetError(), 184);
  ASSERT_TRUE(r.run(97, {1}));
  ASSERT_TRUE(r.run(91, {0, 3, 2}));
  EXPECT_EQ(r.out[0], 0x1000 | 83);
  ASSERT_TRUE(r.run(93, {0, 3, 2, 0x1FFFF}));  // low 16 bits
  ASSERT_TRUE(r.run(91, {0, 3, 2}));
  EXPECT_EQ(r.out[0], 0xFFFF);
  EXPECT_FALSE(r.run(91, {0, 40, 0}));
  EXPECT_EQ(r.err.GetError(), 93);
  EXPECT_FALSE(r.run(91, {0, 0, -1}));
  EXPECT_EQ(r.err.GetError(), 94);
  EXPECT_FALSE(r.run(91, {1, 0, 0}));
  EXPECT_EQ(r.err.GetError(), 183);

  // A rectangle with a tile offset; parts outside the level are left out.
  ASSERT_TRUE(r.run(90, {0, 2, 38, 0, 0, 0, 4, 2, 5}));
  EXPECT_EQ(r.cell(2, 0, 0), 0x1000 | 43);
  EXPECT_EQ(r.cell(2, 1, 1), 0x1000 | 84);
  EXPECT_EQ(r.cell(2, 2, 0), 0);
  EXPECT_FALSE(r.run(90, {0, 4, 0, 0, 0, 0, 1, 1, 0}));
  EXPECT_EQ(r.err.GetError(), 87);

  // The whole view from pixel (12, 20): level cell (1, 2) at map (1, 2),
  // the map taken as a ring; the scroll follows.
  ASSERT_TRUE(r.run(94, {0, 0, 12, 20, 0}));
  EXPECT_EQ(r.cell(0, 1, 2), 0x1000 | 81);
  EXPECT_EQ(r.cell(0, 31, 22 % 32), 0x1000 | (22 * 40 + 31));
  EXPECT_EQ(r.machine.layerAttribute(0, machine::LayerAttribute::OffsetX), 12);
  EXPECT_EQ(r.machine.layerAttribute(0, machine::LayerAttribute::OffsetY), 20);
  // Scrolling 8 pixels right writes only the column that came into view.
  r.machine.setMapCell(0, 2, 3, 0x0ABC);  // a cell still in view stays
  ASSERT_TRUE(r.run(92, {0, 0, 12, 20, 20, 20, 0}));
  EXPECT_EQ(r.cell(0, 2, 3), 0x0ABC);
  EXPECT_EQ(r.cell(0, 32 % 32, 2), 0x1000 | (2 * 40 + 32));
  EXPECT_EQ(r.machine.layerAttribute(0, machine::LayerAttribute::OffsetX), 20);
  EXPECT_FALSE(r.run(92, {0, 0, 0, 0, 9, 0, 0}));
  EXPECT_EQ(r.err.GetError(), 180);
  EXPECT_FALSE(r.run(92, {0, 0, 0, 0, 0, -9, 0}));
  EXPECT_EQ(r.err.GetError(), 180);

  // Positions at the ends of the number range draw nothing and do not fault.
  ASSERT_TRUE(r.run(94, {0, 0, INT32_MIN, INT32_MAX, 0}));
  ASSERT_TRUE(r.run(92, {0, 0, INT32_MAX - 8, INT32_MIN, INT32_MAX, INT32_MIN + 8, 0}));
  ASSERT_TRUE(r.run(90, {0, 0, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX, 0}));

  // A layer the level does not have.
  ASSERT_TRUE(r.run(97, {3}));
  EXPECT_FALSE(r.run(91, {0, 0, 0}));
  EXPECT_EQ(r.err.GetError(), 184);
}

TEST(TileListCommands, AttributesCollisionAndGroupLoads) {
  WorldRig r;
  test::TempDir dir;
  project::IndexedImage image = project::IndexedImage::blank(16, 8, 4);
  image.pixels[0] = 5;   // tile 0, pixel (0, 0)
  image.pixels[8] = 7;   // tile 1, pixel (0, 0)
  std::string error;
  ASSERT_TRUE(project::writeImageFile(dir.file("pair.bmp"), image, error)) << error;
  project::Resource res;
  res.name = "Pair";
  res.file = dir.file("pair.bmp");
  res.kind = project::ResourceKind::Bitmap16;
  r.project.resources().add(res);

  project::TileList list;
  list.name = "Set";
  project::TileListImage entry;
  entry.resourceName = "Pair";
  entry.group = 1;
  entry.firstTile = 4;
  entry.tileCount = 2;
  entry.attributes = {9, 8, 7, 6};
  entry.tileAttributes = {1, 2, 3, 4, 11, 12, 13, 14};
  list.images = {entry};
  r.project.tileLists().add(list);

  ASSERT_TRUE(r.run(126, {0, 1, 0, 2, 5}));
  EXPECT_EQ(r.out[0], 7);
  ASSERT_TRUE(r.run(126, {0, 1, 1, 2, 5}));
  EXPECT_EQ(r.out[0], 13);
  ASSERT_TRUE(r.run(126, {0, 1, 1, 2, 6}));
  EXPECT_EQ(r.out[0], -1);
  ASSERT_TRUE(r.run(126, {0, 0, 1, 2, 5}));  // another group
  EXPECT_EQ(r.out[0], -1);
  EXPECT_FALSE(r.run(126, {0, 1, 1, 4, 5}));
  EXPECT_EQ(r.err.GetError(), 96);
  EXPECT_FALSE(r.run(126, {0, 70000, 1, 0, 5}));
  EXPECT_EQ(r.err.GetError(), 96);
  EXPECT_FALSE(r.run(126, {0, 1, 2, 0, 5}));
  EXPECT_EQ(r.err.GetError(), 42);
  EXPECT_FALSE(r.run(126, {0, 1, 1, 0, 1024}));
  EXPECT_EQ(r.err.GetError(), 96);

  ASSERT_TRUE(r.run(127, {0, 1, 1, 0, 100}));
  EXPECT_EQ(r.machine.tileProperty(104), 1);
  EXPECT_EQ(r.machine.tileProperty(105), 11);
  ASSERT_TRUE(r.run(127, {0, 1, 0, 3, 1019}));  // stops at 1023
  EXPECT_EQ(r.machine.tileProperty(1023), 6);
  EXPECT_EQ(r.machine.tileProperty(0), 0);

  // The group's image goes to tile offset + first tile.
  ASSERT_TRUE(r.run(125, {0, 0, 1, 10}));
  const std::uint8_t* vram = r.machine.vram();
  EXPECT_EQ(vram[14 * 32], 0x50);
  EXPECT_EQ(vram[15 * 32], 0x70);
  EXPECT_FALSE(r.run(125, {0, 2, 1, 0}));
  EXPECT_EQ(r.err.GetError(), 96);
  EXPECT_FALSE(r.run(125, {1, 0, 1, 0}));
  EXPECT_EQ(r.err.GetError(), 31);
}

}  // namespace tarvolin::commands
