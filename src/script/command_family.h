// A family of commands that the interpreter hands over whole: it parses the
// family's lines by their operand kinds (command table), evaluates the
// value operands in order, and lets the family act; the family's results go
// to the line's variable operands in order (for a command with a leading
// variable, to that variable).
#pragma once

#include <cstdint>
#include <string_view>

#include "common/errors.h"
#include "script/parse_context.h"

namespace tarvolin::script {

class Interpreter;
struct ScriptLine;
struct ParseEnv;

class CommandFamily {
 public:
  virtual ~CommandFamily() = default;
  // Whether the family carries out this command.
  virtual bool Handles(std::int32_t command) const = 0;
  // Back to the state of a new run (called when the interpreter resets).
  virtual void Reset() = 0;
  // The index of a named asset of a kind (ignoring case), or -1.
  virtual int FindAsset(AssetKind kind, std::string_view name) const = 0;
  // Carries out one line with its evaluated operands (assets as indices,
  // bracketed attributes as their index); results to `out` (at most 3).
  virtual bool Execute(std::int32_t command, const std::int32_t* p, int count, std::int32_t* out,
                       int& outCount, ErrorState& err) = 0;

  // Arrays: whether an array number is a built-in memory array, and an
  // element's index in an array's definition (-1 when it has none).
  virtual bool IsSystemArray(int /*array*/) const { return false; }
  virtual int FindArrayElement(int /*array*/, std::string_view /*element*/) const { return -1; }

  // A family whose commands need the interpreter itself (they call script
  // functions, or read and write the same variable) parses and runs its
  // lines whole instead of going through Execute.
  virtual bool RunsWholeLines() const { return false; }
  virtual bool ParseLine(Interpreter& /*interp*/, ScriptLine& /*line*/, const ParseEnv& /*env*/) {
    return false;
  }
  virtual bool RunLine(Interpreter& /*interp*/, ScriptLine& /*line*/) { return false; }
};

}  // namespace tarvolin::script
