// The start-up arguments that open a project and a script: "-P" (or "-p")
// with a project path and "-S" (or "-s") with a script file name, each
// value in double quotes on a whole command line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "project/project.h"

namespace tarvolin::project {

struct StartupArgument {
  char option;        // 'P' or 'S'
  std::string value;  // without its quotes
};

// Scans a whole command line for "-P" / "-S" followed by a value in double
// quotes (an unquoted value runs to the next blank). Other text is ignored.
std::vector<StartupArgument> parseStartupCommandLine(std::string_view commandLine);

// The same from program arguments: "-P" followed by the next argument (or
// joined, as in "-Pgame.tvp"); surrounding quotes are removed.
std::vector<StartupArgument> parseStartupArguments(const std::vector<std::string>& args);

// Carries the arguments out in order: -P opens the project (the path, or
// the path with ".tvp" appended; neither existing shows "El proyecto no
// existe" and the argument is ignored); -S, while a project is open, opens
// that file of the Script folder through the openScript hook if it exists.
void applyStartupArguments(Project& project, Host& host,
                           const std::vector<StartupArgument>& arguments);

}  // namespace tarvolin::project
