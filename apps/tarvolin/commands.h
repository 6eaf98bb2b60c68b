// Subcommands of the command-line tool. Each lives in its own file
// (cmd_*.cpp) and registers itself with a static SubcommandRegistrar, so adding
// one touches no shared file. A subcommand takes the arguments after its name
// and returns the exit code (0 success, 1 failure of the job, 2 usage or file
// error).
#pragma once

#include <string>
#include <vector>

namespace tarvolin::cli {

using Args = std::vector<std::string>;

struct Subcommand {
  int order;            // position in --help
  const char* name;
  const char* usage;    // one line for --help
  int (*run)(const Args& args);
};

// Every registered subcommand, sorted by `order`.
std::vector<Subcommand> subcommands();

struct SubcommandRegistrar {
  explicit SubcommandRegistrar(const Subcommand& sc);
};

}  // namespace tarvolin::cli
