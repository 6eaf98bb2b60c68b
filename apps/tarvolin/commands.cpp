#include "commands.h"

#include <algorithm>

namespace tarvolin::cli {

static std::vector<Subcommand>& registry() {
  static std::vector<Subcommand> table;
  return table;
}

SubcommandRegistrar::SubcommandRegistrar(const Subcommand& sc) { registry().push_back(sc); }

std::vector<Subcommand> subcommands() {
  std::vector<Subcommand> sorted = registry();
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const Subcommand& a, const Subcommand& b) { return a.order < b.order; });
  return sorted;
}

}  // namespace tarvolin::cli
