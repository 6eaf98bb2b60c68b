// The line executor's dispatch and the control-flow commands: blocks, calls,
// returns and function entry.
#include <cstdio>

#include "script/commands.h"
#include "script/family_access.h"
#include "script/interpreter.h"
#include "script/vocabulary.h"

namespace tarvolin::script {

bool Interpreter::ExecuteLine(ScriptLine& line, bool inMacro) {
  const std::int32_t command = line.command;
  if (command == cmd::UndefinedCommand) return Fail(inMacro ? err::kMacroUnknownCommand : line.aux ? line.aux : err::kUnknownCommand);
  if (inMacro && !AllowedInMacro(command)) return Fail(err::kMacroCommandNotAllowed);
  if (!(line.flags & ScriptLine::kParsed)) {
    // A call that is passed over does nothing: its function and arguments
    // are read only when it runs.
    if ((command == cmd::Call || command == cmd::CallRet) && !blocks_[level_].executing) {
      if (!inMacro) ++pc_;
      return true;
    }
    if (!ParseLine(line, inMacro)) return false;
  }
  const bool executing = blocks_[level_].executing;
  switch (command) {
    case cmd::AddTo: case cmd::SubtractFrom: case cmd::Assign:
      // The commonest lines, without a call.
      if (executing) {
        if (line.leading.kind == OperandKind::Frame && line.leading.ext == ExtendOp::None &&
            line.ops[0].kind != OperandKind::ArrayElement) {
          std::int32_t& target = frame_->vars[line.leading.value];
          const std::uint32_t p1 = static_cast<std::uint32_t>(Eval(line.ops[0]));
          const std::uint32_t v1 = static_cast<std::uint32_t>(target);
          target = static_cast<std::int32_t>(command == cmd::AddTo   ? v1 + p1
                                             : command == cmd::SubtractFrom ? v1 - p1
                                                                    : p1);
        } else if (!ExecArith(line)) {
          return false;
        }
      }
      break;
    case cmd::Negate: case cmd::MultiplyBy: case cmd::DivideBy: case cmd::ModuloBy: case cmd::ShiftLeftBy:
    case cmd::ShiftRightBy: case cmd::OrWith: case cmd::AndWith: case cmd::XorWith: case cmd::RandomUpTo:
    case cmd::Min: case cmd::Max: case cmd::Bounce: case cmd::Sqrt: case cmd::Abs:
    case cmd::Qdist:
      if (executing && !ExecArith(line)) return false;
      break;
    case cmd::If: case cmd::IfEqual: case cmd::IfNotEqual: case cmd::IfGreater:
    case cmd::IfGreaterOrEqual: case cmd::IfLess: case cmd::IfLessOrEqual: case cmd::IfBetweenOrEqual:
    case cmd::IfOutside: case cmd::IfModEqual: case cmd::IfAndEqual:
    case cmd::While: case cmd::WhileEqual: case cmd::WhileNotEqual: case cmd::WhileGreater:
    case cmd::WhileGreaterOrEqual: case cmd::WhileLess: case cmd::WhileLessOrEqual:
      if (!ExecBlockOpen(line, executing)) return false;
      break;
    case cmd::Else:
      if (!ExecElse(line, false)) return false;
      break;
    case cmd::ElseIf:
      if (!ExecElse(line, true)) return false;
      break;
    case cmd::End:
      if (!ExecEnd()) return false;
      break;
    case cmd::Break: case cmd::BreakMore:
      if (executing && !ExecBreak(line)) return false;
      break;
    case cmd::Call: case cmd::CallRet:
      if (!ExecCall(line)) return false;
      break;
    case cmd::Return:
      if (!ExecReturn(line)) return false;
      break;
    case cmd::Function:
      if (!entry_) return Fail(err::kFunctionWithoutReturn);
      entry_ = false;
      break;
    case cmd::FunctionGlobal:
      entry_ = false;
      break;
    case cmd::Assert:
      if (executing && !ExecAssert(line)) return false;
      break;
    case cmd::Log: case cmd::LogFile:
      if (executing && !ExecLog(line, command == cmd::LogFile)) return false;
      break;
    case cmd::DebugIsKeyPressed:
      if (executing && !ExecDebugKey(line)) return false;
      break;
    case cmd::DebugGetMousePosition:
      if (executing && !ExecMousePosition(line)) return false;
      break;
    case cmd::MacroCall:
      if (executing && !ExecMacro(line)) return false;
      break;
    default:
      if (line.family) {
        if (executing && !ExecAccess::RunFamilyLine(*this, line)) return false;
        break;
      }
      if (IsSkippedCommand(command)) break;
      // A command whose family is not part of this program.
      if (executing) return Fail(err::kUnknownCommand);
      break;
  }
  // A performed command adds its estimated cost to the frame's total.
  if (executing) AddCost(command);
  if (!inMacro) ++pc_;
  return true;
}

bool Interpreter::ExecBlockOpen(ScriptLine& line, bool executing) {
  const bool isWhile = line.command >= cmd::While;
  Block* b = &blocks_[level_];
  if (isWhile && level_ > 0 && b->loop && b->loopLine == pc_ && b->loopDepth == depth_) {
    // Back at the top of a running loop: evaluate the condition again.
    const bool parent = blocks_[level_ - 1].executing;
    bool result = false;
    if (parent) {
      evalFailed_ = false;
      const std::int32_t a = Eval(line.ops[0]), c1 = Eval(line.ops[1]);
      const std::int32_t c2 = line.count > 2 ? Eval(line.ops[2]) : 0;
      if (evalFailed_) return false;
      result = Compare(line.lop, a, c1, c2);
    }
    b->executing = result;
    b->elseOpen = !result;
    return true;
  }
  if (level_ >= kMaxBlocks - 1) return Fail(err::kTooManyBlocks);
  ++level_;
  b = &blocks_[level_];
  b->loop = false;
  b->elseOpen = true;
  b->executing = false;
  if (executing) {
    evalFailed_ = false;
    const std::int32_t a = Eval(line.ops[0]), c1 = Eval(line.ops[1]);
    const std::int32_t c2 = line.count > 2 ? Eval(line.ops[2]) : 0;
    if (evalFailed_) return false;
    const bool result = Compare(line.lop, a, c1, c2);
    b->executing = result;
    b->elseOpen = !result;
  }
  if (isWhile) {
    b->loop = true;
    b->iterations = 0;
    b->loopLine = pc_;
    b->loopDepth = depth_;
  }
  return true;
}

bool Interpreter::ExecElse(ScriptLine& line, bool isElseIf) {
  if (level_ == 0) return Fail(err::kElseAtLevelZero);
  Block& b = blocks_[level_];
  if (b.loop) return Fail(err::kElseInWhile);
  const bool parent = blocks_[level_ - 1].executing;
  if (isElseIf) {
    bool result = false;
    if (b.elseOpen && parent) {
      evalFailed_ = false;
      const std::int32_t a = Eval(line.ops[0]), c1 = Eval(line.ops[1]);
      const std::int32_t c2 = line.count > 2 ? Eval(line.ops[2]) : 0;
      if (evalFailed_) return false;
      result = Compare(line.lop, a, c1, c2);
    }
    b.executing = result;
    if (result) b.elseOpen = false;
  } else if (parent) {
    b.executing = b.elseOpen;
    b.elseOpen = false;
  }
  return true;
}

bool Interpreter::ExecEnd() {
  Block& b = blocks_[level_];
  if (b.loop && b.executing) {
    pc_ = b.loopLine - 1;
    ++b.iterations;
    return true;
  }
  b.loop = false;
  if (level_ == 0) return Fail(err::kMisplacedEnd);
  --level_;
  if (breakCount_ != 0) --breakCount_;
  if (breakCount_ != 0) {
    blocks_[level_].executing = false;
    blocks_[level_].loop = false;
  }
  return true;
}

bool Interpreter::ExecBreak(ScriptLine& line) {
  if (line.command == cmd::BreakMore) {
    evalFailed_ = false;
    const std::int32_t n = Eval(line.ops[0]);
    if (evalFailed_) return false;
    if (n < 0 || n > kMaxBreakLevels) return Fail(err::kBreakLevelOutOfRange);
    if (n > level_) return Fail(err::kBreakTooDeep);
    if (n == 0) return true;
    breakCount_ = n;
  } else if (level_ == 0) {
    return Fail(err::kBreakAtLevelZero);
  }
  blocks_[level_].executing = false;
  blocks_[level_].loop = false;
  return true;
}

bool Interpreter::CallFunction(const ScriptFunction& fn, const std::int32_t* args, int count,
                               bool byCallRet, bool byIteration) {
  if (depth_ >= kMaxCallDepth - 1) return Fail(err::kCallStackFull);
  CallFrame& f = frames_[depth_ + 1];
  for (int i = 0; i < count && i < kMaxFunctionParams; ++i)
    f.vars[i < 4 ? kSlotEV0 + i : kSlotLV0 + (i - 4)] = args[i];
  if (stackTrace_) {
    char text[300];
    std::snprintf(text, sizeof text, "%02d:%s", depth_ + 1, fn.name.c_str());
    NoteAt(text);
  }
  f.byCallRet = byCallRet;
  f.byIteration = byIteration;
  f.blockLevel = level_;
  f.returnScript = curScript_;
  f.returnLine = pc_;
  f.functionScript = fn.script;
  f.functionLine = fn.line;
  ++depth_;
  frame_ = &frames_[depth_];
  if (fn.script != curScript_) SelectScript(fn.script);
  pc_ = fn.line;
  entry_ = false;
  return true;
}

bool Interpreter::ExecCall(ScriptLine& line) {
  // The stack limit is a run-time condition: a call that is passed over
  // (its block does not execute) cannot exceed it.
  if (!blocks_[level_].executing) return true;
  if (depth_ >= kMaxCallDepth - 1) return Fail(err::kCallStackFull);
  const ScriptFunction* fn = nullptr;
  const auto& table = tables_.scripts[static_cast<std::size_t>(curScript_)].functions;
  switch (line.target) {
    case CallTarget::Global:
      if (static_cast<std::size_t>(line.targetIndex) >= tables_.globals.size()) return Fail(err::kFunctionIndexOutOfRange);
      fn = &tables_.globals[static_cast<std::size_t>(line.targetIndex)];
      break;
    case CallTarget::Script:
      if (static_cast<std::size_t>(line.targetIndex) >= table.size()) return Fail(err::kFunctionIndexOutOfRange);
      fn = &table[static_cast<std::size_t>(line.targetIndex)];
      break;
    default: {
      evalFailed_ = false;
      const std::int32_t index = Eval(line.ops[0]);
      if (evalFailed_) return false;
      if (index < 0) return true;  // a negative index calls nothing
      if (static_cast<std::size_t>(index) >= table.size()) return Fail(err::kFunctionIndexOutOfRange);
      fn = &table[static_cast<std::size_t>(index)];
      break;
    }
  }
  if (fn->params != line.count) {
    line.reset();  // copied again from the document at the next fetch
    return Fail(err::kWrongArgumentCount);
  }
  std::int32_t args[kMaxFunctionParams];
  evalFailed_ = false;
  for (int i = 0; i < line.count; ++i) {
    args[i] = Eval(line.ops[1 + i]);
    if (evalFailed_) return false;
  }
  return CallFunction(*fn, args, line.count, line.command == cmd::CallRet, false);
}

bool Interpreter::ExecReturn(ScriptLine& line) {
  const bool executing = blocks_[level_].executing;
  evalFailed_ = false;
  for (int i = 0; i < line.count; ++i) {
    const std::int32_t v = Eval(line.ops[i]);
    if (evalFailed_) return false;
    if (executing && depth_ > 0) frames_[depth_ - 1].vars[kSlotRV0 + i] = v;
  }
  if (!executing) return true;
  if (depth_ == 0) {
    running_ = false;
    return true;
  }
  for (;;) {
    const CallFrame& f = frames_[depth_];
    level_ = f.blockLevel;
    --depth_;
    frame_ = &frames_[depth_];
    if (f.returnScript != curScript_) SelectScript(f.returnScript);
    pc_ = f.returnLine;
    if (f.byCallRet && frame_->vars[kSlotRV0] == 0) {
      // The caller returns at once, passing the false result on.
      if (depth_ == 0) {
        running_ = false;
        return true;
      }
      frames_[depth_ - 1].vars[kSlotRV0] = 0;
      continue;
    }
    if (f.byIteration && iteration_) {
      // pc_ stays on the iterating line; the handler calls the next element
      // or lets execution go on after it.
      return iteration_->NextElement(*this);
    }
    return true;
  }
}

}  // namespace tarvolin::script
