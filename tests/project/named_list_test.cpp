// The list every asset family keeps its records in.
#include <gtest/gtest.h>

#include "project/levels.h"
#include "project/macros.h"
#include "project/paths.h"
#include "project/strings.h"

namespace tarvolin::project {
namespace {

TEST(NamedList, NamesAreUniqueIgnoringCaseAndNumbersArePositions) {
  PathList paths;
  MotionPath a;
  a.name = "Orbit";
  EXPECT_TRUE(paths.add(a));
  EXPECT_FALSE(paths.add(a));            // taken
  a.name = "ORBIT";
  EXPECT_FALSE(paths.add(a));            // taken, ignoring case
  a.name = "";
  EXPECT_FALSE(paths.add(a));            // no name
  a.name = "Dive";
  EXPECT_TRUE(paths.add(a));
  EXPECT_EQ(paths.size(), 2u);
  EXPECT_EQ(paths.find("dive"), 1);
  EXPECT_EQ(paths.find("Div"), -1);      // whole names only
  ASSERT_NE(paths.get(1), nullptr);
  EXPECT_EQ(paths.get(1)->name, "Dive");
  EXPECT_EQ(paths.get(2), nullptr);
  EXPECT_FALSE(paths.remove(2));
  EXPECT_TRUE(paths.remove(0));
  EXPECT_EQ(paths.find("Dive"), 0);      // the numbers follow the positions
  EXPECT_EQ(paths.find("Orbit"), -1);

  // Families whose name is an accessor or another field.
  LevelList levels;
  Level level;
  level.settings.name = "Cave";
  EXPECT_TRUE(levels.add(level));
  EXPECT_FALSE(levels.add(level));
  EXPECT_EQ(levels.find("CAVE"), 0);
  MacroList macros;
  Macro m;
  m.name = "Fade";
  EXPECT_TRUE(macros.add(m));
  EXPECT_EQ(macros.indexOf("fade"), 0);
  ASSERT_NE(macros.find("FADE"), nullptr);
  EXPECT_EQ(macros.find("FADE")->name, "Fade");
  EXPECT_EQ(macros.find("Wipe"), nullptr);

  // The string table keeps its own order: a new identifier goes where it sorts.
  StringTable strings;
  StringRecord s;
  s.identifier = "Zeta";
  EXPECT_TRUE(strings.add(s));
  s.identifier = "Alpha";
  EXPECT_TRUE(strings.add(s));
  EXPECT_FALSE(strings.add(s));
  EXPECT_EQ(strings.find("alpha"), 0);
  EXPECT_EQ(strings.find("zeta"), 1);
}

}  // namespace
}  // namespace tarvolin::project
