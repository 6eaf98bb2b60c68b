#include "editor/word_lists.h"

#include "common/text.h"
#include "project/project.h"
#include "script/commands.h"
#include "script/script_document.h"
#include "script/script_tables.h"

namespace tarvolin::editor {

namespace {

std::string Key(std::string_view name) { return toLowerAscii(name); }

}  // namespace

std::string_view DeclaredFunctionName(std::string_view line) {
  std::size_t pos = skipBlanks(line, 0);
  std::string_view keyword;
  for (std::string_view k : {std::string_view("FunctionGlobal"), std::string_view("Function")})
    if (script::NameMatchesAt(line, pos, k)) {
      keyword = k;
      break;
    }
  if (keyword.empty()) return {};
  pos = skipBlanks(line, pos + keyword.size());
  std::size_t end = pos;
  while (end < line.size() && !isBlank(line[end]) && line[end] != ';') ++end;
  return line.substr(pos, end - pos);
}

void WordLists::clear() {
  arrays_.clear();
  functions_.clear();
  assets_.clear();
}

void WordLists::rebuild(const project::Project* project, const script::ScriptTables* tables,
                        const script::ScriptDocuments* documents) {
  clear();
  if (project && project->isOpen()) {
    for (const project::ArrayDef& a : project->arrays().items()) {
      std::vector<std::string> elements;
      elements.reserve(a.elements.size());
      for (const auto& e : a.elements) elements.push_back(e.name);
      addArray(a.name, elements);
    }
    for (const auto& r : project->resources().items()) addAsset(r.name);
    for (const auto& s : project->strings().items()) addAsset(s.identifier);
    for (const auto& p : project->paths().items()) addAsset(p.name);
    for (const auto& t : project->tileLists().items()) addAsset(t.name);
    for (const auto& f : project->fontMaps().items()) addAsset(f.name);
    for (const auto& l : project->levels().items()) addAsset(l.name());
  }
  if (tables) {
    for (const auto& f : tables->globals) addFunction(f.name);
    for (const auto& s : tables->scripts)
      for (const auto& f : s.functions) addFunction(f.name);
  }
  if (documents) {
    for (int d = 0; d < documents->count(); ++d) {
      const script::ScriptDocument& doc = documents->at(d);
      for (int i = 0; i < doc.lineCount(); ++i) {
        std::string_view name = DeclaredFunctionName(doc.line(i));
        if (!name.empty()) addFunction(name);
      }
    }
  }
}

void WordLists::addArray(std::string_view name, const std::vector<std::string>& elements) {
  if (name.empty()) return;
  auto& set = arrays_[Key(name)];
  for (const auto& e : elements) set.insert(Key(e));
}

void WordLists::addFunction(std::string_view name) {
  if (!name.empty()) functions_.insert(Key(name));
}

void WordLists::addAsset(std::string_view name) {
  if (!name.empty()) assets_.insert(Key(name));
}

bool WordLists::isArray(std::string_view name) const { return arrays_.count(Key(name)) != 0; }

bool WordLists::isArrayElement(std::string_view array, std::string_view element) const {
  auto it = arrays_.find(Key(array));
  return it != arrays_.end() && it->second.count(Key(element)) != 0;
}

bool WordLists::isFunction(std::string_view name) const { return functions_.count(Key(name)) != 0; }

bool WordLists::isAsset(std::string_view name) const { return assets_.count(Key(name)) != 0; }

}  // namespace tarvolin::editor
