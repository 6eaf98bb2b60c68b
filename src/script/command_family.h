// Seams for the command families built beside the interpreter (arrays,
// levels, resources, display, strings, sound, drawing, collision): the
// assets their operands name, and the executors that carry the commands out.
// The interpreter parses every command's operands itself (so a malformed
// line fails even where it is passed over) and hands the decoded operands
// to the family registered for the command.
#pragma once

#include <string_view>

#include "script/parse_context.h"

namespace tarvolin::script {

class Interpreter;
struct ScriptLine;

// The project's assets as operands name them.
class AssetCatalog {
 public:
  virtual ~AssetCatalog() = default;
  // Index of a named asset of a kind (functions are not asked), or -1.
  virtual int FindAsset(AssetKind kind, std::string_view name) const = 0;
  virtual int AssetCount(AssetKind kind) const = 0;
  virtual bool IsSystemArray(int /*array*/) const { return false; }
  virtual int FindArrayElement(int /*array*/, std::string_view /*element*/) const { return -1; }
};

// Carries out the commands of one family. `line.ops[0 .. line.count)` hold
// the operands in the order of the command's signature (attributes,
// operators and assets as immediates of their index); the family evaluates
// them with Interpreter::Evaluate and writes results with
// Interpreter::StoreResult. A failure sets the error and returns false.
class CommandFamily {
 public:
  virtual ~CommandFamily() = default;
  virtual bool Execute(Interpreter& interp, ScriptLine& line) = 0;
};

}  // namespace tarvolin::script
