// Line-level parsing: classifying a script line (leading variable, comment,
// macro call, command name), and what an operand letter of the command table
// stands for. The interpreter parses the operands (exec_parse.cpp,
// family_access.cpp).
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

// The attribute table of a bracketed-attribute operand letter, and the asset
// kind of an asset operand letter; false for other letters.
bool AttributeTableOf(char kind, AttributeTable& table);
bool AssetKindOf(char kind, AssetKind& asset);

}  // namespace tarvolin::script
