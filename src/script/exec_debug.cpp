// Assert and the debug commands: Log, LogFile, DebugIsKeyPressed,
// DebugGetMousePosition.
#include <string>

#include "platform/paths.h"
#include "script/commands.h"
#include "script/interpreter.h"
#include "script/vocabulary.h"
#include "script/log_format.h"

namespace tarvolin::script {

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
  // The parse found the quoted texts.
  const std::string_view text = line.text;
  const std::string_view format = text.substr(line.format.begin, line.format.end - line.format.begin);
  const std::string_view file = text.substr(line.file.begin, line.file.end - line.file.begin);
  const std::span<const std::int32_t> span(values, static_cast<std::size_t>(line.count));
  if (!toFile) return ExecuteLog(format, span, host_, err_);
  const std::string path = platform::resolvePath(workingFolder_, file);
  if (!writableFolders_.empty()) {
    bool inside = false;
    for (const std::string& folder : writableFolders_) inside = inside || platform::isInsideFolder(path, folder);
    if (!inside) {
      err_.SetError(err::kResourceFile);
      err_.SetErrorDetail(OutsideProjectText(path));
      return false;
    }
  }
  return ExecuteLogFile(path, format, span, err_);
}

std::string OutsideProjectText(std::string_view path) {
  return "No se escribe fuera de las carpetas del proyecto: <" + std::string(path) + ">";
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
