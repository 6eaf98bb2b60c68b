// Macro calls: the body lines of a macro run straight through, parsed anew
// each time with %0..%9 bound to the call's operands.
#include <cstdio>

#include "script/commands.h"
#include "script/interpreter.h"

namespace tarvolin::script {

bool Interpreter::ExecMacro(ScriptLine& line) {
  if (line.aux < 0 || static_cast<std::size_t>(line.aux) >= tables_.macros.size()) return Fail(err::kMacroUndefined);
  Macro& macro = tables_.macros[static_cast<std::size_t>(line.aux)];
  for (int i = 0; i < line.count; ++i) macroWords_[i] = line.words[i];
  macroParamCount_ = line.count;
  const ParseEnv env = MakeEnv(true);
  auto detail = [&](int index) {
    char text[64];
    std::snprintf(text, sizeof text, "Error en la macro, línea %d", index);
    err_.SetErrorDetail(text);
  };
  for (std::size_t i = 0; i < macro.body.size(); ++i) {
    ScriptLine& body = macro.body[i];
    body.flags = ScriptLine::kLoaded;
    Classification c;
    ClassifyText(body.text, env, c);
    body.command = c.command;
    body.operandStart = c.operandStart;
    body.leading = c.leading;
    body.flags |= ScriptLine::kClassified | (c.hasLeading ? ScriptLine::kHasLeading : 0);
    if (body.command == cmd::NoCommand) continue;
    if (body.command == cmd::UndefinedCommand) {
      err_.SetError(err::kMacroUnknownCommand);
      detail(static_cast<int>(i));
      return false;
    }
    if (!ExecuteLine(body, true)) {
      const ErrorCode code = err_.GetError();
      if (code == err::kMacroResourceIndexOutOfRange || code == err::kMacroCommandNotAllowed) detail(static_cast<int>(i));
      return false;
    }
  }
  macroParamCount_ = 0;
  return true;
}

}  // namespace tarvolin::script
