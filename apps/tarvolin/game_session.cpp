#include "game_session.h"

#include <unistd.h>

#include <cstdio>

#include "platform/paths.h"
#include "platform/shipped_data.h"
#include "workbench/headless.h"

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
#ifdef TARVOLIN_SOURCE_DATA_DIR
  const std::string dataFolder = TARVOLIN_SOURCE_DATA_DIR;
#else
  const std::string dataFolder = platform::executableFolder() + "/../data";
#endif
  std::string error;
  if (!OpenHeadless(bench, projectPath, dataFolder, error)) {
    std::fprintf(stderr, "tarvolin %s: %s\n", command, error.c_str());
    return 2;
  }
  return 0;
}

}  // namespace tarvolin::cli
