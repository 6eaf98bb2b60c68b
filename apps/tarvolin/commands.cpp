#include "commands.h"

namespace tarvolin::cli {

// Each subcommand lives in its own file (cmd_*.cpp) and is listed here.
const std::vector<Subcommand>& subcommands() {
  static const std::vector<Subcommand> table = {};
  return table;
}

}  // namespace tarvolin::cli
