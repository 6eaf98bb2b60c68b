// Parsers for the operands of a script line. Each skips the blanks at `pos`,
// reads one operand and, on success, moves `pos` past it. On failure it
// records one error number in ctx.Errors(), leaves `pos` where it was and
// returns false. A ";" where an operand could start ends the line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "script/operand.h"
#include "script/parse_context.h"
#include "script/vocabulary.h"

namespace tarvolin::script {

// Immediates of the simple forms (#definitions, 'c', 0x.., 0b.., decimal,
// {r,g,b}, true/on/false/off, optionally negated, with folding), variables,
// extended variables and array element variables. Nothing to read: 2; text
// that is no operand: 4.
bool ParseBasicOperand(std::string_view text, std::size_t& pos, ParseContext& ctx, OperandWord& word);

// Only the immediate forms (a `##` definition's value, table data): the
// value, or their errors; 4 when the text is no immediate, 2 when nothing.
bool ParseImmediateOperand(std::string_view text, std::size_t& pos, ParseContext& ctx, std::int32_t& value);

// A value (kind P): a basic operand, else a bracketed attribute name (its
// index), else an asset name (its index). Nothing left: 2.
bool ParseValue(std::string_view text, std::size_t& pos, ParseContext& ctx, OperandWord& word);

// A variable (kind V): a basic operand that is no immediate (error 10, also
// for a macro parameter bound to an immediate).
bool ParseVariable(std::string_view text, std::size_t& pos, ParseContext& ctx, OperandWord& word);

// A comparison operator: its index in the operator table. Missing: 2; not
// in the table: 32.
bool ParseOperator(std::string_view text, std::size_t& pos, ParseContext& ctx, int& op);

// A bracketed attribute of one table, with that table's error numbers
// (missing / malformed / not in the table).
bool ParseAttribute(AttributeTable table, std::string_view text, std::size_t& pos, ParseContext& ctx,
                    int& index);

// Error numbers of one asset kind.
struct AssetErrors {
  ErrorCode missing;
  ErrorCode unknown;      // 0: the value parser's own error stands
  ErrorCode outOfRange;
};
AssetErrors AssetErrorCodes(AssetKind kind);

// An Array.Element operand (no index): wrong form 126, unknown array 125,
// element not in the definition 127.
bool ParseArrayElementOperand(std::string_view text, std::size_t& pos, ParseContext& ctx, int& array,
                              int& element);

// Array.Element operands travel in an operand word as an immediate.
constexpr OperandWord MakeArrayElementWord(int array, int element) {
  return MakeImmediate(std::int32_t(array) * 4096 + element);
}
constexpr int ArrayOfElementWord(OperandWord w) { return ImmediateValue(w) / 4096; }
constexpr int ElementOfElementWord(OperandWord w) { return ImmediateValue(w) % 4096; }

// Whether only blanks or a ";" comment follow `pos`.
bool RestIsEmpty(std::string_view text, std::size_t pos);

}  // namespace tarvolin::script
