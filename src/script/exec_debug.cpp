// Assert and the debug commands: Log, LogFile, DebugIsKeyPressed,
// DebugGetMousePosition.
#include <string>

#include "platform/paths.h"
#include "script/commands.h"
#include "script/interpreter.h"
#include "script/vocabulary.h"
#include "script/log_format.h"

namespace tarvolin::script {

namespace {

// The quoted texts of a Log / LogFile line, from the operand start on.
bool QuotedTexts(std::string_view text, std::size_t pos, bool withFile, std::string_view& file,
                 std::string_view& format, std::size_t& after) {
  auto next = [&](std::string_view& out) {
    const std::size_t open = text.find('"', pos);
    if (open == std::string_view::npos) return false;
    const std::size_t close = text.find('"', open + 1);
    if (close == std::string_view::npos) return false;
    out = text.substr(open + 1, close - open - 1);
    pos = close + 1;
    return true;
  };
  if (withFile && !next(file)) return false;
  if (!next(format)) return false;
  after = pos;
  return true;
}

}  // namespace

bool Interpreter::ExecAssert(ScriptLine& line) {
  evalFailed_ = false;
  const std::int32_t a = Eval(line.ops[0]), b = Eval(line.ops[1]);
  const std::int32_t c = line.count > 2 ? Eval(line.ops[2]) : 0;
  if (evalFailed_) return false;
  return Compare(line.lop, a, b, c) || Fail(err::kAssertionFailed);
}

bool Interpreter::ExecLog(ScriptLine& line, bool toFile) {
  std::int32_t values[kMaxLogValues];
  evalFailed_ = false;
  for (int i = 0; i < line.count; ++i) values[i] = Eval(line.ops[i]);
  if (evalFailed_) return false;
  std::string_view file, format;
  std::size_t after = 0;
  if (!QuotedTexts(line.text, static_cast<std::size_t>(line.operandStart), toFile, file, format,
                   after))
    return Fail(err::kBadLogFormat);
  const std::span<const std::int32_t> span(values, static_cast<std::size_t>(line.count));
  if (!toFile) return ExecuteLog(format, span, host_, err_);
  return ExecuteLogFile(platform::resolvePath(workingFolder_, file), format, span, err_);
}

bool Interpreter::ExecDebugKey(ScriptLine& line) {
  evalFailed_ = false;
  const std::int32_t key = Eval(line.ops[0]);
  if (evalFailed_) return false;
  return Store(line.ops[1], input_->debugKeyPressed(key) ? 1 : 0);
}

bool Interpreter::ExecMousePosition(ScriptLine& line) {
  int x = -1, y = -1;
  input_->mousePosition(x, y);
  return Store(line.ops[0], x) && Store(line.ops[1], y);
}

}  // namespace tarvolin::script
