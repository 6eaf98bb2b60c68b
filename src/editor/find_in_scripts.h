// Find in scripts: every "*.txt" file of the project's Script folder,
// searched line by line, open documents as the editor holds them (with
// their unsaved changes). Qt-free.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvolin::editor {

struct ScriptHit {
  std::string file;  // file name in the Script folder
  int line = 0;      // 1-based
  std::string text;  // the line
};

enum class ScriptSearchResult { Found, NothingFound, NoScripts, Cancelled };

struct ScriptSearch {
  std::string text;
  bool matchCase = false;
  bool wholeWord = false;
};

// Whether `line` holds the searched text (a whole word: not touching a
// letter, digit or "_" on either side).
bool LineMatches(std::string_view line, const ScriptSearch& search);

// Searches the folder's "*.txt" files in name order. `openLines(file, lines)`
// fills the lines of an open document and returns true; `progress(done,
// total)` returns false to cancel.
ScriptSearchResult SearchScripts(const std::string& folder, const ScriptSearch& search,
                                 const std::function<bool(const std::string&, std::vector<std::string>&)>& openLines,
                                 const std::function<bool(int, int)>& progress, std::vector<ScriptHit>& hits);

}  // namespace tarvolin::editor
