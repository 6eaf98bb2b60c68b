// Block jumps: from a line that opens a block (If, While and the deprecated
// conditional forms) the End at the same depth, from an End its opener,
// counting nested openers and closers. Qt-free.
#pragma once

#include <functional>

#include "script/commands.h"

namespace tarvolin::editor {

// `commandOf(line)` classifies a line. The partner line of `line` going
// forward (toEnd) from an opener or backward from an End; -1 when the line
// is of the wrong kind or no partner exists.
int FindBlockPartner(int line, int lineCount, bool toEnd,
                     const std::function<script::CommandId(int)>& commandOf);

}  // namespace tarvolin::editor
