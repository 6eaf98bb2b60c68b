// The array, matrix and vector commands (56..89), the element access of
// array element variables (Array.Element[index]) and the iteration of
// Array2DIterate / Array2DIterateTable through the interpreter's call
// mechanism. The data lives in the project's array store. The commands form
// a command family that parses and runs its lines whole: iterations call
// script functions, and ArrayBlockPeek / ArrayBlockPoke read and write V1.
//
// Results the store leaves open, decided here:
// - Array1DFind gives -1 when no record matches; Array2DFind gives -1 in
//   both V1 and V2.
// - Array2DFind P1..P5: the search starts at X = P1 in row P3 and goes on
//   from X = P2 in each later row, up to X = P4 and row P5 (0: the last).
// - Array2DIterate calls the function with (record number x + y * Dim X,
//   x, y). A function name is found as Call finds it: the global functions
//   (FunctionGlobal) first, then the script's own; a number is a place in
//   the script's own table.
// - Array2DIterateTable Data.Element P1..P4 Table.Element: for each record
//   (x, y) of the block, v = Data.Element at (x, y); the function called is
//   the one whose number (its place in the script's function table) is
//   Table.Element[v], a 1D table of functions indexed by the value; it gets
//   (v, x, y). A value outside the table is 128; a number naming no
//   function 16; a function without 3 parameters 17.
// - A block of width or height 0 calls nothing; a block reaching past the
//   array fails with 128 before any call. A macro body may not iterate (172).
// - ArrayBlockPeek / ArrayBlockPoke: P3 non-zero moves the offset in V1
//   past the copied bytes; 0 leaves it.
// - Array1DSort: P3 = 0 ascending, any other value descending; stable.
// - Element writes keep the value within the element's range.
// - The built-in memory arrays (ERAM ..) take a byte offset as index for
//   every element; halfwords must lie on even bytes (140).
// - An array that could not be placed has no records to read or write (128).
// Vector and matrix formats are those of project/array_math.h.
#pragma once

#include <string>
#include <vector>

#include "project/arrays.h"
#include "script/interpreter.h"
#include "script/preprocessor.h"
#include "script/table_arrays.h"

namespace tarvolin::commands {

// The file behind a resource, for the array data commands.
class ResourceFiles {
 public:
  virtual ~ResourceFiles() = default;
  // The file of resource `resource`; `mustExist` when loading. False with
  // `cancelled` when the user cancelled a file choice, else with the error
  // set.
  virtual bool ResolveFile(int resource, bool mustExist, std::string& path, bool& cancelled,
                           ErrorState& err) = 0;
  // The number of a resource by name (ignoring case), or -1.
  virtual int FindResource(std::string_view /*name*/) const { return -1; }
};

class ArrayCommands final : public script::CommandFamily,
                            public script::ArrayAccess,
                            public script::IterationHandler,
                            public script::TableArrays {
 public:
  explicit ArrayCommands(project::ArrayList& arrays) : arrays_(arrays) {}

  // Installs the commands, the element variables, the iteration and the
  // table blocks in the interpreter and its preprocessor.
  void Attach(script::Interpreter& interp, script::Preprocessor& preprocessor);
  void setResourceFiles(ResourceFiles* files) { resources_ = files; }

  // CommandFamily: the array commands parse and run their lines whole.
  bool Handles(std::int32_t command) const override;
  void Reset() override { iterations_.clear(); }
  int FindAsset(script::AssetKind kind, std::string_view name) const override;
  bool Execute(std::int32_t, const std::int32_t*, int, std::int32_t*, int&, ErrorState& err) override;
  bool IsSystemArray(int array) const override;
  int FindArrayElement(int array, std::string_view element) const override;
  bool RunsWholeLines() const override { return true; }
  bool ParseLine(script::Interpreter& interp, script::ScriptLine& line, const script::ParseEnv& env) override;
  bool RunLine(script::Interpreter& interp, script::ScriptLine& line) override;
  // ArrayAccess
  bool read(std::int32_t ref, std::int32_t index, std::int32_t& value, ErrorState& err) override;
  bool write(std::int32_t ref, std::int32_t index, std::int32_t value, ErrorState& err) override;
  // IterationHandler
  bool NextElement(script::Interpreter& interp) override;
  // TableArrays: the preprocessor's table blocks.
  int FindArray(std::string_view name) const override { return arrays_.find(name); }
  bool Is2D(int array) const override;
  int DimX(int array) const override;
  int DimY(int array) const override;
  int FindElement(int array, std::string_view name) const override;
  int ElementType(int array, int element) const override;
  void WriteElement(int array, int x, int y, int element, const std::int32_t* values, int count) override;

 private:
  struct Iteration {
    int depth;  // call depth of the iterating line
    int array;
    int element;        // -1: Array2DIterate
    int table;          // Array2DIterateTable: the table of functions
    int tableElement;
    std::int32_t function;  // Array2DIterate: the one function's number
    int script;             // whose function table the numbers refer to
    bool global;            // Array2DIterate: the function is a global one
    std::int32_t x0, y0, width, height;
    std::int32_t x, y;  // the record being visited
  };
  // RunLine but for the macro's own error; `p` receives the operand values.
  bool RunOperands(script::Interpreter& interp, script::ScriptLine& line, std::int32_t* p);
  bool CallNext(script::Interpreter& interp, Iteration& it);
  bool StartIteration(script::Interpreter& interp, script::ScriptLine& line, const std::int32_t* p);
  // Function `index` of the global list or of the script's table; null when none.
  const script::ScriptFunction* FunctionAt(script::Interpreter& interp, int script, bool global, std::int32_t index) const;
  bool DataFile(script::Interpreter& interp, script::ScriptLine& line, const std::int32_t* p, bool twoD, bool save);

  project::ArrayList& arrays_;
  ResourceFiles* resources_ = nullptr;
  std::vector<Iteration> iterations_;
};

}  // namespace tarvolin::commands
