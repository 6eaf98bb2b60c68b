// The names the editor colours beyond the language's own vocabulary: the
// project's arrays (with their element names), script functions and asset
// names. Built from the open project and the preprocessor's tables, and
// refreshed after a preprocess and when assets change. Qt-free.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tarvolin::project { class Project; }
namespace tarvolin::script { struct ScriptTables; class ScriptDocuments; }

namespace tarvolin::editor {

class WordLists {
 public:
  // Rebuilds every list: the project's arrays and assets (when a project is
  // open), the functions the preprocessor knows, and the functions declared
  // in the open documents (so a new function colours before the next run).
  void rebuild(const project::Project* project, const script::ScriptTables* tables,
               const script::ScriptDocuments* documents);
  void clear();

  // Lookups; names compare ignoring ASCII case.
  bool isArray(std::string_view name) const;
  bool isArrayElement(std::string_view array, std::string_view element) const;
  bool isFunction(std::string_view name) const;
  bool isAsset(std::string_view name) const;

  // Direct filling, for tools and tests.
  void addArray(std::string_view name, const std::vector<std::string>& elements);
  void addFunction(std::string_view name);
  void addAsset(std::string_view name);

  // Counts, for tests and the status of a refresh.
  std::size_t arrayCount() const { return arrays_.size(); }
  std::size_t functionCount() const { return functions_.size(); }
  std::size_t assetCount() const { return assets_.size(); }

 private:
  // Keys are lower-case.
  std::unordered_map<std::string, std::unordered_set<std::string>> arrays_;
  std::unordered_set<std::string> functions_;
  std::unordered_set<std::string> assets_;
};

// The name a Function or FunctionGlobal declaration line declares, or "" when
// the line declares none. Used for documents that were not preprocessed.
std::string_view DeclaredFunctionName(std::string_view line);

}  // namespace tarvolin::editor
