#include "project/tilelists.h"

#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "project/recording_host.h"

namespace tarvolin::project {

namespace {
TileList sampleList() {
  TileList list;
  list.name = "Forest";
  list.colours256 = true;
  list.outputFile = "forest.txt";
  list.prefix = "FR_";
  list.startIndex = 16;
  TileListImage trees;
  trees.label = "trees";
  trees.resourceName = "TreesImg";
  trees.group = 2;
  trees.firstTile = 16;
  trees.tileCount = 2;
  trees.attributes = {1, 2, 3, 255};
  trees.locked = true;
  trees.tileAttributes = {0x00, 0xFF, 0x12, 0x34, 5, 6, 7, 8};
  TileListImage rocks;
  rocks.resourceName = "Rocks";
  rocks.firstTile = 18;
  rocks.tileCount = 4;
  list.images = {trees, rocks};
  list.attributes = {TileListAttribute{"solid", 1, 0x7FFF}, TileListAttribute{"water", 255, 31}};
  return list;
}
std::vector<TileList> parse(const std::string& text, bool* ok = nullptr) {
  std::vector<TileList> out;
  LineReader in(text);
  const bool r = readTileLists(in, out);
  if (ok) *ok = r;
  return out;
}
}  // namespace

TEST(TileAttributes, ByteEncoding) {
  EXPECT_EQ(encodeTileAttributes({0x00}), "#*");
  EXPECT_EQ(encodeTileAttributes({0xFF}), "Pf");
  EXPECT_EQ(encodeTileAttributes({0x12}), ").");
  std::vector<std::uint8_t> all(256);
  for (int i = 0; i < 256; ++i) all[std::size_t(i)] = std::uint8_t(i);
  std::vector<std::uint8_t> back;
  ASSERT_TRUE(decodeTileAttributes(encodeTileAttributes(all), back));
  EXPECT_EQ(back, all);
  EXPECT_FALSE(decodeTileAttributes("#*#", back));  // odd length
  EXPECT_EQ(back, all);  // left unchanged by a refusal
  // Characters off the encoding's grid decode by the same formula.
  ASSERT_TRUE(decodeTileAttributes("$*#+S*!!", back));
  EXPECT_EQ(back, (std::vector<std::uint8_t>{0x00, 0x00, 0x10, 0xE0}));
  ASSERT_TRUE(decodeTileAttributes("", back));
  EXPECT_TRUE(back.empty());
}

TEST(TileListFile, NestedSectionsRoundTrip) {
  const TileList list = sampleList();
  const std::string text = writeTileLists({list});
  EXPECT_EQ(text.substr(0, 68),
            "}Tilelist\n]\n|Forest\n|1\n|forest.txt\n|FR_\n|16\n}TilelistEntry\n]\n|trees\n");
  EXPECT_NE(text.find("|1\n|8\n|#*Pf)./62*5*8*;*\n[\n"), std::string::npos);
  EXPECT_NE(text.find("|0\n|0\n[\n{\n}Attributes\n]\n|solid\n|1\n|32767\n[\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 8), "[\n{\n[\n{\n");
  bool ok = false;
  auto back = parse(text, &ok);
  EXPECT_TRUE(ok);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0], list);
  EXPECT_EQ(writeTileLists(back), text);
  EXPECT_EQ(list.tileCount(), 6);
  EXPECT_EQ(list.imageCovering(2, 17), &list.images[0]);
  EXPECT_EQ(list.imageCovering(0, 17), nullptr);
  EXPECT_EQ(list.imageCovering(0, 21), &list.images[1]);
  EXPECT_EQ(list.imageCovering(0, 22), nullptr);
}

TEST(TileListFile, NestedSectionReadingRules) {
  bool ok = false;
  // Lines before a nested "}" are skipped; a "}" with another name leaves
  // that section empty and is read as the next one.
  auto got = parse("}Tilelist\n]\n|L\n|0\n|o.txt\n|P\n|0\njunk\n}Attributes\n]\n|a\n|9\n|1\n[\n{\n[\n{\n", &ok);
  EXPECT_TRUE(ok);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_TRUE(got[0].images.empty());
  ASSERT_EQ(got[0].attributes.size(), 1u);
  EXPECT_EQ(got[0].attributes[0].value, 9);

  // Attribute text off the encoding's grid, of odd length or missing costs
  // no list: the lists before and after it stay. Only an odd length is
  // refused (that image's data is dropped and the read reports it).
  const std::string first = writeTileLists({sampleList()});
  const std::string body = first.substr(10, first.size() - 12);  // records only
  struct Case {
    const char* data;
    bool ok;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {{"|#*#\n", false, {}}, {"|!!\n", true, {0xE0}}, {"[\n", true, {}}};
  for (const Case& c : cases) {
    std::string text = "}Tilelist\n" + body +
                       "]\n|B\n|0\n|b.txt\n|B\n|0\n}TilelistEntry\n]\n|x\n|r\n|0\n|1\n|0\n|1\n|0\n|0\n|0\n|0\n|0\n|1\n" +
                       c.data + (c.data[0] == '[' ? "" : "[\n") + "{\n}Attributes\n{\n[\n" + body + "{\n";
    got = parse(text, &ok);
    EXPECT_EQ(ok, c.ok) << c.data;
    ASSERT_EQ(got.size(), 3u) << c.data;
    EXPECT_EQ(got[0].name, "Forest");
    EXPECT_EQ(got[1].name, "B");
    ASSERT_EQ(got[1].images.size(), 1u) << c.data;
    EXPECT_EQ(got[1].images[0].tileAttributes, c.bytes) << c.data;
    EXPECT_EQ(got[2], sampleList()) << c.data;
  }
  EXPECT_TRUE(parse("}LevelInfo\n]\n{\n", &ok).empty());
  EXPECT_TRUE(ok);
}

TEST(TileListList, NumbersImagesAndDropsMismatchedAttributes) {
  TileList list = sampleList();
  TileCounter counter = [](std::string_view name, int& tiles) {
    if (name == "TreesImg") return tiles = 3, true;
    if (name == "Rocks") return tiles = 5, true;
    return false;
  };
  updateTileNumbers(list, counter);
  EXPECT_EQ(list.images[0].firstTile, 16);
  EXPECT_EQ(list.images[0].tileCount, 3);
  EXPECT_EQ(list.images[1].firstTile, 19);
  EXPECT_EQ(list.images[1].tileCount, 5);

  test::TempDir dir;
  TileList unknown = sampleList();
  unknown.name = "Other";
  unknown.images[0].resourceName = "Gone";  // cannot be counted: kept
  TileListList family;
  ASSERT_TRUE(family.add(sampleList()));
  ASSERT_TRUE(family.add(unknown));
  EXPECT_FALSE(family.add(sampleList()));
  const std::string file = dir.file("tilelists.txt");
  ASSERT_TRUE(family.save(file));

  TileListList loaded;
  loaded.setTileCounter([](std::string_view name, int& tiles) {
    if (name == "TreesImg") return tiles = 2, true;  // 8 bytes: matches
    if (name == "Rocks") return tiles = 5, true;
    return false;
  });
  ASSERT_TRUE(loaded.load(file));
  test::RecordingHost host;
  EXPECT_FALSE(loaded.afterOpen(host));
  EXPECT_TRUE(host.lines.empty());

  loaded.setTileCounter(counter);  // the trees image has grown to 3 tiles
  EXPECT_TRUE(loaded.afterOpen(host));
  EXPECT_EQ(host.lines, (std::vector<std::string>{"Eliminando atributos de la lista Forest, RID TreesImg"}));
  EXPECT_TRUE(loaded.items()[0].images[0].tileAttributes.empty());
  EXPECT_EQ(loaded.items()[1].images[0].tileAttributes.size(), 8u);
}

}  // namespace tarvolin::project
