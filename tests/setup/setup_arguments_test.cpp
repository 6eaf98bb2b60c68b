#include "setup/setup_arguments.h"

#include <gtest/gtest.h>

namespace tarvolin::setup {
namespace {

TEST(SetupArguments, CommandLinesChooseUnattendedRuns) {
  auto a = parseSetupArguments({"--folder", "/x y", "--yes"}, true);
  EXPECT_TRUE(a.unattended && a.answer && a.error.empty());
  EXPECT_EQ(a.folder, "/x y");
  a = parseSetupArguments({"--no", "--folder=/z"}, true);
  EXPECT_TRUE(a.unattended);
  EXPECT_FALSE(a.answer);
  EXPECT_EQ(a.folder, "/z");
  EXPECT_FALSE(parseSetupArguments({"--no"}, false).error.empty());  // Uninstall asks nothing
  EXPECT_FALSE(parseSetupArguments({"--folder"}, true).error.empty());
  EXPECT_FALSE(parseSetupArguments({"-P"}, true).error.empty());
  EXPECT_FALSE(parseSetupArguments({}, true).unattended);
  EXPECT_TRUE(parseSetupArguments({"--help"}, false).help);
  EXPECT_TRUE(parseSetupArguments({"--user", "--yes"}, false).user);
}

}  // namespace
}  // namespace tarvolin::setup
