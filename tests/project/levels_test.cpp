#include "project/levels.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/temp_dir.h"

namespace tarvolin::project {

namespace {
void put16(std::string& s, unsigned v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
void put32(std::string& s, unsigned v) {
  put16(s, v & 0xFFFF);
  put16(s, v >> 16);
}
// A version 0x0100 body: 20-byte header, one layer, stamps without layers.
std::string oldBody() {
  std::string s = "TL";
  put16(s, 0x0100);
  put32(s, 2);
  put32(s, 1);
  put32(s, 2048);
  put32(s, 1);
  put16(s, 0x1234);
  put16(s, 0xF001);
  s.append(2048, '\x5A');
  put32(s, 1);
  put32(s, 2);
  put16(s, 7);
  put16(s, 8);
  return s;
}
Level sampleLevel() {
  Level level = Level::makeNew("World1", 3, 2, 2);
  for (std::size_t i = 0; i < level.body.map.size(); ++i) level.body.map[i] = std::uint16_t(i * 0x101);
  level.body.block[0] = 1;
  level.body.block[2047] = 0xFF;
  level.body.stamps.push_back(LevelStamp{1, 2, 2, {1, 2, 3, 4}});
  LevelSettings& s = level.settings;
  s.ownPalette = true;
  s.banks[3] = LevelPaletteBank{"sky", ".\\pal\\sky.pal", true};
  s.layerLinks[1] = LevelLayerLink{"Clouds", -7};
  s.useTileList = true;
  s.tileList = "Tiles";
  s.tileCount = 300;
  s.tileBank = 2;
  s.linkedLevel = "World0";
  s.editorFlags[2] = {false, true};
  return level;
}
}  // namespace

TEST(LevelBody, BothVersionsAndRefusals) {
  LevelBody body;
  ASSERT_TRUE(readLevelBody(oldBody(), body));
  EXPECT_EQ(body.width, 2);
  EXPECT_EQ(body.height, 1);
  EXPECT_EQ(body.layers, 1);
  EXPECT_EQ(body.map, (std::vector<std::uint16_t>{0x1234, 0xF001}));
  EXPECT_EQ(body.block[100], 0x5A);
  ASSERT_EQ(body.stamps.size(), 1u);
  EXPECT_EQ(body.stamps[0].layers, 1);
  EXPECT_EQ(body.stamps[0].entries, (std::vector<std::uint16_t>{7, 8}));

  // Written back in the current version, it reads the same.
  const std::string current = writeLevelBody(body);
  EXPECT_EQ(current.substr(0, 4), std::string("TL\x01\x01", 4));
  EXPECT_EQ(current.size(), 40u + 4 + 2048 + 12 + 4);
  LevelBody again;
  ASSERT_TRUE(readLevelBody(current, again));
  EXPECT_EQ(again, body);
  EXPECT_EQ(writeLevelBody(again), current);

  // Refused, leaving the body as it was: width 10001, height 10001, block
  // size not 2048, bad magic or version, too many layers, every cut short.
  auto patched = [&](std::size_t at, unsigned value, int bytes) {
    std::string s = current;
    for (int i = 0; i < bytes; ++i) s[at + std::size_t(i)] = char((value >> (8 * i)) & 0xFF);
    return s;
  };
  const LevelBody before = body;
  for (const std::string& bad : {patched(4, 10001, 4), patched(8, 10001, 4), patched(12, 2047, 4),
                                 patched(0, 'X', 1), patched(2, 0x0102, 2), patched(20, 4, 2),
                                 patched(16, 2, 4), patched(4, 0xFFFFFFFF, 4)}) {
    EXPECT_FALSE(readLevelBody(bad, body));
    EXPECT_EQ(body, before);
  }
  for (std::size_t n = 0; n < current.size(); ++n)
    EXPECT_FALSE(readLevelBody(std::string_view(current).substr(0, n), body)) << n;
  // A full 10000 x 10000 header over a few bytes fails before allocating.
  EXPECT_FALSE(readLevelBody(patched(8, 10000, 4).replace(4, 4, std::string("\x10\x27\0\0", 4)), body));
}

TEST(LevelInfo, RecordsRoundTripAndEndEarly) {
  const Level level = sampleLevel();
  const std::string text = writeLevelInfo({level});
  EXPECT_EQ(text.substr(0, 24), "}LevelInfo\n]\n|World1\n|1\n");
  EXPECT_NE(text.find("|sky\n|.\\pal\\sky.pal\n|1\n"), std::string::npos);
  EXPECT_NE(text.find("|Clouds\n|-7\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 5), "\n[\n{\n");
  std::vector<Level> back;
  LineReader in(text);
  ASSERT_TRUE(readLevelInfo(in, back));
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].settings, level.settings);
  EXPECT_EQ(writeLevelInfo(back), text);

  // A record that ends early keeps defaults; the next record still reads.
  back.clear();
  LineReader short_("}LevelInfo\n]\n|Short\n|yes\n[\n]\n|Other\n{\n");
  ASSERT_TRUE(readLevelInfo(short_, back));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_TRUE(back[0].settings.ownPalette);
  EXPECT_FALSE(back[0].settings.colours16);
  EXPECT_FALSE(back[0].settings.editorFlags[0][0]);
  EXPECT_EQ(back[1].name(), "Other");

  // Another section: success and nothing; a stray line fails.
  back.clear();
  LineReader other("}Tilelist\n]\n|x\n[\n{\n");
  EXPECT_TRUE(readLevelInfo(other, back));
  EXPECT_TRUE(back.empty());
  LineReader stray("}LevelInfo\n]\n|a\n[\nstray\n{\n");
  EXPECT_FALSE(readLevelInfo(stray, back));
  EXPECT_EQ(back.size(), 1u);
}

TEST(LevelList, SavesBodiesBesideTheInfoAndLoadsThemBack) {
  test::TempDir dir;
  LevelList list;
  ASSERT_TRUE(list.add(sampleLevel()));
  EXPECT_FALSE(list.add(Level::makeNew("WORLD1", 1, 1, 1)));
  ASSERT_TRUE(list.add(Level::makeNew("a/b:c", 2, 2, 1)));
  const std::string info = dir.file("src/level_info.txt");
  std::filesystem::create_directories(dir.file("src"));
  ASSERT_TRUE(list.save(info));
  EXPECT_TRUE(std::filesystem::exists(dir.file("src/LevelData/LevBody_World1.dat")));
  EXPECT_TRUE(std::filesystem::exists(dir.file("src/LevelData/LevBody_a_b_c.dat")));

  LevelList loaded;
  ASSERT_TRUE(loaded.load(info));
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_EQ(loaded.items()[0], list.items()[0]);
  const std::string bodyBytes = test::TempDir::read(dir.file("src/LevelData/LevBody_World1.dat"));
  ASSERT_TRUE(loaded.save(info));
  EXPECT_EQ(test::TempDir::read(dir.file("src/LevelData/LevBody_World1.dat")), bodyBytes);

  // A refused body fails the load; its level keeps its settings and saving
  // leaves the refused file alone.
  std::string wide = bodyBytes;
  wide[4] = char(0x11);
  wide[5] = char(0x27);  // 10001
  dir.write("src/LevelData/LevBody_World1.dat", wide);
  LevelList refused;
  EXPECT_FALSE(refused.load(info));
  ASSERT_EQ(refused.size(), 2u);
  EXPECT_FALSE(refused.items()[0].bodyLoaded);
  EXPECT_TRUE(refused.items()[1].bodyLoaded);
  EXPECT_EQ(refused.items()[0].settings, list.items()[0].settings);
  ASSERT_TRUE(refused.save(info));
  EXPECT_EQ(test::TempDir::read(dir.file("src/LevelData/LevBody_World1.dat")), wide);
}

}  // namespace tarvolin::project
