#include "script/preprocessor.h"

#include <algorithm>
#include <cstdio>

#include "common/text.h"
#include "script/commands.h"
#include "script/exec_operands.h"

namespace tarvolin::script {

namespace {

constexpr std::string_view kCaption = "Tarvolin";

std::string Format(const char* fmt, std::string_view a) {
  char buf[1024];
  std::snprintf(buf, sizeof buf, fmt, std::string(a).c_str());
  return buf;
}
std::string Format(const char* fmt, int n) {
  char buf[1024];
  std::snprintf(buf, sizeof buf, fmt, n);
  return buf;
}
std::string Format(const char* fmt, std::string_view a, int n) {
  char buf[1024];
  std::snprintf(buf, sizeof buf, fmt, std::string(a).c_str(), n);
  return buf;
}

// The next word (up to a blank or ";") at or after `pos`.
std::string_view Word(std::string_view text, std::size_t& pos) {
  std::size_t p = skipBlanks(text, pos);
  std::size_t e = p;
  while (e < text.size() && !isBlank(text[e]) && text[e] != ';') ++e;
  pos = e;
  return text.substr(p, e - p);
}

}  // namespace

bool Preprocessor::FailAt(int script, int line, std::string_view message) {
  if (!message.empty()) {
    if (script >= 0) interp_.host().outputLineAt(message, docs().at(script).name(), line + 1);
    else interp_.host().outputLine(message);
  }
  failedScript_ = script;
  failedLine_ = line;
  return false;
}

bool Preprocessor::Cancel() {
  cancelled_ = true;
  failedScript_ = failedLine_ = -1;
  tables().mainScript = -1;  // half-built tables run nothing
  interp_.InvalidateCallbacks();
  return false;
}

void Preprocessor::SortFunctions(std::vector<ScriptFunction>& table) {
  std::stable_sort(table.begin(), table.end(), [](const ScriptFunction& a, const ScriptFunction& b) {
    return compareIgnoreCase(a.name, b.name) < 0;
  });
}

bool Preprocessor::Preprocess(const PreprocessInput& input, bool reportSuccess) {
  Host& host = interp_.host();
  failedScript_ = failedLine_ = -1;
  cancelled_ = false;
  const int savedScript = interp_.currentScript();
  const int savedLine = interp_.currentLine();
  ScriptTables& t = tables();

  // Reset.
  queue_.clear();
  seen_.clear();
  order_.clear();
  t.globals.clear();
  t.definitions.clear();
  t.EnterBuiltInDefinitions();
  t.globalSets = input.globalSets.empty() ? std::vector<GlobalSet>{DefaultGlobalSet()} : input.globalSets;
  t.macros.clear();
  for (const auto& m : input.macros) {
    Macro macro;
    macro.name = m.name;
    macro.params = m.params;
    for (const std::string& line : m.body) {
      ScriptLine sl;
      sl.text = line;
      sl.flags = ScriptLine::kLoaded;
      macro.body.push_back(std::move(sl));
    }
    t.macros.push_back(std::move(macro));
  }
  for (ScriptState& st : t.scripts) st.preprocessed = false;
  interp_.InvalidateCallbacks();
  // Every way out ends the progress, failures and a cancel included, so a
  // progress window never stays behind.
  struct ProgressEnd {
    Host& host;
    ~ProgressEnd() { host.progress(100, "Preproceso"); }
  } progressEnd{host};
  if (!host.progress(1, "Preproceso")) return Cancel();

  // The main script.
  int main = -1;
  if (input.noMainScript) {
    main = docs().active();
    if (main < 0) {
      host.messageBox(kCaption,
                      "Debe estar abierto un guión, cuando está activado 'Sin guión principal' "
                      "(vea las configuraciones del proyecto)",
                      MessageButtons::Ok, MessageAnswer::Ok);
      return FailAt(-1, -1, "");
    }
  } else {
    main = docs().findOrLoad(input.mainScript);
    if (main < 0) {
      host.messageBox(kCaption, "Debe existir un guión principal (vea las configuraciones del proyecto)",
                      MessageButtons::Ok, MessageAnswer::Ok);
      return FailAt(-1, -1, Format("ERROR: Debe existir el guión principal %s", input.mainScript));
    }
  }
  t.mainScript = -1;
  bool ok = FirstPass(main);
  if (ok) {
    t.mainScript = main;
    int files = 0;
    while (ok && !queue_.empty()) {
      const ExternRequest req = queue_.front();
      queue_.pop_front();
      const int target = docs().findOrLoad(req.file);
      if (target < 0) {
        ok = FailAt(req.script, req.line,
                    "ERROR: No se puede cargar el archivo <" + req.file +
                        "> para su preproceso, referenciado por 'ExternFunction', línea " +
                        std::to_string(req.line + 1) + ", archivo <" + docs().at(req.script).name() + ">");
        break;
      }
      interp_.SyncLineCache(target);
      if (!t.scripts[static_cast<std::size_t>(target)].preprocessed) {
        if (!FirstPass(target)) { ok = false; break; }
      }
      if (!req.function.empty()) {
        const ScriptFunction* fn = t.FindFunction(target, req.function);
        if (!fn) {
          ok = FailAt(req.script, req.line,
                      "ERROR: No se puede hallar la función externa <" + req.function +
                          "> en el archivo <" + req.file + ">. Originalmente declarada en la línea " +
                          std::to_string(req.line + 1) + ", archivo <" + docs().at(req.script).name() + ">");
          break;
        }
        if (t.FindFunction(req.script, req.function)) {
          ok = FailAt(req.script, req.line,
                      Format("ERROR: Se hallaron múltiples funciones externas con el mismo nombre <%s>",
                             req.function));
          break;
        }
        ScriptFunction copy = *fn;
        copy.copied = true;
        auto& table = t.scripts[static_cast<std::size_t>(req.script)].functions;
        table.push_back(std::move(copy));
        SortFunctions(table);
      }
      ++files;
      if (!host.progress(std::min(90, 1 + files * 5), "Preproceso")) return Cancel();
    }
  }
  if (ok) {
    SortFunctions(t.globals);
    const int scripts = static_cast<int>(order_.size());
    for (int i = 0; i < scripts; ++i) {
      if (!host.progress(90 + 9 * i / scripts, "Preproceso")) return Cancel();
      if (!SecondPass(order_[static_cast<std::size_t>(i)])) { ok = false; break; }
    }
  }
  interp_.InvalidateCallbacks();
  if (!ok) {
    if (failedScript_ >= 0)
      host.outputLineAt(Format("!! Preproceso falló en línea %d !!", failedLine_ + 1),
                        docs().at(failedScript_).name(), failedLine_ + 1);
    return false;
  }
  interp_.RestorePosition(savedScript, savedLine);
  if (reportSuccess) host.outputLine("<< Preproceso exitoso >>");
  return true;
}

bool Preprocessor::FirstPass(int script) {
  ScriptTables& t = tables();
  interp_.SyncLineCache(script);
  ScriptState& st = t.scripts[static_cast<std::size_t>(script)];
  st.functions.clear();
  st.globalSet = 0;
  st.preprocessed = true;
  for (ScriptLine& sl : st.lines) sl.reset();
  order_.push_back(script);
  table_ = TableState();
  int balance = 0;
  bool returned = true;
  const int count = static_cast<int>(st.lines.size());
  for (int i = 0; i < count; ++i) {
    ScriptLine& sl = t.scripts[static_cast<std::size_t>(script)].lines[static_cast<std::size_t>(i)];
    interp_.ClassifyCached(script, sl, i);
    const std::int32_t c = sl.command;
    if (OpensBlock(c)) {
      ++balance;
    } else if (c == cmd::End) {
      --balance;
    } else if (c == cmd::Return) {
      returned = true;
    } else if (c == cmd::Function || c == cmd::FunctionGlobal) {
      if (balance != 0)
        return FailAt(script, i, "Error: La función previa no coincide con las declaraciones 'While/If/End'");
      if (!returned) return FailAt(script, i, "Error: Falta el retorno de la función");
      if (!Declare(script, i, sl, c == cmd::FunctionGlobal)) return false;
      returned = false;
    } else if (c == cmd::ExternFunction || c == cmd::ExternScript) {
      if (!QueueExtern(script, i, sl)) return false;
    } else if (c == cmd::ApplyGlobalSet) {
      if (!ApplySet(script, i, sl)) return false;
    } else if (c == cmd::Define) {
      if (!Define(script, i, sl)) return false;
    } else if (c == cmd::MacroCall) {
      std::size_t pos = static_cast<std::size_t>(sl.operandStart);
      std::size_t e = pos;
      while (e < sl.text.size() && !isBlank(sl.text[e]) && sl.text[e] != ';') ++e;
      const std::string_view name = std::string_view(sl.text).substr(pos, e - pos);
      if (t.FindMacro(name) < 0)
        return FailAt(script, i, Format("Error: Macro '%s' no definida en la línea %d", name, i + 1));
    } else if (c == cmd::UndefinedCommand) {
      return FailAt(script, i, MessageFor(sl.aux ? sl.aux : err::kUnknownCommand));
    } else if (c >= cmd::TableDefine && c <= cmd::TableFill) {
      if (!TableLine(script, i, sl, false)) return false;
    }
  }
  SortFunctions(t.scripts[static_cast<std::size_t>(script)].functions);
  return true;
}

bool Preprocessor::Declare(int script, int line, const ScriptLine& sl, bool global) {
  ScriptTables& t = tables();
  const std::string_view text = sl.text;
  std::size_t pos = static_cast<std::size_t>(sl.operandStart);
  const std::string name(Word(text, pos));
  if (name.empty()) return FailAt(script, line, Format("ERROR: Falta el nombre de la función, línea %d", line + 1));
  // A second global of the same name gets the message that says where the
  // first one is.
  const int existing = global ? t.FindGlobalIndex(name) : -1;
  if (existing >= 0) {
    const ScriptFunction& other = t.globals[static_cast<std::size_t>(existing)];
    char buf[1024];
    std::snprintf(buf, sizeof buf, "Error: Función Global <%s> ya definida - línea %d, guión '%s'",
                  name.c_str(), other.line + 1, docs().at(other.script).name().c_str());
    return FailAt(script, line, buf);
  }
  if (t.FindFunction(script, name))
    return FailAt(script, line, Format("ERROR: La función <%s> ya fue definida", name));
  const std::string_view count = Word(text, pos);
  if (count.empty())
    return FailAt(script, line,
                  Format("ERROR: Faltan los parámetros después del nombre de la función <%s> en la línea %d",
                         name, line + 1));
  bool digits = true;
  std::size_t start = (count[0] == '-' || count[0] == '+') ? 1 : 0;
  if (start == count.size()) digits = false;
  for (std::size_t k = start; k < count.size(); ++k)
    if (count[k] < '0' || count[k] > '9') digits = false;
  if (!digits)
    return FailAt(script, line,
                  Format("ERROR: Formato para los parámetros de la función inválido (debe ser 0..4) "
                         "después del nombre de la función <%s> en la línea %d",
                         name, line + 1));
  long value = 0;
  for (std::size_t k = start; k < count.size() && value <= 1000; ++k) value = value * 10 + (count[k] - '0');
  if (count[0] == '-') value = -value;
  if (value < 0 || value > kMaxFunctionParams)
    return FailAt(script, line,
                  Format("ERROR: La cantidad de parámetros está fuera del rango (debe ser 0..10) en la "
                         "función <%s> en la línea %d",
                         name, line + 1));
  ScriptFunction fn;
  fn.name = name;
  fn.params = static_cast<std::int16_t>(value);
  fn.script = script;
  fn.line = line;
  const std::size_t semi = text.find(';', pos);
  if (semi != std::string_view::npos) fn.description = std::string(trimBlanks(text.substr(semi + 1)));
  if (!global) {
    t.scripts[static_cast<std::size_t>(script)].functions.push_back(std::move(fn));
    return true;
  }
  t.globals.push_back(std::move(fn));
  return true;
}

bool Preprocessor::QueueExtern(int script, int line, const ScriptLine& sl) {
  const std::string_view text = sl.text;
  std::size_t pos = skipBlanks(text, static_cast<std::size_t>(sl.operandStart));
  const std::size_t close = pos < text.size() && text[pos] == '"' ? text.find('"', pos + 1) : std::string_view::npos;
  if (close == std::string_view::npos)
    return FailAt(script, line,
                  Format("ERROR: La declaración de la función externa requiere el nombre entre comillas (\"), línea %d",
                         line + 1));
  std::string file(text.substr(pos + 1, close - pos - 1));
  if (file.find('.') == std::string::npos) file += ".txt";
  std::replace(file.begin(), file.end(), '/', '\\');
  pos = close + 1;
  std::string function;
  if (sl.command == cmd::ExternFunction) {
    function = std::string(Word(text, pos));
    if (function.empty())
      return FailAt(script, line,
                    Format("ERROR: Falta el nombre de la función después del nombre de archivo, en la línea %d",
                           line + 1));
  }
  for (const ExternRequest& r : seen_)
    if (r.script == script && equalsIgnoreCase(r.file, file) && equalsIgnoreCase(r.function, function))
      return true;
  ExternRequest req{script, file, function, line};
  seen_.push_back(req);
  queue_.push_back(std::move(req));
  return true;
}

bool Preprocessor::ApplySet(int script, int line, const ScriptLine& sl) {
  std::size_t pos = static_cast<std::size_t>(sl.operandStart);
  const std::string_view name = Word(sl.text, pos);
  const int set = tables().FindGlobalSet(name);
  if (set < 0)
    return FailAt(script, line,
                  Format("ERROR: No se puede hallar el juegos de variables %s en la línea %d", name, line + 1));
  tables().scripts[static_cast<std::size_t>(script)].globalSet = set;
  return true;
}

bool Preprocessor::Define(int script, int line, const ScriptLine& sl) {
  ScriptTables& t = tables();
  const std::string_view text = sl.text;
  std::size_t pos = static_cast<std::size_t>(sl.operandStart);
  std::size_t e = pos;
  while (e < text.size() && !isBlank(text[e]) && text[e] != ';') ++e;
  const std::string name(text.substr(pos, e - pos));
  if (name.empty())
    return FailAt(script, line, Format("ERROR: Falta el nombre de la definición después de ##, línea %d", line + 1));
  if (t.FindDefinition(name))
    return FailAt(script, line, Format("ERROR: La definición %s ya fue definida, antes de la línea %d", name, line + 1));
  ParseEnv env;
  env.tables = &t;
  env.script = script;
  std::int32_t value = 0;
  ErrorState scratch;
  std::size_t p = e;
  if (!ParseImmediateValue(text, p, env, value, scratch))
    return FailAt(script, line,
                  Format("ERROR: No se halló el valor de la definición, o falta el entero en la línea %d", line + 1));
  t.definitions.push_back(Definition{name, value, false});
  return true;
}

bool Preprocessor::SecondPass(int script) {
  ScriptState& st = tables().scripts[static_cast<std::size_t>(script)];
  table_ = TableState();
  for (int i = 0; i < static_cast<int>(st.lines.size()); ++i) {
    ScriptLine& sl = st.lines[static_cast<std::size_t>(i)];
    if (sl.command == cmd::Call || sl.command == cmd::CallRet) {
      if (!ResolveCall(script, i, sl)) return false;
    } else if (sl.command >= cmd::TableDefine && sl.command <= cmd::TableFill) {
      if (!TableLine(script, i, sl, true)) return false;
    }
  }
  return true;
}

bool Preprocessor::ResolveCall(int script, int line, ScriptLine& sl) {
  ScriptTables& t = tables();
  std::size_t pos = static_cast<std::size_t>(sl.operandStart);
  const std::string_view name = Word(sl.text, pos);
  if (name.empty()) return FailAt(script, line, MessageFor(err::kUndefinedFunction));
  if (t.FindFunction(script, name)) return true;
  ParseEnv env;
  env.tables = &t;
  env.script = script;
  Operand op;
  ErrorState err;
  pos = static_cast<std::size_t>(sl.operandStart);
  if (!ParseValueOperand(sl.text, pos, env, op, err))
    return FailAt(script, line, MessageFor(err.GetError() == err::kUnknownParameter ? err::kUndefinedFunction : err.GetError()));
  if (op.isImmediate() &&
      (op.value >= static_cast<std::int32_t>(t.scripts[static_cast<std::size_t>(script)].functions.size())))
    return FailAt(script, line, MessageFor(err::kFunctionIndexOutOfRange));
  return true;
}

void Preprocessor::LinesInserted(int script, int at, int count) {
  ScriptTables& t = tables();
  if (script < 0 || script >= static_cast<int>(t.scripts.size()) || count <= 0) return;
  for (ScriptFunction& fn : t.scripts[static_cast<std::size_t>(script)].functions)
    if (!fn.copied && fn.line >= at) fn.line += count;
  for (ScriptFunction& fn : t.globals)
    if (fn.script == script && fn.line >= at) fn.line += count;
  RefreshExternLines(script);
}

void Preprocessor::LinesRemoved(int script, int first, int count) {
  ScriptTables& t = tables();
  if (script < 0 || script >= static_cast<int>(t.scripts.size()) || count <= 0) return;
  auto update = [&](std::vector<ScriptFunction>& table, bool own) {
    std::vector<ScriptFunction> kept;
    for (ScriptFunction& fn : table) {
      const bool mine = own ? !fn.copied : fn.script == script;
      if (mine && fn.line >= first && fn.line < first + count) continue;
      if (mine && fn.line >= first + count) fn.line -= count;
      kept.push_back(std::move(fn));
    }
    table = std::move(kept);
  };
  update(t.scripts[static_cast<std::size_t>(script)].functions, true);
  update(t.globals, false);
  RefreshExternLines(script);
}

void Preprocessor::RefreshExternLines(int changedScript) {
  ScriptTables& t = tables();
  // Function tables changed: calls resolved against them are parsed again.
  for (ScriptState& st : t.scripts)
    for (ScriptLine& sl : st.lines)
      if (sl.command == cmd::Call || sl.command == cmd::CallRet)
        sl.flags &= static_cast<std::uint8_t>(~ScriptLine::kParsed);
  const auto& own = t.scripts[static_cast<std::size_t>(changedScript)].functions;
  for (ScriptState& st : t.scripts)
    for (ScriptFunction& fn : st.functions) {
      if (!fn.copied || fn.script != changedScript) continue;
      for (const ScriptFunction& src : own)
        if (!src.copied && equalsIgnoreCase(src.name, fn.name)) fn.line = src.line;
    }
  interp_.InvalidateCallbacks();
}

}  // namespace tarvolin::script
