// The preprocessor: walks the project's scripts before a run, classifies
// every line, collects the functions each script declares, follows extern
// declarations into further scripts, records definitions and global-set
// choices, and resolves the targets of calls. Its tables stay with the
// interpreter for the run.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "script/interpreter.h"
#include "script/table_arrays.h"

namespace tarvolin::script {

// What the preprocessor takes from the project.
struct PreprocessInput {
  std::string mainScript;      // file name of the main script
  bool noMainScript = false;   // run the active document instead
  // Macros: name and body lines.
  struct MacroText {
    std::string name;
    std::vector<std::string> body;
    int params = 0;
  };
  std::vector<MacroText> macros;
  std::vector<GlobalSet> globalSets;  // empty: the one "Default" set
};

class Preprocessor {
 public:
  explicit Preprocessor(Interpreter& interp) : interp_(interp) {}

  // The whole run, under the host's progress "Preproceso". Writes
  // "<< Preproceso exitoso >>" on success when `reportSuccess`; on failure
  // "!! Preproceso falló en línea %d !!" tied to the failing line. When the
  // user cancels the progress the run ends at once, false, without a
  // failure message, and with no main script left to run.
  bool Preprocess(const PreprocessInput& input, bool reportSuccess);
  // The last run was cancelled by the user.
  bool cancelled() const { return cancelled_; }

  // The project's arrays, for table blocks; null when the project has none.
  void setTableArrays(TableArrays* arrays) { arrays_ = arrays; }

  // Where the last run failed: script index (-1 when no script was at fault)
  // and 0-based line.
  int failedScript() const { return failedScript_; }
  int failedLine() const { return failedLine_; }

  // Upkeep of the function tables while the editor changes a script between
  // runs.
  void LinesInserted(int script, int at, int count);
  void LinesRemoved(int script, int first, int count);

 private:
  struct ExternRequest {
    int script;             // declaring script
    std::string file;       // file to read
    std::string function;   // empty for ExternScript
    int line;               // declaring line
  };

  bool FirstPass(int script);
  bool SecondPass(int script);
  bool Declare(int script, int line, const ScriptLine& sl, bool global);
  bool QueueExtern(int script, int line, const ScriptLine& sl);
  bool Define(int script, int line, const ScriptLine& sl);
  bool ApplySet(int script, int line, const ScriptLine& sl);
  bool ResolveCall(int script, int line, ScriptLine& sl);
  bool FailAt(int script, int line, std::string_view message);
  bool Cancel();
  // Table blocks: `write` in the second pass only.
  bool TableLine(int script, int line, const ScriptLine& sl, bool write);
  bool TableSelect(int script, int line, const ScriptLine& sl);
  bool TableRecord(int script, int line, const ScriptLine& sl, bool write);
  void SortFunctions(std::vector<ScriptFunction>& table);
  void RefreshExternLines(int changedScript);
  ScriptDocuments& docs() { return *interp_.documents(); }
  ScriptTables& tables() { return interp_.tables(); }

  Interpreter& interp_;
  std::deque<ExternRequest> queue_;
  std::vector<ExternRequest> seen_;
  std::vector<int> order_;  // scripts in the order they were read
  TableArrays* arrays_ = nullptr;
  // The current table of a pass.
  struct TableState {
    int array = -1;
    bool twoD = false;
    int x = 0, y = 0;
    std::vector<int> elements;
  } table_;
  int failedScript_ = -1;
  int failedLine_ = -1;
  bool cancelled_ = false;
};

}  // namespace tarvolin::script
