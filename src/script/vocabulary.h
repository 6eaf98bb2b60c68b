// The small constant vocabularies of the script language: comparison
// operators, the bracketed attribute tables, the built-in definitions, the
// input function and button names, and the editor's keyword list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/errors.h"

namespace tarvolin::script {

// ---- Comparison operators ("LOP") ----------------------------------------

enum ComparisonOp : int {
  kOpEqual = 0,           // ==
  kOpNotEqual = 1,        // !=
  kOpGreater = 2,         // >
  kOpGreaterOrEqual = 3,  // >=
  kOpLess = 4,            // <
  kOpLessOrEqual = 5,     // <=
  kOpModEqual = 6,        // %=  B != 0 and A % B == 0
  kOpAndEqual = 7,        // &=  (A & B) == B
  kOpBetween = 8,         // >=< min(B,C) <= A <= max(B,C)
  kOpOutside = 9,         // <>  A outside [min(B,C), max(B,C)]
};
inline constexpr int kComparisonOpCount = 10;

// The operator's text ("==", ">=<" ...), "" for an index outside the table.
std::string_view ComparisonOpText(int op);

// Whether the operator takes a third operand (>=< and <>).
inline bool IsTripleOp(int op) { return op == kOpBetween || op == kOpOutside; }

// Looks an operator up at `pos`: the table is scanned in order and an entry
// matches only when a blank or the end of the text follows it. Returns the
// index and sets `length`, or -1.
int LookupComparisonOp(std::string_view text, std::size_t pos, std::size_t& length);

// The comparison on signed 32-bit values (C is used by the triple operators).
bool Compare(int op, std::int32_t a, std::int32_t b, std::int32_t c);

// ---- Attribute tables -------------------------------------------------------

enum class AttributeTable : int {
  Display,        // [AtributoVisual]
  Mosaic,         // [atributo de mosaico]
  Blend,          // [atributo de transparencia]
  BGRotation,     // [atributo de rotación]
  Window,         // [atributo de ventana]
  Sprite,         // [AtributoSprite]
  Rotation,       // [AtributoRot]
  TileMap,        // [atributo]
  MemSize,        // [MemTamaño]
  PaletteTarget,  // [ObjetivoPaleta]
  Direction,      // [Dir]
};
inline constexpr int kAttributeTableCount = 11;

// Error numbers of one attribute position: operand missing, malformed
// (no brackets), name not in the table.
struct AttributeErrors {
  ErrorCode missing;
  ErrorCode malformed;
  ErrorCode unknown;
};

// The names of a table, by index.
std::span<const char* const> AttributeNames(AttributeTable table);
AttributeErrors AttributeErrorCodes(AttributeTable table);

// Index of `name` (whole name, ignoring case) in the table, or -1.
int FindAttribute(AttributeTable table, std::string_view name);

// The order in which a bracketed name used as a plain value is looked up:
// sprite, palette target, tile map, display, mosaic, direction.
std::span<const AttributeTable> ValueAttributeOrder();

// ---- Built-in definitions ----------------------------------------------------

struct BuiltinDefinition {
  const char* name;  // without the "_" that the definition list puts in front
  std::int32_t value;
};

// The 83 built-in definitions in order of entry.
std::span<const BuiltinDefinition> BuiltinDefinitions();

// The name a built-in is entered under in the definition list ("_%s").
std::string BuiltinDefinitionName(const BuiltinDefinition& def);

// ---- Input functions and buttons ---------------------------------------------

// F_ function names by index (without "F_"); the first three take a button.
std::span<const char* const> InputFunctionNames();
// Button names by index (bit i of the INPUT_BITFIELD_ values).
std::span<const char* const> ButtonNames();
inline constexpr int kInputFunctionCount = 6;
inline constexpr int kButtonCount = 10;
inline bool InputFunctionTakesButton(int function) { return function < 3; }

// ---- Editor keywords -----------------------------------------------------------

// Every command name and every attribute name with its brackets ("[Xpos]"),
// for the editor's keyword colouring.
std::vector<std::string> KeywordList();

}  // namespace tarvolin::script
