// What the operand parsers need to know about the project and the running
// script: definitions, global names, assets, array layouts, the block level
// and macro state, and where to report errors. The interpreter implements it
// over its tables and its command families (exec_operands.cpp).
#pragma once

#include <cstdint>
#include <string_view>

#include "common/errors.h"
#include "script/operand.h"

namespace tarvolin::script {

// Asset kinds that operands can name, in the order a plain value tries them.
enum class AssetKind : int { String, Resource, FontMap, Path, Function, Array, Level, TileList };
inline constexpr int kAssetKindCount = 8;

class ParseContext {
 public:
  virtual ~ParseContext() = default;

  // Where parse failures are recorded.
  virtual ErrorState& Errors() = 0;

  // The value of a definition by its name as written after "#" (built-in
  // ones carry their "_"), ignoring case.
  virtual bool FindDefinition(std::string_view name, std::int32_t& value) const = 0;

  // The index 0..31 of a global name ("G_SCORE", with its prefix) in the
  // global set of the script being parsed, or -1.
  virtual int FindGlobal(std::string_view name) const = 0;

  // The index of a named asset of a kind, or -1; names compare ignoring
  // case. A function's index is its position in the script's function table.
  virtual int FindAsset(AssetKind kind, std::string_view name) const = 0;
  // How many assets of the kind exist (valid indices are 0..count-1).
  virtual int AssetCount(AssetKind kind) const = 0;

  // Whether array `array` is one of the built-in memory arrays (ERAM ..).
  virtual bool IsSystemArray(int array) const = 0;
  // The index of an element in an array's definition, or -1.
  virtual int FindArrayElement(int array, std::string_view element) const = 0;

  // Whether the current block level executes; asset indices given as
  // numbers are checked only then.
  virtual bool IsExecuting() const = 0;

  // Whether the line belongs to a macro body (%0..%9 are allowed).
  virtual bool InMacro() const = 0;
  // The words bound to %0..%9 by the macro call being run, or nullptr when
  // the body is only being checked.
  virtual const OperandWord* MacroParameters() const = 0;
};

}  // namespace tarvolin::script
