#include <gtest/gtest.h>

#include "e2e/run_tool.h"

namespace tarvolin::test {

TEST(Cli, HelpAndUnknownCommand) {
  ToolResult help = runTool({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("Uso: tarvolin"), std::string::npos);

  ToolResult bad = runTool({"no-such-command"});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.err.find("orden desconocida"), std::string::npos);

  EXPECT_EQ(runTool({}).exitCode, 2);
}

}  // namespace tarvolin::test
