#include "script/interpreter.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "script/commands.h"
#include "script/exec_operands.h"

namespace tarvolin::script {

namespace {
constexpr std::string_view kTraceStart = "<========= Rastreo de Pila (inicio) <============";
constexpr std::string_view kTraceEnd = "<========= Rastreo de Pila (fin) <============";
}  // namespace

Interpreter::Interpreter(Host& host) : host_(host) { ResetInterpreter(); }

void Interpreter::ResetInterpreter() {
  err_.Clear();
  running_ = paused_ = inVBlank_ = inHBlank_ = pauseRequest_ = false;
  failedRun_ = false;
  stackTrace_ = entry_ = resumeSkip_ = false;
  tables_.mainScript = -1;
  tables_.globals.clear();
  tables_.globalSets.assign(1, DefaultGlobalSet());
  globals_.assign(kGlobalsPerSet, 0);
  std::memset(frames_, 0, sizeof frames_);
  std::memset(blocks_, 0, sizeof blocks_);
  blocks_[0].executing = true;
  level_ = breakCount_ = depth_ = 0;
  frame_ = frames_;
  curScript_ = pc_ = 0;
  lines_ = nullptr;
  lineCount_ = 0;
  callbacksResolved_ = false;
  for (CommandFamily* family : families_) family->Reset();
  refreshDebugFlag();
}

void Interpreter::setFamily(CommandFamily* family) {
  if (family) families_.push_back(family);
}

void Interpreter::RefreshCosts() {
  for (std::size_t id = 0; id < lineCost_.size(); ++id)
    lineCost_[id] = timing_ ? timing_->CommandCost(static_cast<CommandId>(id), 0) : 0;
}

void Interpreter::AddMovedBytes(std::int32_t command, std::int64_t bytes) {
  if (!timing_ || bytes <= 0 || command < 0 || command >= kCommandIdLimit) return;
  const std::int32_t moved = static_cast<std::int32_t>(std::min<std::int64_t>(bytes, INT32_MAX));
  timing_->AddCycles(timing_->CommandCost(static_cast<CommandId>(command), moved) -
                     lineCost_[static_cast<std::size_t>(command)]);
}

void Interpreter::ForgetScripts() {
  tables_.scripts.clear();
  for (Macro& macro : tables_.macros) macro.parsedFor = -1;
  tables_.globals.clear();
  tables_.mainScript = -1;
  running_ = paused_ = inVBlank_ = inHBlank_ = false;
  failedRun_ = false;
  curScript_ = pc_ = 0;
  lines_ = nullptr;
  lineCount_ = 0;
  callbacksResolved_ = false;
}

int Interpreter::GlobalSlot(int set, int index) const {
  if (index < 0 || index >= kGlobalsPerSet) return 0;
  if (set < 0 || set >= static_cast<int>(tables_.globalSets.size()) ||
      index == kGlobalsPerSet - 1 || tables_.globalSets[0].shared[static_cast<std::size_t>(index)])
    set = 0;
  return set * kGlobalsPerSet + index;
}

std::int32_t Interpreter::globalVariable(int set, int index) const {
  const std::size_t slot = static_cast<std::size_t>(GlobalSlot(set, index));
  return slot < globals_.size() ? globals_[slot] : 0;
}

void Interpreter::setGlobalVariable(int set, int index, std::int32_t value) {
  SyncGlobalStorage();
  globals_[static_cast<std::size_t>(GlobalSlot(set, index))] = value;
}

void Interpreter::SyncGlobalStorage() {
  const std::size_t needed = tables_.globalSets.size() * kGlobalsPerSet;
  if (globals_.size() < needed) globals_.resize(needed, 0);
}

void Interpreter::SyncLineCache(int script) {
  if (!docs_ || script < 0 || script >= docs_->count()) return;
  if (tables_.scripts.size() < static_cast<std::size_t>(docs_->count()))
    tables_.scripts.resize(static_cast<std::size_t>(docs_->count()));
  ScriptState& st = tables_.scripts[static_cast<std::size_t>(script)];
  const ScriptDocument& doc = docs_->at(script);
  const std::size_t count = static_cast<std::size_t>(doc.lineCount());
  if (st.seenRevision == doc.revision() && st.lines.size() == count) return;
  if (st.lines.size() != count || doc.structureRevision() > st.seenRevision) {
    // Lines moved: nothing cached lines up with the document any more.
    st.lines.assign(count, ScriptLine());
  } else {
    // Lines edited in place are read and parsed again at their next run.
    for (std::size_t i = 0; i < count; ++i)
      if (doc.lineRevision(static_cast<int>(i)) > st.seenRevision) st.lines[i].reset();
  }
  st.seenRevision = doc.revision();
}

void Interpreter::SelectScript(int script) {
  curScript_ = script;
  SyncLineCache(script);
  if (docs_ && script >= 0 && script < static_cast<int>(tables_.scripts.size())) {
    auto& lines = tables_.scripts[static_cast<std::size_t>(script)].lines;
    lines_ = lines.data();
    lineCount_ = static_cast<int>(lines.size());
  } else {
    lines_ = nullptr;
    lineCount_ = 0;
  }
}

void Interpreter::ClassifyCached(int script, ScriptLine& line, int index) {
  if (!line.loaded()) {
    line.text.assign(docs_->at(script).line(index));
    line.flags = ScriptLine::kLoaded;
  }
  if (!line.classified()) {
    ParseEnv env;
    env.tables = &tables_;
    env.families = &families_;  // a leading Array.Element[index] names an array
    env.script = script;
    ClassifyScriptLine(line, env);
  }
}

void Interpreter::refreshDebugFlag() {
  debugActive_ = pauseRequest_ || (docs_ && docs_->breakpointTotal() > 0);
}

void Interpreter::Pause() {
  paused_ = true;
  running_ = true;
  resumeSkip_ = true;
}

void Interpreter::StartRun(int script, int line, bool atFunction) {
  SyncGlobalStorage();
  std::memset(frames_, 0, sizeof frames_);
  level_ = 0;
  breakCount_ = 0;
  blocks_[0] = Block{true, false, false, 0, -1, 0};
  depth_ = 0;
  frame_ = frames_;
  err_.Clear();
  running_ = true;
  failedRun_ = false;
  paused_ = false;
  entry_ = true;
  resumeSkip_ = false;
  SelectScript(script);
  pc_ = line;
  frames_[0].functionScript = script;
  frames_[0].functionLine = atFunction ? line : -1;
}

int Interpreter::NextExecutableAfter(int line) {
  for (int i = line + 1; i < lineCount_; ++i) {
    ClassifyCached(curScript_, lines_[i], i);
    if (!IsSkippedCommand(lines_[i].command)) return i;
  }
  return -1;
}

void Interpreter::NoteAt(std::string_view text) {
  if (docs_ && curScript_ >= 0 && curScript_ < docs_->count())
    host_.outputLineAt(text, docs_->at(curScript_).name(), pc_ + 1);
  else
    host_.outputLine(text);
}

bool Interpreter::RunLines(int budget, StepMode mode) {
  outOfBudget_ = false;
  if (!docs_ || curScript_ < 0 || curScript_ >= docs_->count()) {
    running_ = false;
    return true;
  }
  SelectScript(curScript_);
  if (lineCount_ == 0) {
    running_ = false;
    return true;
  }
  refreshDebugFlag();
  const int startDepth = depth_;
  const int startScript = curScript_;
  const int stepStop = mode == StepMode::StepOver ? NextExecutableAfter(pc_) : -1;
  bool freeRun = false;
  bool ignoreBreakpoint = resumeSkip_;
  resumeSkip_ = false;
  const bool watch = mode != StepMode::Run;

  while (running_ && budget > 0) {
    if (static_cast<unsigned>(pc_) >= static_cast<unsigned>(lineCount_)) {
      running_ = false;
      failedRun_ = true;
      return Fail(err::kEndOfFileNeedsReturn);
    }
    ScriptLine& line = lines_[pc_];
    if (!(line.flags & ScriptLine::kClassified)) ClassifyCached(curScript_, line, pc_);
    if (line.flags & ScriptLine::kSkipped) {
      ++pc_;
      continue;
    }
    if (debugActive_ | watch) {
      if (!ignoreBreakpoint && debugActive_ && blocks_[level_].executing) {
        if (docs_->at(curScript_).hasBreakpoint(pc_)) { Pause(); return true; }
        if (pauseRequest_) {
          pauseRequest_ = false;
          refreshDebugFlag();
          Pause();
          return true;
        }
      }
      if (mode == StepMode::RunToCursor && !ignoreBreakpoint && curScript_ == cursorScript_ &&
          pc_ == cursorLine_) {
        Pause();
        return true;
      }
      if (freeRun && curScript_ == startScript && depth_ == startDepth && pc_ == stepStop) {
        Pause();
        return true;
      }
      ignoreBreakpoint = false;
    }
    const bool executing = blocks_[level_].executing;
    const std::int32_t command = line.command;
    const int depthBefore = depth_;
    if (!ExecuteLine(line, false)) {
      running_ = false;
      failedRun_ = true;
      return false;
    }
    --budget;
    if (!running_) break;
    if (watch) {
      switch (mode) {
        case StepMode::RunToReturn:
          if (depth_ < startDepth) { Pause(); return true; }
          break;
        case StepMode::StepInto:
          if (executing) { Pause(); return true; }
          break;
        case StepMode::StepOver:
          if (freeRun) break;
          if ((command == cmd::Call || command == cmd::CallRet) && depth_ > depthBefore) {
            freeRun = stepStop >= 0;
            if (freeRun) break;
          }
          if (executing) { Pause(); return true; }
          break;
        default:
          break;
      }
    }
  }
  outOfBudget_ = running_ && !paused_ && budget <= 0;
  return true;
}

// Resolves the entry functions of the main script once per preprocessing.
void Interpreter::ResolveCallbacks() {
  if (callbacksResolved_) return;
  const int main = tables_.mainScript;
  auto find = [&](std::string_view name) -> const ScriptFunction* {
    return tables_.FindFunction(main, name);
  };
  initFn_ = find("Initialise");
  vblankFn_ = find("VBlankCB");
  hblankFn_ = find("HBlankCB");
  callbacksResolved_ = true;
}

void Interpreter::InvalidateCallbacks() { callbacksResolved_ = false; }

bool Interpreter::FailAtDeclaration(const ScriptFunction& fn, ErrorCode code) {
  // The failure is the declaration's: report its line, not the one the
  // last run stopped at.
  running_ = paused_ = false;
  SelectScript(fn.script);
  pc_ = fn.line;
  return Fail(code);
}

bool Interpreter::RunMainFrame(bool firstFrame, StepMode mode) {
  const int main = tables_.mainScript;
  if (!docs_ || main < 0 || main >= docs_->count()) return true;
  bool ok;
  if (running_ && inHBlank_) {
    // Paused inside HBlankCB: the renderer resumes it at its scan line.
    paused_ = false;
    return true;
  }
  if (running_) {
    // A run is in progress (budget ran out, or paused): continue it.
    paused_ = false;
    ok = RunLines(inHBlank_ ? kHBlankBudget : inVBlank_ ? kVBlankBudget : kMainBudget, mode);
    if (!ok) {
      failPlace_ = inHBlank_ ? RunPlace::HBlank : inVBlank_ ? RunPlace::VBlank : RunPlace::Frame;
      inHBlank_ = inVBlank_ = false;
      return false;
    }
    if (running_) return true;
    if (inHBlank_ || inVBlank_) {
      inHBlank_ = inVBlank_ = false;
      return true;
    }
  } else {
    callbacksResolved_ = false;
    ResolveCallbacks();
    if (stackTrace_) host_.outputLine(kTraceStart);
    if (timing_) timing_->ResetFrameTotal();
    if (firstFrame) {
      SyncGlobalStorage();
      globals_[kGlobalsPerSet - 1] = 0;
      if (initFn_) {
        if (initFn_->params != 0) {
          failPlace_ = RunPlace::Frame;
          return FailAtDeclaration(*initFn_, err::kInitialiseWithParameters);
        }
        StartRun(initFn_->script, initFn_->line, true);
      } else {
        StartRun(main, 0, false);
        return true;
      }
    } else {
      StartRun(main, 0, false);
    }
    inVBlank_ = inHBlank_ = false;
    ok = RunLines(kMainBudget, mode);
    if (!ok) {
      failPlace_ = RunPlace::Frame;
      return false;
    }
    if (running_) return true;
  }
  if (stackTrace_) {
    host_.outputLine(kTraceEnd);
    stackTrace_ = false;
  }
  globals_[kGlobalsPerSet - 1] += 1;
  return true;
}

bool Interpreter::RunVBlankCallback(StepMode mode) {
  const int main = tables_.mainScript;
  if (!docs_ || main < 0 || main >= docs_->count()) return true;
  if (running_ && !inVBlank_) return true;
  if (!inVBlank_) {
    if (paused_) return true;
    ResolveCallbacks();
    if (!vblankFn_) return true;
    if (vblankFn_->params != 0) {
      failPlace_ = RunPlace::VBlank;
      return FailAtDeclaration(*vblankFn_, err::kVBlankWithParameters);
    }
    StartRun(vblankFn_->script, vblankFn_->line, true);
    inVBlank_ = true;
  }
  const bool ok = RunLines(kVBlankBudget, mode);
  if (!ok) {
    failPlace_ = RunPlace::VBlank;
    inVBlank_ = false;
    return false;
  }
  if (!running_) inVBlank_ = false;
  return true;
}

bool Interpreter::RunHBlankCallback(int scanLine, StepMode mode) {
  const int main = tables_.mainScript;
  if (!docs_ || main < 0 || main >= docs_->count()) return true;
  if (!(inHBlank_ || (!running_ && !paused_))) return true;
  if (!inHBlank_) {
    ResolveCallbacks();
    if (!hblankFn_) return true;
    if (hblankFn_->params != 0) {
      failPlace_ = RunPlace::HBlank;
      return FailAtDeclaration(*hblankFn_, err::kHBlankWithParameters);
    }
    StartRun(hblankFn_->script, hblankFn_->line, true);
    frames_[0].vars[kSlotEV0] = scanLine;
    inHBlank_ = true;
  }
  const bool ok = RunLines(kHBlankBudget, mode);
  if (!ok) {
    failPlace_ = RunPlace::HBlank;
    inHBlank_ = false;
    return false;
  }
  if (running_ && !paused_) {
    running_ = false;
    failedRun_ = true;
    inHBlank_ = false;
    failPlace_ = RunPlace::HBlank;
    return Fail(err::kHBlankTooManyLines);
  }
  if (!running_) inHBlank_ = false;
  return true;
}

std::int32_t Interpreter::Extend(std::int32_t v, const Operand& o) {
  const std::uint32_t u = static_cast<std::uint32_t>(v), a = o.amount;
  switch (o.ext) {
    case ExtendOp::Add: return static_cast<std::int32_t>(u + a);
    case ExtendOp::Subtract: return static_cast<std::int32_t>(u - a);
    case ExtendOp::Multiply: return static_cast<std::int32_t>(u * a);
    case ExtendOp::And: return static_cast<std::int32_t>(u & a);
    default: return v;
  }
}

std::int32_t Interpreter::EvalSlow(const Operand& o) {
  std::int32_t v = 0;
  switch (o.kind) {
    case OperandKind::Global: v = globals_[static_cast<std::size_t>(o.value)]; break;
    case OperandKind::Input: v = input_->inputValue(o.value); break;
    case OperandKind::ArrayElement: {
      if (!arrays_) {
        evalFailed_ = true;
        err_.SetError(err::kUnknownArray);
        return 0;
      }
      const std::int32_t ref = o.value;
      if (!arrays_->read(ref, ArrayIndex(ref), v, err_)) {
        evalFailed_ = true;
        return 0;
      }
      break;
    }
    case OperandKind::Frame: v = frame_->vars[o.value]; break;
    case OperandKind::Immediate: return o.value;
    default: return 0;
  }
  return o.ext == ExtendOp::None ? v : Extend(v, o);
}

int Interpreter::CurrentGlobalSet() const {
  if (curScript_ >= 0 && curScript_ < static_cast<int>(tables_.scripts.size()))
    return tables_.scripts[static_cast<std::size_t>(curScript_)].globalSet;
  return 0;
}

bool Interpreter::Store(const Operand& o, std::int32_t value) {
  switch (o.kind) {
    case OperandKind::Frame: frame_->vars[o.value] = value; return true;
    case OperandKind::Global: globals_[static_cast<std::size_t>(o.value)] = value; return true;
    case OperandKind::ArrayElement: {
      if (!arrays_) return Fail(err::kUnknownArray);
      return arrays_->write(o.value, ArrayIndex(o.value), value, err_);
    }
    default:
      return true;  // input values and unused numbers hold nothing
  }
}

std::int32_t Interpreter::ArrayIndex(std::int32_t ref) const {
  // The record index of an array element variable: an immediate, or a
  // variable with an offset; a macro parameter stands for its bound word.
  if (!(ref & (1 << 16))) return (ref >> 17) & 1023;
  const int var = (ref >> 17) & 63;
  auto valueOf = [&](int number) -> std::int32_t {
    const int slot = FrameSlotOfVariable(number);
    if (slot >= 0) return frame_->vars[slot];
    if (number >= kVarGlobal0 && number < kVarGlobal0 + kGlobalsPerSet)
      return globals_[static_cast<std::size_t>(GlobalSlot(CurrentGlobalSet(), number - kVarGlobal0))];
    return 0;
  };
  std::int32_t index = 0;
  if (var >= kVarMacro0 && var < kVarMacro0 + kMacroParameterCount) {
    const int n = var - kVarMacro0;
    if (n < macroParamCount_) {
      const OperandWord w = macroWords_[n];
      index = IsImmediate(w) ? ImmediateValue(w) : valueOf(static_cast<int>(VariableNumber(w)));
    }
  } else {
    index = valueOf(var);
  }
  const int op = (ref >> 23) & 3, amount = ((ref >> 25) & 3) + 1;
  if (op == 1) index += amount;
  else if (op == 2) index -= amount;
  return index;
}

}  // namespace tarvolin::script
