// The text of the status window for the caret's line: nothing for a
// comment, "Macro : %s" for a macro call, the called function with its
// parameter count and description for Call and CallRet, else the help text
// of the line's command. Qt-free.
#pragma once

#include <string>
#include <string_view>

#include "script/exec_operands.h"

namespace tarvolin::project { class MacroList; }

namespace tarvolin::editor {

// `env` is the line's script's parse environment; `macros` the project's
// macros (null without a project).
std::string StatusTextForLine(std::string_view line, const script::ParseEnv& env,
                              const project::MacroList* macros);

}  // namespace tarvolin::editor
