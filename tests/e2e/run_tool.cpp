#include "e2e/run_tool.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "common/temp_dir.h"

namespace tarvolin::test {

static std::string shellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'') out += "'\\''";
    else out += c;
  }
  return out + "'";
}

ToolResult runTool(const std::vector<std::string>& args) {
  TempDir tmp;
  std::string cmd = shellQuote(TARVOLIN_EXE);
  for (const auto& a : args) {
    cmd += ' ';
    cmd += shellQuote(a);
  }
  cmd.append(" </dev/null >").append(shellQuote(tmp.file("out")));
  cmd.append(" 2>").append(shellQuote(tmp.file("err")));
  ToolResult r;
  int status = std::system(cmd.c_str());
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = TempDir::read(tmp.file("out"));
  r.err = TempDir::read(tmp.file("err"));
  return r;
}

}  // namespace tarvolin::test
