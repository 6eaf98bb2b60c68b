// The interpreter: runs the project's scripts a frame at a time, straight
// from the open script documents, under line budgets. It owns the execution
// context (script and line that run next), the block and call stacks, the
// entry points of a frame, breakpoints and stepping, macros, the stack trace
// and the current error.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/host.h"
#include "script/command_family.h"
#include "common/errors.h"
#include "script/exec_operand.h"
#include "script/exec_operands.h"
#include "script/script_document.h"
#include "script/script_line.h"
#include "script/script_tables.h"
#include "script/timing.h"

namespace tarvolin::script {

inline constexpr int kMaxBlocks = 32;
inline constexpr int kMaxCallDepth = 20;
inline constexpr int kMaxBreakLevels = 16;
inline constexpr int kMainBudget = 20000;
inline constexpr int kVBlankBudget = 5000;
inline constexpr int kHBlankBudget = 60;

enum class StepMode : int { Run = 0, StepInto = 1, StepOver = 2, RunToCursor = 3, RunToReturn = 4 };

struct CallFrame {
  std::int32_t vars[kFrameSlots];  // V_EV0..3, V_RV0..3, V_LV0..5
  bool byCallRet;
  bool byIteration;
  std::int32_t blockLevel;
  std::int32_t returnScript;
  std::int32_t returnLine;
  // Declaration of the running function (script and 0-based line), for the
  // call stack view; line -1 for a run that started at a script's top. Kept
  // as numbers, not a pointer into a function table, because preprocessing
  // while paused rebuilds the tables.
  std::int32_t functionScript;
  std::int32_t functionLine;
};

// One frame of the call stack as a debugger shows it, bottom (the entry
// point, depth 0) first.
struct StackFrameView {
  int depth = 0;
  std::string function;  // the function's name; empty at a script's top
  int script = -1;       // document index of the line the frame is at
  int line = -1;         // 0-based: the line to run next in the top frame,
                         // the calling line in the frames below it
  std::array<std::int32_t, kFrameSlots> vars{};  // V_EV0..3, V_RV0..3, V_LV0..5
};

struct Block {
  bool executing;
  bool loop;
  bool elseOpen;
  std::int32_t iterations;
  std::int32_t loopLine;
  std::int32_t loopDepth;  // call depth of the While, so recursion cannot mistake it
};

// Continues an array iteration when a function it called returns; the
// array commands provide it.
class IterationHandler {
 public:
  virtual ~IterationHandler() = default;
  // Called after the pop of a frame called by an iteration. Returns false
  // with the error set to fail the Return line.
  virtual bool NextElement(class Interpreter& interp) = 0;
};

// What scripts read of the outside world: the game pad (F_ values), the debug
// keys and the mouse over the emulator picture. The default reads nothing.
class InputSource {
 public:
  virtual ~InputSource() = default;
  // Value of an input function variable (80..179).
  virtual std::int32_t inputValue(int /*number*/) { return 0; }
  // DebugIsKeyPressed: key down and pressed since the last query, window active.
  virtual bool debugKeyPressed(int /*virtualKey*/) { return false; }
  // DebugGetMousePosition: picture coordinates or (-1, -1).
  virtual void mousePosition(int& x, int& y) { x = -1; y = -1; }
};

// Element access of array element variables; the array store provides it.
class ArrayAccess {
 public:
  virtual ~ArrayAccess() = default;
  // `ref` is the packed reference; `index` the evaluated record index.
  virtual bool read(std::int32_t ref, std::int32_t index, std::int32_t& value, ErrorState& err) = 0;
  virtual bool write(std::int32_t ref, std::int32_t index, std::int32_t value, ErrorState& err) = 0;
};

// The error detail of a file a script may not write: it lies outside the
// project's own folders.
std::string OutsideProjectText(std::string_view path);

// The result of an assignment or arithmetic command (37..55) for the target's
// value `v1` and the command's values `p`.
std::int32_t ArithResult(std::int32_t command, std::int32_t v1, const std::int32_t* p);

class Interpreter {
 public:
  explicit Interpreter(Host& host);
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  // Wiring.
  void setDocuments(ScriptDocuments* docs) { docs_ = docs; }
  ScriptDocuments* documents() { return docs_; }
  void setInput(InputSource* input) { input_ = input ? input : &noInput_; }
  void setArrays(ArrayAccess* arrays) { arrays_ = arrays; }
  void setIterationHandler(IterationHandler* handler) { iteration_ = handler; }
  // Adds a family that carries out the commands it handles
  // (command_family.h); its assets can be named by operands. Several
  // families may be added; the first that handles a command gets it.
  void setFamily(CommandFamily* family);
  // The family of a command, or null. Asked each time: a family (such as
  // a CommandFamilies) may take on more commands after it was added.
  CommandFamily* FamilyFor(std::int32_t command) const {
    for (CommandFamily* family : families_)
      if (family->Handles(command)) return family;
    return nullptr;
  }
  const std::vector<CommandFamily*>& families() const { return families_; }
  // The cycle estimate that performed commands add to.
  void setTiming(TimingEngine* timing) {
    timing_ = timing;
    RefreshCosts();
  }
  // Takes the fixed cost of every command from the timing engine (after its
  // database was loaded).
  void RefreshCosts();
  TimingEngine* timing() { return timing_; }
  Host& host() { return host_; }
  ErrorState& errors() { return err_; }
  const ErrorState& errors() const { return err_; }
  ScriptTables& tables() { return tables_; }
  const ScriptTables& tables() const { return tables_; }
  // Folder that LogFile names are relative to.
  void setWorkingFolder(std::string folder) { workingFolder_ = std::move(folder); }
  // The only folders the game's LogFile may write in (a project's own
  // folders); none given: no limit. A file outside them fails with 156.
  void setWritableFolders(std::vector<std::string> folders) { writableFolders_ = std::move(folders); }

  // Forgets every script's line cache and function table (the documents
  // were replaced) and ends any run.
  void ForgetScripts();

  // Clears the error, the run flags and the stacks, forgets the main script
  // and the global functions and resets the global sets to "Default".
  void ResetInterpreter();

  // Entry points of a frame.
  // `mode` steps the run the call starts or continues (see RunLines).
  bool RunMainFrame(bool firstFrame, StepMode mode = StepMode::Run);
  bool RunVBlankCallback(StepMode mode = StepMode::Run);
  bool RunHBlankCallback(int scanLine, StepMode mode = StepMode::Run);

  // The run loop and the line executor.
  bool RunLines(int budget, StepMode mode);
  bool ExecuteLine(ScriptLine& line, bool inMacro);

  // Run state.
  bool running() const { return running_; }
  bool paused() const { return paused_; }
  bool inVBlank() const { return inVBlank_; }
  bool inHBlank() const { return inHBlank_; }
  // The last RunLines stopped because its budget ran out.
  bool outOfBudget() const { return outOfBudget_; }
  int currentScript() const { return curScript_; }
  int currentLine() const { return pc_; }
  int callDepth() const { return depth_; }
  int blockLevel() const { return level_; }
  // Where the last failure happened.
  RunPlace failurePlace() const { return failPlace_; }

  // Debugger requests.
  void RequestPause() { pauseRequest_ = true; refreshDebugFlag(); }
  void CancelPauseRequest() { pauseRequest_ = false; refreshDebugFlag(); }
  bool pauseRequested() const { return pauseRequest_; }
  void RequestStackTrace() { stackTrace_ = true; }
  void SetRunToCursor(int script, int line) { cursorScript_ = script; cursorLine_ = line; }
  // Leaves a paused state so that the next frame continues the run.
  void Resume() { paused_ = false; }
  // Ends the run in progress (paused or out of budget) without running
  // more of it, so the next frame starts afresh.
  void EndRun() {
    running_ = paused_ = inVBlank_ = inHBlank_ = false;
    failedRun_ = false;
    resumeSkip_ = false;
    outOfBudget_ = false;
  }

  // For command families: the value of an operand (false with the error set
  // when an array element cannot be read) and the store of a result.
  bool Evaluate(const Operand& o, std::int32_t& value) {
    evalFailed_ = false;
    value = Eval(o);
    return !evalFailed_;
  }
  bool StoreResult(const Operand& o, std::int32_t value) { return Store(o, value); }
  // For the size-dependent commands: the part of their cost that grows with
  // the `bytes` they moved, added beside the fixed part every performed
  // line adds.
  void AddMovedBytes(std::int32_t command, std::int64_t bytes);

  // Variables, for tests, watch windows and the runner.
  std::int32_t frameVariable(int depth, int slot) const { return frames_[depth].vars[slot]; }

  // The call stack of the run in progress, bottom first. After a run
  // failed, its frames as they stood at the failing line (the top frame's
  // line is that line) until the next run starts; empty otherwise.
  std::vector<StackFrameView> CallStack() const;
  // Whether a run is in progress and stopped (at a breakpoint, a step or a
  // used-up budget), so that the debugger may change its variables.
  bool stoppedInRun() const { return running_ && (paused_ || outOfBudget_); }
  // Writes variable `slot` (0..13, the order of StackFrameView::vars) of the
  // frame at `depth` while the run is stopped. False, changing nothing, for
  // a depth or slot outside the stack or when the run is not stopped.
  bool SetFrameVariable(int depth, int slot, std::int32_t value);
  std::int32_t globalVariable(int set, int index) const;
  void setGlobalVariable(int set, int index, std::int32_t value);
  std::int32_t ticks() const { return globals_[kGlobalsPerSet - 1]; }


  // Brings the script's line cache up to its document: lines edited in
  // place since the last look are read and parsed again at their next run;
  // lines inserted or removed discard the whole cache. Costs one compare
  // when nothing changed.
  void SyncLineCache(int script);
  // Copies the text of a line from the document and classifies it.
  void ClassifyCached(int script, ScriptLine& line, int index);

  // Global storage slot of a global variable of a set (shared variables and
  // G_TICKS live in the first set).
  int GlobalSlot(int set, int index) const;

  // Pushes a call of `fn` with `count` argument values (arguments 1..4 go to
  // V_EV0..3, 5..10 to V_LV0..5) and puts the program counter on its
  // declaration line; the calling command's own advance then takes execution
  // to the line after it. Used by Call / CallRet and by the array iteration
  // commands (from their executor or from IterationHandler::NextElement).
  bool CallFunction(const ScriptFunction& fn, const std::int32_t* args, int count, bool byCallRet,
                    bool byIteration);

  // Puts the program counter back where it was (after preprocessing).
  void RestorePosition(int script, int line) {
    curScript_ = script;
    pc_ = line;
    lines_ = nullptr;
    lineCount_ = 0;
  }

  // Forgets the looked-up entry functions (after preprocessing).
  void InvalidateCallbacks();
  // Writes the stack trace lines while the trace is on.
  bool stackTraceOn() const { return stackTrace_; }

 private:
  friend class ExecAccess;

  // Operand evaluation on the hot path.
  std::int32_t Eval(const Operand& o) {
    switch (o.kind) {
      case OperandKind::Immediate: return o.value;
      case OperandKind::Frame:
        if (o.ext == ExtendOp::None) return frame_->vars[o.value];
        return Extend(frame_->vars[o.value], o);
      default: return EvalSlow(o);
    }
  }
  std::int32_t EvalSlow(const Operand& o);
  static std::int32_t Extend(std::int32_t v, const Operand& o);
  // Evaluation that can fail (array elements).
  bool EvalChecked(const Operand& o, std::int32_t& out);
  bool Store(const Operand& o, std::int32_t value);
  // The record index of an array element variable's packed reference.
  std::int32_t ArrayIndex(std::int32_t ref) const;

  // Line fetching and the run loop helpers.
  bool FetchBreakCheck(ScriptLine& line, bool ignoreBreakpoint);
  void SelectScript(int script);
  // Starts a run at `line`; `atFunction`: the line declares the entry
  // function (else the run starts at the script's top).
  void StartRun(int script, int line, bool atFunction);
  void Pause();
  void refreshDebugFlag();
  int NextExecutableAfter(int line);

  // Parsing (operand decoding) of a classified line.
  bool ParseLine(ScriptLine& line, bool inMacro);

  // Command families.
  bool ExecBlockOpen(ScriptLine& line, bool executing);
  bool ExecElse(ScriptLine& line, bool isElseIf);
  bool ExecEnd();
  bool ExecBreak(ScriptLine& line);
  bool ExecCall(ScriptLine& line);
  bool ExecReturn(ScriptLine& line);
  bool ExecFunction();
  bool ExecArith(ScriptLine& line);
  bool ExecAssert(ScriptLine& line);
  bool ExecLog(ScriptLine& line, bool toFile);
  bool ExecDebugKey(ScriptLine& line);
  bool ExecMousePosition(ScriptLine& line);
  bool ExecMacro(ScriptLine& line);
  // Decodes a parsed macro body line's parameters for the current call.
  bool BindMacroLine(ScriptLine& line, const ParseEnv& env);
  bool Fail(ErrorCode code) { err_.SetError(code); return false; }
  // Fails at an entry function's declaration line (declared with parameters).
  bool FailAtDeclaration(const ScriptFunction& fn, ErrorCode code);
  void AddCost(std::int32_t command) {
    const std::int32_t cost = lineCost_[static_cast<std::size_t>(command)];
    if (cost != 0) timing_->AddCycles(cost);
  }
  void NoteAt(std::string_view text);
  void SyncGlobalStorage();
  void ResolveCallbacks();
  int CurrentGlobalSet() const;
  ParseEnv MakeEnv(bool inMacro) const;

  Host& host_;
  ScriptDocuments* docs_ = nullptr;
  InputSource noInput_;
  InputSource* input_ = &noInput_;
  ArrayAccess* arrays_ = nullptr;
  ErrorState err_;
  ScriptTables tables_;
  TimingEngine* timing_ = nullptr;
  std::array<std::int32_t, kCommandIdLimit> lineCost_{};  // 0 without an engine
  std::string workingFolder_;
  std::vector<std::string> writableFolders_;

  // Execution context.
  int curScript_ = 0;
  int pc_ = 0;
  ScriptLine* lines_ = nullptr;  // line cache of the current script
  int lineCount_ = 0;
  bool running_ = false;
  bool paused_ = false;
  bool failedRun_ = false;  // the last run failed; its frames stay readable
  bool inVBlank_ = false;
  bool inHBlank_ = false;
  bool pauseRequest_ = false;
  bool stackTrace_ = false;
  bool entry_ = false;
  bool debugActive_ = false;  // breakpoints set or a pause requested
  bool resumeSkip_ = false;   // a resumed run does not stop on its own line again
  bool inMacro_ = false;
  RunPlace failPlace_ = RunPlace::Frame;
  int cursorScript_ = -1;
  int cursorLine_ = -1;
  bool outOfBudget_ = false;
  bool evalFailed_ = false;  // an array element read failed during evaluation
  bool callbacksResolved_ = false;
  const ScriptFunction* initFn_ = nullptr;
  const ScriptFunction* vblankFn_ = nullptr;
  const ScriptFunction* hblankFn_ = nullptr;
  IterationHandler* iteration_ = nullptr;
  std::vector<CommandFamily*> families_;

  Block blocks_[kMaxBlocks];
  int level_ = 0;
  int breakCount_ = 0;

  CallFrame frames_[kMaxCallDepth];
  CallFrame* frame_ = frames_;
  int depth_ = 0;

  std::vector<std::int32_t> globals_;  // 32 per global set
  OperandWord macroWords_[10] = {};
  int macroParamCount_ = 0;
};

}  // namespace tarvolin::script
