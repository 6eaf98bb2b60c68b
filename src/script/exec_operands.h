// Operand parsing for the executor: reads operands from a line's text and
// gives them in their decoded form (Operand), ready to evaluate.
#pragma once

#include <cstddef>
#include <string_view>

#include "script/errors.h"
#include "script/exec_operand.h"
#include "script/script_tables.h"

namespace tarvolin::script {

struct ParseEnv;

// Array.Element[index] variables: the array store knows the names.
class ArrayVariableParser {
 public:
  virtual ~ArrayVariableParser() = default;
  // The variable number (256 + packed reference) of the array variable at
  // `pos`, moving `pos` past it; 0 when the text names no array; -1 with the
  // error set when it names one wrongly.
  virtual int ParseArrayVariable(std::string_view text, std::size_t& pos, const ParseEnv& env,
                                 ErrorState& err) const = 0;
  // The number of the array named `name` where a value is expected; -1 when
  // no array has that name; -2 with the error set when it may not stand
  // there (142: a built-in memory array).
  virtual int ArrayValue(std::string_view name, ErrorState& err) const = 0;
};

struct ParseEnv {
  const ScriptTables* tables = nullptr;
  int script = 0;                        // the line's script (global set, functions)
  const Operand* macroParams = nullptr;  // bound %0..%9 while a macro runs
  int macroParamCount = 0;
  bool inMacro = false;
  const ArrayVariableParser* arrays = nullptr;
};

// Immediates and variables (leading variables, indices, amounts).
bool ParseBasicOperand(std::string_view text, std::size_t& pos, const ParseEnv& env, Operand& out,
                       ErrorState& err);
// A value (kind P): a basic operand, an attribute name or an asset name.
bool ParseValueOperand(std::string_view text, std::size_t& pos, const ParseEnv& env, Operand& out,
                       ErrorState& err);
// A variable that receives a result (kind V); error 10 for an immediate.
bool ParseVariableOperand(std::string_view text, std::size_t& pos, const ParseEnv& env,
                          Operand& out, ErrorState& err);
// A comparison operator (0..9): error 2 when missing, 32 when unknown.
bool ParseComparison(std::string_view text, std::size_t& pos, int& lop, ErrorState& err);
// Whether only blanks or a ";" comment follow `pos`.
bool AtLineEnd(std::string_view text, std::size_t pos);
// Whether a line's command could be followed by more operands at `pos`.
inline bool HasMoreOperands(std::string_view text, std::size_t pos) { return !AtLineEnd(text, pos); }

// Classifies a line: command, operand start and leading variable.
struct Classification {
  std::int32_t command = 0;
  std::int32_t operandStart = 0;
  bool hasLeading = false;
  Operand leading;
};
void ClassifyText(std::string_view text, const ParseEnv& env, Classification& out);

// The comparison operator with its two or three values.
inline bool IsTripleOperator(int lop) { return lop == 8 || lop == 9; }

}  // namespace tarvolin::script
