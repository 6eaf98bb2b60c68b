#include "platform/shipped_data.h"

#include <gtest/gtest.h>

#include "common/temp_dir.h"

namespace tarvolin::platform {
namespace {

TEST(ShippedData, BesideTheProgramThenSystemShareThenBuildData) {
  test::TempDir dir;
  const std::string build = dir.path() + "/src/data";
  dir.write("src/data/timing_database.txt", "b");
  // A system install: bin/ with share/tarvolin/ beside it.
  dir.write("usr/share/tarvolin/timing_database.txt", "s");
  dir.write("usr/share/tarvolin/guide/index.md", "g");
  const std::string bin = dir.path() + "/usr/bin";
  dir.write("usr/bin/tarvolin", "");
  EXPECT_EQ(findShippedData(bin, "timing_database.txt", build),
            dir.path() + "/usr/bin/../share/tarvolin/timing_database.txt");
  EXPECT_EQ(findShippedData(bin, "guide", build), dir.path() + "/usr/bin/../share/tarvolin/guide");

  // An installed tree: the data sits beside the programs, the guide as "UserGuide".
  dir.write("opt/T/timing_database.txt", "o");
  dir.write("opt/T/UserGuide/index.md", "g");
  const std::string tree = dir.path() + "/opt/T";
  EXPECT_EQ(findShippedData(tree, "timing_database.txt", build), tree + "/timing_database.txt");
  EXPECT_EQ(findShippedData(tree, "guide", build), tree + "/UserGuide");

  // The build tree: neither exists, the build's data folder is used.
  EXPECT_EQ(findShippedData(dir.path() + "/build/apps", "timing_database.txt", build),
            build + "/timing_database.txt");
  EXPECT_EQ(findShippedData(dir.path() + "/build/apps", "WhatsNew.txt", build),
            build + "/WhatsNew.txt");
  EXPECT_FALSE(executableFolder().empty());
}

}  // namespace
}  // namespace tarvolin::platform
