// A whole project on disk with strings, a font map, a path, a level and a
// tile list: opened as the program opens it, driven through the commands a
// game's script would use, and checked in the rendered picture.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "common/temp_dir.h"
#include "machine/renderer.h"
#include "machine/scene.h"
#include "project/images/image.h"
#include "project/project.h"
#include "project/recording_host.h"
#include "commands/world_commands.h"

namespace tarvolin::commands {

using namespace script;

namespace {

std::string levelBody() {
  project::LevelBody body;
  body.resize(40, 30, 1);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) body.at(x, y, 0) = std::uint16_t((x + y) % 4);
  return project::writeLevelBody(body);
}

class SceneProject {
 public:
  SceneProject() : project(host, working) {
    dir.write("game.tvp", "");
    dir.write("game/string_table.txt",
              ";;; Tarvolin script file - automatically generated\n;;; any changes made by hand will be lost\n\n\n"
              "#greeting\nEN : \"ABBA\"\nSP : \"DCA\"\n\n");
    dir.write("game/fontmaps.txt",
              ";;; Tarvolin fontmap script file - automatically generated\n;;; any changes made by hand will be lost\n\n\n"
              "#Letters\nAscii\ntrue\n$65\n68\n0\n#\n1\n1\n#v1.40b\nfalse\nFontImg\n\n");
    dir.write("game/paths.txt", "#Walk\n$0,0,1.000000\n$30,40,2.000000\n$30,40,1.000000\n\n");
    dir.write("game/level_info.txt", "}LevelInfo\n]\n|World\n[\n{\n");
    dir.write("game/LevelData/LevBody_World.dat", levelBody());
    dir.write("game/tilelists.txt",
              "}Tilelist\n]\n|Fonts\n|0\n|fonts.txt\n|F_\n|0\n}TilelistEntry\n]\n|letters\n|FontImg\n|0\n|1\n"
              "|0\n|0\n|0\n|0\n|0\n|0\n|0\n|12\n|#*#*#*#*#*#*#*#*#*#*#*#*\n[\n{\n}Attributes\n{\n[\n{\n");
    dir.write("game/resource.txt",
              ";;; Tarvolin resource script file - automatically generated\n;;; any changes made by hand will be lost\n\n\n"
              "#FontImg\n.\\font.bmp\nBitmap16\nNone\ntrue\n#Decimal0\n0\nfalse\nfalse\n\n");
    // Four glyph tiles, each filled with its own colour 1..4.
    project::IndexedImage font = project::IndexedImage::blank(32, 8, 4);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 32; ++x) font.pixels[std::size_t(y * 32 + x)] = std::uint8_t(x / 8 + 1);
    std::string error;
    std::filesystem::create_directories(dir.file("game/Resources"));
    EXPECT_TRUE(project::writeImageFile(dir.file("game/Resources/font.bmp"), font, error)) << error;
  }

  bool run(std::int32_t command, std::initializer_list<std::int32_t> p) {
    std::vector<std::int32_t> values(p);
    values.resize(10, 0);
    out.assign(3, 0);
    return world.Execute(command, values.data(), int(p.size()), out.data(), outCount, err);
  }

  test::TempDir dir;
  test::RecordingHost host;
  std::string working;
  project::Project project;
  std::unique_ptr<machine::MachineState> machine = machine::test::makeMachine();
  WorldCommands world;
  ErrorState err;
  std::vector<std::int32_t> out;
  int outCount = 0;
};

// The colour of glyph tile k (1..4) as the screen shows it.
std::uint32_t glyphColour(int k) { return machine::test::rgb(machine::test::paletteColour(0, k)); }

}  // namespace

TEST(WorldScene, OpensDrawsWalksScrollsAndSavesUnchanged) {
  SceneProject s;
  ASSERT_TRUE(s.project.open(s.dir.file("game.tvp"), false));
  ASSERT_EQ(s.project.strings().size(), 1u);
  ASSERT_EQ(s.project.fontMaps().size(), 1u);
  ASSERT_EQ(s.project.paths().size(), 1u);
  ASSERT_EQ(s.project.levels().size(), 1u);
  ASSERT_EQ(s.project.tileLists().size(), 1u);
  // The tile list was numbered from its image: four tiles from 0, and its
  // attribute data (12 bytes for a 4-tile image) was dropped as not 16.
  const project::TileList& fonts = s.project.tileLists().items()[0];
  EXPECT_EQ(fonts.images[0].tileCount, 4);
  EXPECT_TRUE(fonts.images[0].tileAttributes.empty());
  EXPECT_TRUE(s.host.saw("Eliminando atributos de la lista Fonts, RID FontImg"));
  EXPECT_FALSE(s.host.boxes.empty());

  machine::MachineState& m = *s.machine;
  s.world.bind(&s.project, &m);
  // Text on layer 0 (map bank 31), the level on layer 1 (map bank 30),
  // tiles from bank 0; tile 0 stays blank, the font goes to tiles 1..4.
  m.setLayerAttribute(0, machine::LayerAttribute::MapBank, 31);
  m.setLayerAttribute(1, machine::LayerAttribute::MapBank, 30);
  m.setLayerAttribute(1, machine::LayerAttribute::Priority, 1);
  machine::test::enableLayer(m, 0);
  machine::test::enableLayer(m, 1);
  ASSERT_TRUE(s.run(125, {0, 0, 0, 1}));  // TilelistGroupLoad Fonts BG 0 1
  ASSERT_TRUE(s.run(162, {0, 0, 1}));     // StringDisplaySetTarget 0 Letters 1

  // The level first: the whole view at (0, 0), then 8 pixels to the right.
  ASSERT_TRUE(s.run(94, {0, 1, 0, 0, 1}));  // LevelSetPos World 1 0 0 1
  ASSERT_TRUE(s.run(92, {0, 1, 0, 0, 8, 0, 1}));
  // The text in English, then in Spanish one row lower.
  ASSERT_TRUE(s.run(158, {2, 1, 0}));
  ASSERT_TRUE(s.run(168, {5}));
  ASSERT_TRUE(s.run(158, {2, 2, 0}));
  ASSERT_TRUE(machine::renderFrame(m, nullptr));

  // "ABBA" at cells (2..5, 1), "DCA" at (2..4, 2); layer 0 lies in front.
  const int en[] = {1, 2, 2, 1}, sp[] = {4, 3, 1};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(machine::test::pixelAt(m, 16 + 8 * i + 3, 8 + 4), glyphColour(en[i])) << i;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(machine::test::pixelAt(m, 16 + 8 * i + 3, 16 + 4), glyphColour(sp[i])) << i;
  // Elsewhere the level shows, scrolled by one cell: screen cell (cx, cy)
  // is level cell (cx + 1, cy), tile 1 + (cx + 1 + cy) % 4.
  for (int cy : {0, 5, 19})
    for (int cx : {0, 7, 29})
      EXPECT_EQ(machine::test::pixelAt(m, cx * 8 + 2, cy * 8 + 6), glyphColour(1 + (cx + 1 + cy) % 4))
          << cx << "," << cy;

  // Walking the path: frame 10 is (12, 16); the walk ends at (30, 40).
  ASSERT_TRUE(s.run(113, {0, 10}));
  EXPECT_EQ(s.out[0], 12);
  EXPECT_EQ(s.out[1], 16);
  ASSERT_TRUE(s.run(114, {0}));
  ASSERT_TRUE(s.run(113, {0, s.out[0]}));
  EXPECT_EQ(s.out[0], 30);
  EXPECT_EQ(s.out[1], 40);

  // Saving writes every family; saving again changes no byte.
  ASSERT_TRUE(s.project.save(false));
  std::vector<std::string> first;
  const char* files[] = {"string_table.txt", "fontmaps.txt", "paths.txt", "level_info.txt", "tilelists.txt",
                         "LevelData/LevBody_World.dat"};
  for (const char* f : files) first.push_back(test::TempDir::read(s.dir.file(std::string("game/") + f)));
  EXPECT_EQ(first[5], levelBody());
  EXPECT_EQ(first[2], "#Walk\n$0,0,1.000000\n$30,40,2.000000\n$30,40,1.000000\n\n");
  project::Project again(s.host, s.working);
  ASSERT_TRUE(again.open(s.dir.file("game.tvp"), false));
  ASSERT_TRUE(again.save(false));
  for (std::size_t i = 0; i < std::size(files); ++i)
    EXPECT_EQ(test::TempDir::read(s.dir.file(std::string("game/") + files[i])), first[i]) << files[i];
}

}  // namespace tarvolin::commands

namespace tarvolin::commands {

using namespace script;

TEST(WorldScene, AttributeCopyIntoAnArrayFitsWholeOrChangesNothing) {
  SceneProject s;
  ASSERT_TRUE(s.project.open(s.dir.file("game.tvp"), false));
  project::BufferMemory memory;
  project::ArrayList& arrays = s.project.arrays();
  arrays.setMemory(&memory);
  project::ArrayDef a;
  a.name = "Attribs";
  a.dimX = 5;
  a.elements.push_back({project::kU8, "v", "", 0});
  arrays.items().push_back(a);
  arrays.layout();
  s.world.bind(&s.project, s.machine.get());
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(arrays.setElement(0, 0, i, 0, 7, s.err));
  auto record = [&](int i) {
    std::int32_t v = -1;
    EXPECT_TRUE(arrays.getElement(0, 0, i, 0, v, s.err));
    return v;
  };
  ASSERT_TRUE(s.run(126, {0, 0, 0, 0, 0}));  // the image attribute every tile copies
  const std::int32_t attribute = s.out[0];
  ASSERT_NE(attribute, 7);

  // Four tiles from start 2 would reach record 5, past the end: nothing is written.
  EXPECT_FALSE(s.run(128, {0, 0, 0, 0, 0, 0, 2}));
  EXPECT_EQ(s.err.GetError(), 128);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(record(i), 7) << i;
  // An array number naming no array.
  EXPECT_FALSE(s.run(128, {0, 0, 0, 0, 0, 40 * 4096, 0}));
  EXPECT_EQ(s.err.GetError(), 141);
  // From start 1 the four tiles fit: records 1..4.
  ASSERT_TRUE(s.run(128, {0, 0, 0, 0, 0, 0, 1})) << s.err.GetError();
  EXPECT_EQ(record(0), 7);
  for (int i = 1; i < 5; ++i) EXPECT_EQ(record(i), attribute) << i;
}

}  // namespace tarvolin::commands
