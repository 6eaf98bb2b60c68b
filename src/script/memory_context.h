// Plain in-memory implementations of the parser's and the evaluator's
// seams: a ParseContext whose definitions, global names, assets and arrays
// are simple lists, and a VariableSource with a call frame, globals, macro
// parameters, a game pad and small 1D arrays. Used by tests and by tools
// that check scripts without an open project.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "script/operand.h"
#include "script/parse_context.h"

namespace tarvolin::script {

class MemoryParseContext : public ParseContext {
 public:
  struct Definition {
    std::string name;
    std::int32_t value;
    bool builtin;
  };
  struct ArrayDef {
    std::string name;
    std::vector<std::string> elements;
    bool system = false;
  };

  // Starts with the built-in definitions and the "Default" global names
  // (G_VAR00 .. G_VAR30, G_TICKS).
  MemoryParseContext();

  ErrorState errors;
  std::vector<Definition> definitions;
  std::array<std::string, kGlobalCount> globalNames;
  std::array<std::vector<std::string>, kAssetKindCount> assets;  // by AssetKind; arrays below
  std::vector<ArrayDef> arrays;
  bool executing = true;
  bool inMacro = false;
  const OperandWord* macroParameters = nullptr;

  // Convenience for filling the lists.
  void AddDefinition(std::string name, std::int32_t value) { definitions.push_back({std::move(name), value, false}); }
  void AddAsset(AssetKind kind, std::string name);
  int AddArray(std::string name, std::vector<std::string> elements, bool system = false);

  ErrorState& Errors() override { return errors; }
  bool FindDefinition(std::string_view name, std::int32_t& value) const override;
  int FindGlobal(std::string_view name) const override;
  int FindAsset(AssetKind kind, std::string_view name) const override;
  int AssetCount(AssetKind kind) const override;
  bool IsSystemArray(int array) const override;
  int FindArrayElement(int array, std::string_view element) const override;
  bool IsExecuting() const override { return executing; }
  bool InMacro() const override { return inMacro; }
  const OperandWord* MacroParameters() const override { return macroParameters; }
};

// The value of an input variable (80 + 10 * function + button) from the
// buttons down in this frame and in the previous one (bit i = button i).
std::int32_t InputFunctionValue(int number, std::uint32_t current, std::uint32_t previous);

class MemoryVariables : public VariableSource {
 public:
  struct Array {
    bool oneDimensional = true;
    bool readOnly = false;
    int length = 0;
    std::vector<std::vector<std::int32_t>> elements;  // [element][index]
  };

  MemoryVariables();
  MemoryVariables(const MemoryVariables&) = delete;
  MemoryVariables& operator=(const MemoryVariables&) = delete;

  std::array<std::int32_t, kFrameVariableCount> frame{};
  std::array<std::int32_t, kGlobalCount> globals{};
  std::array<OperandWord, kMacroParameterCount> macroParameters{};
  bool inMacro = false;
  std::uint32_t padCurrent = 0;
  std::uint32_t padPrevious = 0;
  std::vector<Array> arrays;
  ErrorState errors;

  // An array of `elementCount` elements and `length` records, all 0.
  int AddArray(int elementCount, int length, bool oneDimensional = true, bool readOnly = false);

  // A store over these variables.
  VariableStore Store();

  std::int32_t ReadInput(int number) override;
  bool ReadArrayElement(int array, int element, std::int32_t index, std::int32_t& value,
                        ErrorState& errs) override;
  bool WriteArrayElement(int array, int element, std::int32_t index, std::int32_t value,
                         ErrorState& errs) override;

 private:
  std::array<std::int32_t*, kGlobalCount> globalPointers_{};
  bool Locate(int array, int element, std::int32_t index, ErrorState& errs, std::int32_t*& slot);
};

}  // namespace tarvolin::script
