// Line-level parsing: classifying a script line (leading variable, comment,
// macro call, command name) and reading a command's operands by the kinds
// its table entry lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "script/commands.h"
#include "script/operand.h"
#include "script/operand_parse.h"
#include "script/parse_context.h"
#include "script/vocabulary.h"

namespace tarvolin::script {

// The classification of one line.
struct LineClass {
  CommandId id = cmd::NoCommand;
  // Where the operands start: after the command name, or after the "%" of a
  // macro call (the macro's name comes first).
  std::size_t operandStart = 0;
  bool hasLeadingVariable = false;
  OperandWord leadingVariable = 0;
  // When the first word looked like a variable but could not be read (e.g. a
  // G_ name missing from the global set: 38), its error; else 0. An
  // executor may report it in place of error 3 for an undefined command.
  ErrorCode leadingError = 0;
};

// Classifies a line: skips blanks, reads an optional leading variable, then
// ";" or the end gives NoCommand, "%" not followed by "=" MacroCall, else the
// command table lookup (UndefinedCommand when nothing matches). Sets no
// error: ctx.Errors() is left as it was.
LineClass ClassifyLine(std::string_view text, ParseContext& ctx);

// The leading variable that an assignment-style command writes: error 36
// when the line has none, 37 when it stands for an immediate (a macro
// parameter bound to one).
bool LeadingVariable(const LineClass& line, ParseContext& ctx, OperandWord& word);


// The attribute table of a bracketed-attribute operand letter, and the asset
// kind of an asset operand letter; false for other letters.
bool AttributeTableOf(char kind, AttributeTable& table);
bool AssetKindOf(char kind, AssetKind& asset);

inline constexpr int kMaxOperands = 12;

// A command's operand words in the order of its operand kinds. A comparison
// operator, attribute or asset is stored as an immediate of its index; an
// Array.Element as MakeArrayElementWord. After the operator of If, While,
// ElseIf and Assert, a triple operator (>=<, <>) adds a third value.
struct ParsedOperands {
  int count = 0;
  OperandWord words[kMaxOperands] = {};
};

// Parses the operands of a command whose kinds are fixed (not "?") from
// `pos` on. Errors: those of the operand parsers; 48 for a triple operator
// without its third value; 139 for a triple operator in a search; 1 when
// `checkRest` and anything but blanks or a comment follows.
bool ParseCommandOperands(CommandId id, std::string_view text, std::size_t pos, ParseContext& ctx,
                          bool checkRest, ParsedOperands& out);

// Evaluates the condition of a conditional command (If, While, ElseIf,
// Assert and the deprecated forms) from its parsed operands.
bool EvaluateCondition(CommandId id, const ParsedOperands& operands, const VariableStore& store,
                       bool& result);

}  // namespace tarvolin::script
