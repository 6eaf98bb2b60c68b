#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "project/global_sets.h"

namespace tarvolin::project {
namespace {

int countLines(const std::string& text) {
  LineReader in(text);
  std::string line;
  int n = 0;
  while (in.next(line)) ++n;
  return n;
}

TEST(GlobalSets, DefaultSet) {
  GlobalSetList list;
  ASSERT_EQ(list.sets().size(), 1u);
  EXPECT_EQ(list.sets()[0].name, "Default");
  EXPECT_EQ(list.variableName(0, 0), "G_VAR00");
  EXPECT_EQ(list.variableName(0, 30), "G_VAR30");
  EXPECT_EQ(list.variableName(0, 31), "G_TICKS");
  EXPECT_TRUE(list.sets()[0].variables[31].shared);
  EXPECT_FALSE(list.sets()[0].variables[30].shared);
  EXPECT_EQ(list.findVariable(0, "g_ticks"), 31);
  EXPECT_EQ(list.findSet("DEFAULT"), 0);
  EXPECT_EQ(list.variableName(1, 0), "");
  EXPECT_EQ(list.variableName(0, 32), "");
}

TEST(GlobalSets, TwoSetsRoundTrip) {
  GlobalSetList list;
  GlobalSet second = defaultGlobalSet();
  second.name = "Enemigos";
  second.variables[31].shared = false;
  for (int i = 0; i < 31; ++i) second.variables[std::size_t(i)].name = "G_E" + std::to_string(i);
  second.variables[31].name = "G_IGNORED";
  list.sets()[0].variables[5].shared = true;
  list.sets()[0].variables[5].name = "G_SCORE";
  list.sets().push_back(second);

  const std::string text = writeGlobalSets(list.sets());
  EXPECT_EQ(countLines(text), 1 + (1 + 64) + (1 + 32));
  EXPECT_EQ(text.substr(0, 20), "#2\nDefault\nfalse\nG_V");

  test::TempDir dir;
  const std::string path = dir.file("global_names.txt");
  ASSERT_TRUE(list.save(path));
  GlobalSetList again;
  ASSERT_TRUE(again.load(path));
  EXPECT_EQ(again.sets(), list.sets());
  EXPECT_EQ(writeGlobalSets(again.sets()), text);
  EXPECT_TRUE(again.checkText(text));

  // Shared variables take the first set's name in every set.
  EXPECT_EQ(again.variableName(1, 5), "G_SCORE");
  EXPECT_EQ(again.variableName(1, 31), "G_TICKS");
  EXPECT_EQ(again.variableName(1, 6), "G_E6");
  EXPECT_EQ(again.findVariable(1, "G_E6"), 6);
  EXPECT_EQ(again.findVariable(1, "G_VAR06"), -1);
  EXPECT_EQ(again.findSet("enemigos"), 1);
}

TEST(GlobalSets, OldFormAndDamage) {
  std::string old;
  for (int i = 0; i < 31; ++i) old += "G_OLD" + std::to_string(i) + "\n";
  GlobalSetList list;
  test::TempDir dir;
  ASSERT_TRUE(list.load(dir.write("g.txt", old)));
  ASSERT_EQ(list.sets().size(), 1u);
  EXPECT_EQ(list.sets()[0].name, "Default");
  EXPECT_EQ(list.variableName(0, 30), "G_OLD30");
  EXPECT_EQ(list.variableName(0, 31), "G_TICKS");
  EXPECT_FALSE(list.checkText(old));  // 31 lines: the check wants 32
  EXPECT_TRUE(list.checkText(old + "x\n"));

  // Truncated old form: the names read stay, the load fails.
  EXPECT_FALSE(list.load(dir.write("short.txt", "A\nB\n")));
  EXPECT_EQ(list.variableName(0, 1), "B");
  EXPECT_EQ(list.variableName(0, 2), "G_VAR02");

  // Counted form cut inside the second set keeps the complete first set.
  std::string two = writeGlobalSets({defaultGlobalSet(), defaultGlobalSet()});
  std::string cut = two.substr(0, two.size() - 20);
  EXPECT_FALSE(list.load(dir.write("cut.txt", cut)));
  EXPECT_EQ(list.sets().size(), 1u);
  EXPECT_FALSE(list.checkText(cut));

  // A bad flag word reads as false on load but fails the text check.
  std::string badFlag = writeGlobalSets({defaultGlobalSet()});
  badFlag.replace(badFlag.find("false"), 5, "maybe");
  EXPECT_TRUE(list.load(dir.write("flag.txt", badFlag)));
  EXPECT_FALSE(list.sets()[0].variables[0].shared);
  EXPECT_FALSE(list.checkText(badFlag));

  // Counts that cannot hold a set never leave the list empty.
  for (std::string bad : {"#0\n", "#-3\n", "#abc\n", "", "#999999999\nOnly\n"}) {
    EXPECT_FALSE(list.load(dir.write("bad.txt", bad))) << bad;
    ASSERT_GE(list.sets().size(), 1u) << bad;
  }
  EXPECT_FALSE(list.load(dir.file("none.txt")));
  EXPECT_EQ(list.sets().size(), 1u);
  EXPECT_EQ(list.sets()[0], defaultGlobalSet());
}

}  // namespace
}  // namespace tarvolin::project
