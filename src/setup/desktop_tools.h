// Runs the desktop's own refresh tools (update-desktop-database,
// update-mime-database) after desktop files change, when they are present.
#pragma once

#include <string>
#include <vector>

namespace tarvolin::setup {

// The full path of `program` on $PATH, or empty.
std::string findOnPath(const std::string& program);

// Runs `program` with `arguments` (no shell), its output discarded, and
// waits. False when it is missing, cannot start or exits with a failure.
bool runTool(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace tarvolin::setup
