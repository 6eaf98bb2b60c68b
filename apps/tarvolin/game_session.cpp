#include "game_session.h"

#include <unistd.h>

#include <cstdio>

#include "platform/paths.h"
#include "platform/shipped_data.h"

namespace tarvolin::cli {

void NotesHost::outputLine(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

MessageAnswer NotesHost::messageBox(std::string_view caption, std::string_view text, MessageButtons,
                                    MessageAnswer defaultAnswer) {
  std::fprintf(stderr, "%.*s: %.*s\n", int(caption.size()), caption.data(), int(text.size()),
               text.data());
  return defaultAnswer;
}

int OpenSession(Workbench& bench, const std::string& projectPath, const char* command) {
  project::Project& project = bench.project();
  const std::string absolute = project.absolutePath(projectPath);
  if (!platform::fileExists(absolute)) {
    std::fprintf(stderr, "tarvolin %s: no existe el proyecto %s\n", command, absolute.c_str());
    return 2;
  }
  if (!project.open(absolute, false) || !project.isOpen()) {
    std::fprintf(stderr, "tarvolin %s: no se puede abrir el proyecto %s\n", command, absolute.c_str());
    return 2;
  }
  #ifdef TARVOLIN_SOURCE_DATA_DIR
  const std::string dataFolder = TARVOLIN_SOURCE_DATA_DIR;
#else
  const std::string dataFolder = platform::executableFolder() + "/../data";
#endif
  bench.scripts().Reset(ScriptRuntime::FindTimingDatabase(platform::executableFolder(), dataFolder));
  return 0;
}

}  // namespace tarvolin::cli
