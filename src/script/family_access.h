// The interpreter's side of a command family (command_family.h): parsing a
// family's line by its operand kinds and running it. Friends of the
// interpreter, so the family's plumbing stays out of the interpreter's files.
#pragma once

#include "script/exec_operands.h"
#include "script/script_line.h"

namespace tarvolin::script {

class Interpreter;

class ExecAccess {
 public:
  // Parses the operands of a line whose command the family handles.
  static bool ParseFamilyLine(Interpreter& interp, ScriptLine& line, const ParseEnv& env);
  // Evaluates the value operands, runs the family and stores its results.
  static bool RunFamilyLine(Interpreter& interp, ScriptLine& line);
};

}  // namespace tarvolin::script
