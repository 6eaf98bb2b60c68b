// Command lines of TarvolinSetup and Uninstall. Without arguments both show
// their windows; "--yes" (or, for the installer, "--no", which declines the
// question about old settings) runs without a screen for scripted installs.
#pragma once

#include <string>
#include <vector>

namespace tarvolin::setup {

struct SetupArguments {
  std::string folder;      // --folder DIR; empty: the default folder
  bool unattended = false;  // --yes or --no given
  bool answer = true;       // the answer to every question when unattended
  bool user = false;        // --user: the user's own folders even when root
  bool help = false;
  std::string error;        // set when the line cannot be understood
};

// `installer`: whether "--no" is accepted (the uninstaller asks nothing).
SetupArguments parseSetupArguments(const std::vector<std::string>& args, bool installer);

// The text "--help" prints.
std::string setupUsage(bool installer);

// For "--help" or a line not understood, prints the usage (and the error)
// and gives the program's exit code; -1 when the program goes on.
int answerUsage(const SetupArguments& args, bool installer);

// Whether there is a screen to show windows on; without one, prints how to
// run without windows.
bool screenAvailable(bool installer);

}  // namespace tarvolin::setup
