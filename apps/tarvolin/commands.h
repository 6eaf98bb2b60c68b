// Subcommands of the command-line tool. Each takes the arguments after its
// name and returns the process exit code (0 success, 1 failure of the job,
// 2 usage or file error).
#pragma once

#include <string>
#include <vector>

namespace tarvolin::cli {

using Args = std::vector<std::string>;

struct Subcommand {
  const char* name;
  const char* usage;    // shown by --help
  int (*run)(const Args& args);
};

// Every subcommand, in the order --help lists them.
const std::vector<Subcommand>& subcommands();

}  // namespace tarvolin::cli
