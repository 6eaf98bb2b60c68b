// A family of commands that the interpreter hands over whole: it parses the
// family's lines by their operand kinds (command table), evaluates the
// value operands in order, and lets the family act; the family's results go
// to the line's variable operands in order (for a command with a leading
// variable, to that variable).
#pragma once

#include <cstdint>
#include <string_view>

#include "script/errors.h"
#include "script/parse_context.h"

namespace tarvolin::script {

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
};

}  // namespace tarvolin::script
