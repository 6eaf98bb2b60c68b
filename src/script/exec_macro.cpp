// Macro calls: the body lines run straight through with %0..%9 bound to the
// call's operands. A body is classified and parsed once for the script that
// calls it; each call binds the parameters again.
#include <cstdio>

#include "script/commands.h"
#include "script/interpreter.h"

namespace tarvolin::script {

bool Interpreter::BindMacroLine(ScriptLine& line, const ParseEnv& env) {
  if (line.hasLeading() && IsMacroParameterWord(line.leadingWord)) {
    line.leading = DecodeWord(line.leadingWord, env);
    if (line.leading.isImmediate() && TakesLeadingVariable(line.command))
      return Fail(err::kLeadingImmediate);
  }
  const std::string_view letters = OperandKinds(line.command);
  for (int i = 0; i < line.count; ++i) {
    if (!IsMacroParameterWord(line.words[i])) continue;
    line.ops[i] = DecodeWord(line.words[i], env);
    // A result cannot go to a parameter that stands for an immediate.
    if (static_cast<std::size_t>(i) < letters.size() && letters[static_cast<std::size_t>(i)] == 'V' &&
        line.ops[i].isImmediate())
      return Fail(err::kVariableExpected);
  }
  return true;
}

bool Interpreter::ExecMacro(ScriptLine& line) {
  if (line.aux < 0 || static_cast<std::size_t>(line.aux) >= tables_.macros.size()) return Fail(err::kMacroUndefined);
  Macro& macro = tables_.macros[static_cast<std::size_t>(line.aux)];
  for (int i = 0; i < line.count; ++i) macroWords_[i] = line.words[i];
  macroParamCount_ = line.count;
  if (macro.parsedFor != curScript_) {
    // Parsed for another script: its global and function names may differ.
    for (ScriptLine& body : macro.body) {
      std::string text = std::move(body.text);
      body.reset();
      body.text = std::move(text);
      body.flags = ScriptLine::kLoaded;
    }
    macro.parsedFor = curScript_;
  }
  const ParseEnv env = MakeEnv(true);
  auto detail = [&](int index) {
    char text[64];
    std::snprintf(text, sizeof text, "Error en la macro, línea %d", index);
    err_.SetErrorDetail(text);
  };
  for (std::size_t i = 0; i < macro.body.size(); ++i) {
    ScriptLine& body = macro.body[i];
    if (!body.classified()) ClassifyScriptLine(body, env);
    if (body.command == cmd::NoCommand) continue;
    if (body.command == cmd::UndefinedCommand) {
      err_.SetError(err::kMacroUnknownCommand);
      detail(static_cast<int>(i));
      return false;
    }
    if (body.parsed() && !BindMacroLine(body, env)) return false;
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
