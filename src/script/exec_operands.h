// The executor's side of operand parsing: the language's parsers read the
// line's text into operand words, and each word is decoded here, once, into
// the Operand form the executor evaluates directly.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "common/errors.h"
#include "script/exec_operand.h"
#include "script/operand.h"
#include "script/script_tables.h"
#include "script/vocabulary.h"

namespace tarvolin::script {

class CommandFamily;

struct ParseEnv {
  const ScriptTables* tables = nullptr;
  // The command families, whose assets operands may name; null: none.
  const std::vector<CommandFamily*>* families = nullptr;
  int script = 0;                            // the line's script (global set, functions)
  const OperandWord* macroWords = nullptr;   // words bound to %0..%9 while a macro runs
  int macroParamCount = 0;
  bool inMacro = false;
  bool executing = true;                     // the line's block level executes
};

// Decodes an operand word for the line's script.
Operand DecodeWord(OperandWord word, const ParseEnv& env);

// Immediates and variables (leading variables, indices, amounts).
bool ParseBasicOperand(std::string_view text, std::size_t& pos, const ParseEnv& env, Operand& out,
                       ErrorState& err, OperandWord* word = nullptr);
// A value (kind P): a basic operand, an attribute name or an asset name.
bool ParseValueOperand(std::string_view text, std::size_t& pos, const ParseEnv& env, Operand& out,
                       ErrorState& err, OperandWord* word = nullptr);
// An Array.Element operand (kind e), as the immediate array * 4096 +
// element: wrong form 126, unknown array 125, unknown element 127.
bool ParseArrayElementValue(std::string_view text, std::size_t& pos, const ParseEnv& env,
                            Operand& out, ErrorState& err, OperandWord* word = nullptr);
// A variable that receives a result (kind V); error 10 for an immediate.
bool ParseVariableOperand(std::string_view text, std::size_t& pos, const ParseEnv& env,
                          Operand& out, ErrorState& err, OperandWord* word = nullptr);
// Only an immediate (a definition's value).
bool ParseImmediateValue(std::string_view text, std::size_t& pos, const ParseEnv& env,
                         std::int32_t& value, ErrorState& err);
// A bracketed attribute of one table, as the immediate of its index, with
// that table's errors (missing / malformed / not in the table).
bool ParseAttributeOperand(AttributeTable table, std::string_view text, std::size_t& pos,
                           const ParseEnv& env, Operand& out, ErrorState& err);
// A comparison operator (0..9): error 2 when missing, 32 when unknown.
bool ParseComparison(std::string_view text, std::size_t& pos, const ParseEnv& env, int& lop,
                     ErrorState& err);
// Whether only blanks or a ";" comment follow `pos`.
bool AtLineEnd(std::string_view text, std::size_t pos);

// Classifies a line: command, operand start and leading variable.
struct Classification {
  std::int32_t command = 0;
  std::int32_t operandStart = 0;
  bool hasLeading = false;
  Operand leading;
  OperandWord leadingWord = 0;
  // The first word looked like a variable but could not be read (e.g. a G_
  // name missing from the global set): its error, reported in place of
  // "no such command"; else 0.
  ErrorCode leadingError = 0;
};
void ClassifyText(std::string_view text, const ParseEnv& env, Classification& out);
// Classifies a line whose text is loaded and records the result in it.
void ClassifyScriptLine(ScriptLine& line, const ParseEnv& env);


}  // namespace tarvolin::script
