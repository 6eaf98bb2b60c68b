// Resources loaded by a game's scripts into the machine, inside one
// workbench: the project opened from disk, frames run as the emulator runs
// them, and the rendered picture, video memory, palettes and maps checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "e2e/resource_game.h"
#include "machine/scene.h"
#include "project/images/tiles.h"
#include "project/recording_host.h"
#include "workbench/workbench.h"

namespace tarvolin::test {

namespace {

// A host whose file chooser answers with a preset file (or cancels when
// none is set) and records the titles it was asked with.
class ChoosingHost : public RecordingHost {
 public:
  bool chooseFile(std::string_view title, std::string_view, std::string& path) override {
    titles.emplace_back(title);
    if (chosen.empty()) return false;
    path = chosen;
    return true;
  }
  std::string chosen;
  std::vector<std::string> titles;
};

class Counter : public machine::MachineObserver {
 public:
  void machineChanged(machine::ChangeKind kind) override { ++counts[kind]; }
  std::map<machine::ChangeKind, int> counts;
};

class Session {
 public:
  explicit Session(const std::string& main) : game(main) {}

  // Opens the project, readies the scripts and runs `frames` frames; false
  // when a frame failed.
  bool Run(int frames, const std::function<void(machine::MachineState&)>& setUp = {}) {
    if (!bench.project().open(game.ProjectFile(), false)) return false;
    bench.scripts().Reset(std::string(TARVOLIN_SOURCE_DATA_DIR) + "/timing_database.txt");
    if (!bench.scripts().Preprocess(bench.project(), false)) return false;
    if (setUp) setUp(bench.machine());
    bench.machine().addObserver(&changes);
    bench.game().Start();
    for (int f = 0; f < frames; ++f)
      if (bench.game().RunFrame() == FrameOutcome::Failed) return false;
    return true;
  }
  int error() { return bench.scripts().interpreter().errors().GetError(); }
  std::uint8_t* vram() { return bench.machine().vram(); }

  ResourceGame game;
  ChoosingHost host;
  Counter changes;  // outlives the machine it listens to
  Workbench bench{host};
};

}  // namespace

TEST(ResourceLoad, TilesPaletteAndMapFromResourcesRenderThePicture) {
  Session s(
      "Return\n"
      "Function Initialise 0\n"
      "TileDataLoad [BG] Tiles 100 4\n"
      "PaletteLoad [BG] Colours 2\n"
      "TileMapLoad 0 Screen 1 1\n"
      "Return\n");
  ASSERT_TRUE(s.Run(2, [](machine::MachineState& m) {
    m.setDisplayAttribute(machine::DisplayAttribute::BlankDisplay, 0);
    m.setDisplayAttribute(machine::DisplayAttribute::EnableBG0, 1);
  })) << s.error();

  const std::vector<project::Rgb> colours = ResourceGame::Colours();
  machine::test::expectPicture(s.bench.machine(), ResourceGame::ExpectedPixel,
      "loaded scene");
  // The palette went to colours 32..47 only.
  EXPECT_EQ(s.bench.machine().palette(0).colour(33), project::toGbaColour(colours[1]));
  EXPECT_EQ(s.bench.machine().palette(0).colour(17), 0);
  EXPECT_EQ(s.bench.machine().palette(0).colour(48), 0);
  EXPECT_GT(s.changes.counts[machine::ChangeKind::Tiles], 0);
  EXPECT_GT(s.changes.counts[machine::ChangeKind::Palette], 0);
  EXPECT_GT(s.changes.counts[machine::ChangeKind::TileMap], 0);
}

TEST(ResourceLoad, TileNumbersWrapAndRangedFilesFollowTheIndex) {
  Session s(
      "Return\n"
      "Function Initialise 0\n"
      "TileDataLoad [SPRITE] Big 511 0\n"
      "ResourceSetIndex 10\n"
      "TileDataLoad [BG] Frame 2047 0\n"
      "TilelistGroupLoad Frames [BG] 0 600\n"
      "Return\n");
  // Bytes that the loads must leave alone.
  ASSERT_TRUE(s.Run(1, [](machine::MachineState& m) {
    std::fill(m.vram(), m.vram() + machine::kVramSize, std::uint8_t(0xEE));
  })) << s.error();

  // 20 x 17 pixels at 8 bits: 2 x 2 tiles, from sprite tile 511 wrapping to 0.
  const project::IndexedImage big = ResourceGame::BigImage();
  const std::uint8_t* sprites = s.vram() + machine::kSpriteTileOffset;
  const int tiles[4] = {511, 0, 1, 2};
  for (int t = 0; t < 4; ++t)
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        ASSERT_EQ(sprites[tiles[t] * 64 + y * 8 + x], big.at((t % 2) * 8 + x, (t / 2) * 8 + y))
            << "tile " << tiles[t] << " pixel " << x << "," << y;
  EXPECT_EQ(sprites[3 * 64], 0xEE);

  // frame0a.bmp (index 10, "Hex00") at background tile 2047: tiles 2047 and 0.
  EXPECT_EQ(s.vram()[2047 * 32], 0x33);
  EXPECT_EQ(s.vram()[2047 * 32 + 31], 0x33);
  EXPECT_EQ(s.vram()[0], 0x99);
  EXPECT_EQ(s.vram()[31], 0x99);
  EXPECT_EQ(s.vram()[32], 0xEE);
  // The tile list resolves its image with the same index.
  EXPECT_EQ(s.vram()[600 * 32], 0x33);
  EXPECT_EQ(s.vram()[601 * 32], 0x99);
}

// Every tile a load writes, and only those, is marked for the tile viewer,
// in the area it went to; a display reset clears the marks.
TEST(ResourceLoad, LoadedTilesAreMarkedUsedUntilADisplayReset) {
  Session s(
      "Return\n"
      "Function Initialise 0\n"
      "TileDataLoad [SPRITE] Big 511 0\n"
      "ResourceSetIndex 10\n"
      "TileDataLoad [BG] Frame 2047 0\n"
      "TilelistGroupLoad Frames [BG] 0 600\n"
      "Return\n");
  ASSERT_TRUE(s.Run(1)) << s.error();
  machine::MachineState& m = s.bench.machine();
  auto marked = [&](int target) {
    std::vector<int> tiles;
    const std::span<const std::uint8_t> marks = m.usedTiles(target);
    for (std::size_t t = 0; t < marks.size(); ++t)
      if (marks[t]) tiles.push_back(int(t));
    return tiles;
  };
  EXPECT_EQ(marked(1), (std::vector<int>{0, 1, 2, 511}));
  EXPECT_EQ(marked(0), (std::vector<int>{0, 600, 601, 2047}));
  EXPECT_TRUE(m.tileUsed(0, 2047));
  EXPECT_FALSE(m.tileUsed(1, 3));
  EXPECT_FALSE(m.tileUsed(0, 2048));
  EXPECT_FALSE(m.tileUsed(2, 0));

  m.displayReset();
  EXPECT_TRUE(marked(0).empty());
  EXPECT_TRUE(marked(1).empty());

  // A load that fails (a palette is no image) marks nothing.
  Session wrong(
      "Return\n"
      "Function Initialise 0\n"
      "TileDataLoad [BG] Colours 0 0\n"
      "Return\n");
  EXPECT_FALSE(wrong.Run(1));
  EXPECT_EQ(wrong.error(), 155);
  EXPECT_TRUE(std::none_of(wrong.bench.machine().usedTiles(0).begin(),
                           wrong.bench.machine().usedTiles(0).end(),
                           [](std::uint8_t mark) { return mark != 0; }));
}

TEST(ResourceLoad, TheRangeIndexReachesTheArrayDataFiles) {
  Session s(
      "Return\n"
      "Function Initialise 0\n"
      "Nums.v[0] = 7\n"
      "Nums.v[1] = 0\n"
      "ResourceSetIndex 2\n"
      "Array1DSave Slot Nums\n"
      "Nums.v[1] = 9\n"
      "ResourceSetIndex 3\n"
      "Array1DSave Slot Nums\n"
      "ResourceSetIndex 4\n"
      "Array1DSave Slot Nums\n"
      "Return\n");
  EXPECT_FALSE(s.Run(1));
  EXPECT_EQ(s.error(), 21);  // index 4 is past the range's 4 files
  EXPECT_EQ(TempDir::read(s.game.Resource("slot2.sav")), std::string("\x07\x00", 2));
  EXPECT_EQ(TempDir::read(s.game.Resource("slot3.sav")), std::string("\x07\x09", 2));
}

TEST(ResourceLoad, MapsKeepTheirLayerKindAndFailedLoadsChangeNothing) {
  Session s(
      "Return\n"
      "Function Initialise 0\n"
      "TileMapLoad 2 Narrow 14 3\n"
      "TileMapLoad 0 Narrow 31 5\n"
      "Return\n");
  // Mode 1: layers 0 and 1 text, layer 2 rotational (16 x 16 cells).
  ASSERT_TRUE(s.Run(1, [](machine::MachineState& mm) {
    mm.setDisplayAttribute(machine::DisplayAttribute::VideoMode, 1);
  })) << s.error();
  machine::MachineState& m = s.bench.machine();
  std::uint16_t cell = 0;
  // One-byte entries into the rotational map; the one past its edge dropped.
  ASSERT_TRUE(m.mapCell(2, 14, 3, cell));
  EXPECT_EQ(cell, 7);
  ASSERT_TRUE(m.mapCell(2, 15, 3, cell));
  EXPECT_EQ(cell, 200);
  // Into a text map they are stored zero-extended; x 32 lies outside it.
  ASSERT_TRUE(m.mapCell(0, 31, 5, cell));
  EXPECT_EQ(cell, 7);

  // Two-byte entries cannot go into a rotational map: 157, nothing written.
  Session wide(
      "Return\n"
      "Function Initialise 0\n"
      "TileMapLoad 2 Screen 0 0\n"
      "Return\n");
  EXPECT_FALSE(wide.Run(1, [](machine::MachineState& mm) {
    mm.setDisplayAttribute(machine::DisplayAttribute::VideoMode, 1);
  }));
  EXPECT_EQ(wide.error(), 157);
  for (int x = 0; x < 4; ++x) {
    ASSERT_TRUE(wide.bench.machine().mapCell(2, x, 0, cell));
    EXPECT_EQ(cell, 0);
  }
  EXPECT_EQ(wide.changes.counts[machine::ChangeKind::TileMap], 0);

  // A palette file that cannot be read leaves the colours as they were.
  Session palette(
      "Return\n"
      "Function Initialise 0\n"
      "PaletteLoad [SPRITE] AllColours 0\n"
      "ResourceSetIndex 3\n"
      "TileDataLoad [BG] Frame 0 0\n"
      "Return\n");
  EXPECT_FALSE(palette.Run(1, [&](machine::MachineState& mm) {
    for (int i = 0; i < 256; ++i) mm.palette(1).setColour(i, 0x1234);
  }));
  // The 256-colour palette loaded (16 colours in the file, the rest black),
  // then frame03.bmp was missing.
  EXPECT_EQ(palette.error(), 161);
  EXPECT_EQ(palette.bench.machine().palette(1).colour(15),
            project::toGbaColour(ResourceGame::Colours()[15]));
  EXPECT_EQ(palette.bench.machine().palette(1).colour(16), 0);
  EXPECT_EQ(palette.bench.machine().palette(1).colour(255), 0);
  std::string detail;
  ASSERT_TRUE(palette.bench.scripts().interpreter().errors().ErrorDetail(detail));
  EXPECT_NE(detail.find("frame03.bmp>, rango de recurso 3"), std::string::npos) << detail;
}

TEST(ResourceLoad, AskedResourcesTakeTheChosenFileOrTheirOwn) {
  const char* script =
      "Return\n"
      "Function Initialise 0\n"
      "ResourcePeek Asked [u8] 0 V_LV0\n"
      "Log \"leído %d\" V_LV0\n"
      "Return\n";
  Session chosen(script);
  chosen.host.chosen = chosen.game.dir().write("elsewhere.bin", "\x2A");
  ASSERT_TRUE(chosen.Run(1)) << chosen.error();
  EXPECT_TRUE(chosen.host.saw("leído 42"));
  ASSERT_EQ(chosen.host.titles.size(), 1u);
  EXPECT_EQ(chosen.host.titles[0], "Seleccionar el archivo para cargar");

  // Cancelled: the resource's own file.
  Session cancelled(script);
  ASSERT_TRUE(cancelled.Run(1)) << cancelled.error();
  EXPECT_TRUE(cancelled.host.saw("leído 1"));
  EXPECT_EQ(cancelled.host.titles.size(), 1u);
}

}  // namespace tarvolin::test
