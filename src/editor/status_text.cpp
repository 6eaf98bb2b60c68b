#include "editor/status_text.h"

#include "common/text.h"
#include "project/macros.h"
#include "script/commands.h"
#include "script/script_tables.h"

namespace tarvolin::editor {

namespace {

std::string_view WordAt(std::string_view line, std::size_t pos) {
  pos = skipBlanks(line, pos);
  std::size_t end = pos;
  while (end < line.size() && !isBlank(line[end]) && line[end] != ';') ++end;
  return line.substr(pos, end - pos);
}

// A function as the line's script sees it; else as any script declares it
// (a script that was not preprocessed yet has no table of its own).
const script::ScriptFunction* FindCalled(const script::ScriptTables& t, int script, std::string_view name) {
  if (const script::ScriptFunction* f = t.FindFunction(script, name)) return f;
  for (std::size_t s = 0; s < t.scripts.size(); ++s)
    if (int i = t.FindScriptIndex(static_cast<int>(s), name); i >= 0)
      return &t.scripts[s].functions[static_cast<std::size_t>(i)];
  return nullptr;
}

}  // namespace

std::string StatusTextForLine(std::string_view line, const script::ParseEnv& env,
                              const project::MacroList* macros) {
  const std::size_t start = skipBlanks(line, 0);
  if (start >= line.size() || line[start] == ';') return {};
  script::Classification c;
  if (env.tables) script::ClassifyText(line, env, c);
  else c.command = script::cmd::UndefinedCommand;

  if (c.command == script::cmd::MacroCall) {
    const std::string_view name = WordAt(line, static_cast<std::size_t>(c.operandStart));
    const project::Macro* macro = macros ? macros->find(name) : nullptr;
    // The macro's hint says what it does; its name is only the fallback.
    const std::string_view shown = macro && !macro->hint.empty() ? std::string_view(macro->hint) : name;
    return "Macro : " + std::string(shown);
  }
  if (c.command == script::cmd::Call || c.command == script::cmd::CallRet) {
    const std::string_view name = WordAt(line, static_cast<std::size_t>(c.operandStart));
    const script::ScriptFunction* fn = env.tables ? FindCalled(*env.tables, env.script, name) : nullptr;
    if (fn) {
      std::string text = c.command == script::cmd::Call ? "Call:" : "CallRet:";
      text += fn->name;
      text += " (" + std::to_string(fn->params) + ") ";
      text += " - " + fn->description;
      return text;
    }
  }
  return std::string(script::CommandSignature(c.command));
}

}  // namespace tarvolin::editor
