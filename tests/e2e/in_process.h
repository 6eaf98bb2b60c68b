// `tarvolin new`, `preprocess` and `run [--frames N]` done inside the test
// process, each on a Workbench of its own, through the same core functions
// the tool calls: `out` holds what the tool prints to stdout (the notes, and
// the status line of a run-time error), `err` its message boxes, and
// `exitCode` the code it would return. The error tables use this; one test
// per contract still starts the real program (run_tool.h).
#pragma once

#include <string>
#include <vector>

#include "e2e/run_tool.h"

namespace tarvolin::test {

ToolResult runInProcess(const std::vector<std::string>& args);

}  // namespace tarvolin::test
