// What preprocessing leaves for the interpreter: per-script line caches and
// function tables, the global function list, the definitions, the global
// variable sets and the macros.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "script/script_line.h"

namespace tarvolin::script {

inline constexpr int kMaxFunctionParams = 10;
inline constexpr int kGlobalsPerSet = 32;

struct ScriptFunction {
  std::string name;
  std::int16_t params = 0;
  int script = -1;       // script that holds the function's body
  int line = 0;          // 0-based line of its declaration
  std::string description;
  bool copied = false;   // an ExternFunction entry copied from another script
};

struct ScriptState {
  std::vector<ScriptLine> lines;
  // The document revision the line cache was last brought up to.
  std::uint64_t seenRevision = 0;
  std::vector<ScriptFunction> functions;  // sorted by name ignoring case
  int globalSet = 0;
  bool preprocessed = false;
};

struct Definition {
  std::string name;
  std::int32_t value = 0;
  bool builtIn = false;
};

// A set of names for the 32 global variables. `shared` matters in the first
// set only: a shared variable is the same in every set.
struct GlobalSet {
  std::string name;
  std::array<std::string, kGlobalsPerSet> names;
  std::array<bool, kGlobalsPerSet> shared{};
};

// The set that exists when the project names none: "Default" with G_VAR00 ..
// G_VAR30 and G_TICKS (shared).
GlobalSet DefaultGlobalSet();

struct Macro {
  std::string name;
  std::vector<ScriptLine> body;
  int params = 0;  // 1 + the largest digit after a "%" in the body
  // The script whose names the body lines were parsed with (-1: not yet).
  // Global and function names depend on the calling script.
  int parsedFor = -1;
};

struct ScriptTables {
  std::vector<ScriptState> scripts;        // parallel to the open documents
  std::vector<ScriptFunction> globals;     // FunctionGlobal declarations
  std::vector<Definition> definitions;
  std::vector<GlobalSet> globalSets{DefaultGlobalSet()};
  std::vector<Macro> macros;
  int mainScript = -1;

  // Function lookup of a script: the global list first, then the script's own
  // table. `name` is the whole name.
  const ScriptFunction* FindFunction(int script, std::string_view name) const;
  // Index in the global list / in the script's table; -1 when absent.
  int FindGlobalIndex(std::string_view name) const;
  int FindScriptIndex(int script, std::string_view name) const;
  const Definition* FindDefinition(std::string_view name) const;
  int FindMacro(std::string_view name) const;
  int FindGlobalSet(std::string_view name) const;

  // Enters the 83 built-in definitions ("_" in front of each name).
  void EnterBuiltInDefinitions();
};

}  // namespace tarvolin::script
