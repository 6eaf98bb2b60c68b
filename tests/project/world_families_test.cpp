// The project holds the string, font map, path, level and tile-list families
// and checks merged texts with their readers.
#include <gtest/gtest.h>

#include "project/project.h"
#include "project/recording_host.h"

namespace tarvolin::project {

TEST(WorldFamilies, ProjectChecksTextsOfEachFamily) {
  test::RecordingHost host;
  std::string working;
  Project project(host, working);
  struct Case {
    CheckKind kind;
    const char* good;
    const char* bad;
  } cases[] = {
      {CheckKind::Strings, "#a\nEN : \"x\"\n\n", "#a\nEN : x\n"},
      {CheckKind::FontMaps, "#f\nAscii\nfalse\n\n", "#f\nGothic\nfalse\n"},
      {CheckKind::Paths, "#p\n$1,2,1.5\n\n", "#p\n$1,2\n"},
      {CheckKind::Levels, "}LevelInfo\n]\n|L\n[\n{\n", "}LevelInfo\n]\n|L\n[\nstray\n"},
      {CheckKind::TileLists, "}Tilelist\n]\n|T\n[\n{\n", "}Tilelist\n]\n|T\n|0\n|o\n|p\n|0\n}TilelistEntry\n]\n|a\n|b\n|0\n|0\n|0\n|0\n|0\n|0\n|0\n|0\n|0\n|1\n|#\n[\n{\n"},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(project.checkText(c.kind, c.good)) << int(c.kind);
    EXPECT_FALSE(project.checkText(c.kind, c.bad)) << int(c.kind);
  }
  // Each family answers to its own file.
  EXPECT_EQ(project.family(AssetSlot::StringTable)->fileName(), "string_table.txt");
  EXPECT_EQ(project.family(AssetSlot::FontMaps)->fileName(), "fontmaps.txt");
  EXPECT_EQ(project.family(AssetSlot::Paths)->fileName(), "paths.txt");
  EXPECT_EQ(project.family(AssetSlot::LevelInfo)->fileName(), "level_info.txt");
  EXPECT_EQ(project.family(AssetSlot::TileLists)->fileName(), "tilelists.txt");
}

}  // namespace tarvolin::project
