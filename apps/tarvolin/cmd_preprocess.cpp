// tarvolin preprocess PROJECT.tvp: opens the project and preprocesses its
// scripts; every notes line goes to stdout. Exit 0 on success, 1 on a
// preprocess failure, 2 on a usage or file error.
#include <cstdio>

#include "commands.h"
#include "game_session.h"

namespace tarvolin::cli {
namespace {

int runPreprocess(const Args& args) {
  if (args.size() != 1 || args[0].empty()) {
    std::fprintf(stderr, "Uso: tarvolin preprocess PROYECTO.tvp\n");
    return 2;
  }
  NotesHost host;
  Workbench bench(host);
  if (int rc = OpenSession(bench, args[0], "preprocess")) return rc;
  const bool ok = bench.scripts().Preprocess(bench.project(), true);
  std::fflush(stdout);
  return ok ? 0 : 1;
}

const SubcommandRegistrar registrar({20, "preprocess", "PROYECTO.tvp  preprocesa los guiones del proyecto",
                                     runPreprocess});

}  // namespace
}  // namespace tarvolin::cli
