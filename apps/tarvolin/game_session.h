// What `preprocess` and `run` share: a host that prints the notes pane to
// stdout, and opening a project for a headless session.
#pragma once

#include <string>
#include <string_view>

#include "workbench/workbench.h"

namespace tarvolin::cli {

// Notes / output lines go to stdout, one per line, exactly as written;
// message boxes go to stderr and take their default answer.
class NotesHost : public Host {
 public:
  void outputLine(std::string_view text) override;
  MessageAnswer messageBox(std::string_view caption, std::string_view text, MessageButtons buttons,
                           MessageAnswer defaultAnswer) override;
};

// Opens the project file for a headless session (no automatic preprocess)
// and readies the interpreter (timing database loaded). Returns 0, or 2 with
// a message on stderr when the file cannot be opened.
int OpenSession(Workbench& bench, const std::string& projectPath, const char* command);

}  // namespace tarvolin::cli
