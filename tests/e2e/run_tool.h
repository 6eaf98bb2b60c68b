// Runs the command-line tool as a child process and collects what it printed.
#pragma once

#include <string>
#include <vector>

namespace tarvolin::test {

struct ToolResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

ToolResult runTool(const std::vector<std::string>& args);

}  // namespace tarvolin::test
