#include "script/script_tables.h"

#include <cstdio>

#include "common/text.h"
#include "script/exec_ids.h"

namespace tarvolin::script {

GlobalSet DefaultGlobalSet() {
  GlobalSet set;
  set.name = "Default";
  for (int i = 0; i < kGlobalsPerSet - 1; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "G_VAR%02d", i);
    set.names[static_cast<std::size_t>(i)] = name;
  }
  set.names[kGlobalsPerSet - 1] = "G_TICKS";
  set.shared[kGlobalsPerSet - 1] = true;
  return set;
}

int MacroParamCount(const std::vector<std::string>& body) {
  int count = 0;
  for (const std::string& line : body)
    for (std::size_t i = 0; i + 1 < line.size(); ++i)
      if (line[i] == '%' && line[i + 1] >= '0' && line[i + 1] <= '9')
        count = std::max(count, line[i + 1] - '0' + 1);
  return count;
}

namespace {

bool IsSeparator(char c) {
  return isBlank(c) || c == ';' || c == ',' || c == ']' || c == ')' || c == '+' || c == '-' ||
         c == '*' || c == '&' || c == '.';
}

}  // namespace

bool CheckMacroLine(std::string_view text, int& error) {
  std::size_t pos = skipBlanks(text, 0);
  if (pos >= text.size() || text[pos] == ';') return true;
  // A "%" at the start of the line (after an optional variable) that is not
  // "%=" is a call of another macro.
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ';') break;
    if (text[i] == '"') {  // quoted text (Log formats) holds "%" conversions
      std::size_t close = text.find('"', i + 1);
      if (close == std::string_view::npos) break;
      i = close;
      continue;
    }
    if (text[i] != '%') continue;
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (next == '=') { ++i; continue; }       // the %= operator
    if (next < '0' || next > '9') {
      // "%name" where a command could stand calls a macro; elsewhere the
      // index is missing.
      const bool lineStart = skipBlanks(text, 0) == i;
      error = lineStart ? 170 : 176;
      return false;
    }
    const char after = i + 2 < text.size() ? text[i + 2] : '\0';
    if (after != '\0' && !IsSeparator(after)) {
      error = 178;
      return false;
    }
    ++i;
  }
  return true;
}

const ScriptFunction* ScriptTables::FindFunction(int script, std::string_view name) const {
  int g = FindGlobalIndex(name);
  if (g >= 0) return &globals[static_cast<std::size_t>(g)];
  int s = FindScriptIndex(script, name);
  if (s >= 0) return &scripts[static_cast<std::size_t>(script)].functions[static_cast<std::size_t>(s)];
  return nullptr;
}

int ScriptTables::FindGlobalIndex(std::string_view name) const {
  for (std::size_t i = 0; i < globals.size(); ++i)
    if (equalsIgnoreCase(globals[i].name, name)) return static_cast<int>(i);
  return -1;
}

int ScriptTables::FindScriptIndex(int script, std::string_view name) const {
  if (script < 0 || script >= static_cast<int>(scripts.size())) return -1;
  const auto& table = scripts[static_cast<std::size_t>(script)].functions;
  for (std::size_t i = 0; i < table.size(); ++i)
    if (equalsIgnoreCase(table[i].name, name)) return static_cast<int>(i);
  return -1;
}

const Definition* ScriptTables::FindDefinition(std::string_view name) const {
  for (const Definition& d : definitions)
    if (equalsIgnoreCase(d.name, name)) return &d;
  return nullptr;
}

int ScriptTables::FindMacro(std::string_view name) const {
  for (std::size_t i = 0; i < macros.size(); ++i)
    if (equalsIgnoreCase(macros[i].name, name)) return static_cast<int>(i);
  return -1;
}

int ScriptTables::FindGlobalSet(std::string_view name) const {
  for (std::size_t i = 0; i < globalSets.size(); ++i)
    if (equalsIgnoreCase(globalSets[i].name, name)) return static_cast<int>(i);
  return -1;
}

}  // namespace tarvolin::script
