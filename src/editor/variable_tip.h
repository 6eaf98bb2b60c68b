// The value tool-tip: the variable or array element reference under the
// mouse, read as the interpreter reads it, and its current value. Qt-free.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "script/exec_operands.h"

namespace tarvolin::script { class Interpreter; }

namespace tarvolin::editor {

// The word of `line` that holds byte `column` ("" in a comment, in quotes or
// on a blank), with its start.
std::string_view WordAtColumn(std::string_view line, int column, std::size_t& start);

// True when the word at `column` is a variable (locals, arguments, returned
// values, globals, input values, array elements); `reference` is its text
// and `value` its value now.
bool VariableAt(std::string_view line, int column, const script::ParseEnv& env, script::Interpreter& interp,
                std::string& reference, std::int32_t& value);

// "%s = %d".
std::string VariableTipText(std::string_view reference, std::int32_t value);

}  // namespace tarvolin::editor
