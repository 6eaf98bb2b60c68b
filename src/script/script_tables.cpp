#include "script/script_tables.h"

#include <cstdio>

#include "common/text.h"
#include "script/vocabulary.h"

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

void ScriptTables::EnterBuiltInDefinitions() {
  for (const BuiltinDefinition& d : BuiltinDefinitions())
    definitions.push_back(Definition{BuiltinDefinitionName(d), d.value, true});
}

}  // namespace tarvolin::script
