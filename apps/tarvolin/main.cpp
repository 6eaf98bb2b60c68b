// tarvolin: the command-line tool. Everything the studio can do without a
// screen is reachable here.
#include <cstdio>
#include <cstring>
#include <string>

#include "commands.h"

namespace {

void printHelp(std::FILE* out) {
  std::fprintf(out,
               "Tarvolin Studio - herramienta de línea de órdenes\n"
               "Uso: tarvolin ORDEN [ARGUMENTOS]\n\n"
               "Órdenes:\n");
  for (const auto& sc : tarvolin::cli::subcommands())
    std::fprintf(out, "  %-10s %s\n", sc.name, sc.usage);
  std::fprintf(out, "  %-10s %s\n", "--help", "muestra esta ayuda");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    printHelp(stderr);
    return 2;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    printHelp(stdout);
    return 0;
  }
  tarvolin::cli::Args args(argv + 2, argv + argc);
  for (const auto& sc : tarvolin::cli::subcommands())
    if (name == sc.name) return sc.run(args);
  std::fprintf(stderr, "tarvolin: orden desconocida '%s' (pruebe 'tarvolin --help')\n",
               name.c_str());
  return 2;
}
