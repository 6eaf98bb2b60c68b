#include "editor/find_in_scripts.h"

#include <algorithm>
#include <filesystem>

#include "common/text.h"
#include "editor/editor_documents.h"
#include "platform/files.h"
#include "script/script_document.h"

namespace tarvolin::editor {

namespace {

bool IsWordChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || u >= 0x80;
}

bool EqualAt(std::string_view line, std::size_t pos, std::string_view text, bool matchCase) {
  if (pos + text.size() > line.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char a = line[pos + i], b = text[i];
    if (!matchCase) {
      a = toLowerAscii(a);
      b = toLowerAscii(b);
    }
    if (a != b) return false;
  }
  return true;
}

}  // namespace

bool LineMatches(std::string_view line, const ScriptSearch& search) {
  const std::string_view text = search.text;
  if (text.empty() || text.size() > line.size()) return false;
  for (std::size_t pos = 0; pos + text.size() <= line.size(); ++pos) {
    if (!EqualAt(line, pos, text, search.matchCase)) continue;
    if (search.wholeWord) {
      if (pos > 0 && IsWordChar(line[pos - 1])) continue;
      const std::size_t after = pos + text.size();
      if (after < line.size() && IsWordChar(line[after])) continue;
    }
    return true;
  }
  return false;
}

ScriptSearchResult SearchScripts(const std::string& folder, const ScriptSearch& search,
                                 const std::function<bool(const std::string&, std::vector<std::string>&)>& openLines,
                                 const std::function<bool(int, int)>& progress, std::vector<ScriptHit>& hits) {
  hits.clear();
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::filesystem::path& p = it->path();
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    if (equalsIgnoreCase(p.extension().string(), ".txt")) files.push_back(p);
  }
  if (files.empty()) return ScriptSearchResult::NoScripts;
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
    return compareIgnoreCase(a.filename().string(), b.filename().string()) < 0;
  });
  const int total = static_cast<int>(files.size());
  for (int f = 0; f < total; ++f) {
    if (progress && !progress(f, total)) return ScriptSearchResult::Cancelled;
    const std::string name = files[static_cast<std::size_t>(f)].filename().string();
    std::vector<std::string> lines;
    if (!openLines || !openLines(name, lines)) {
      std::string bytes;
      if (!platform::readWholeFile(files[static_cast<std::size_t>(f)].string(), bytes)) continue;
      lines = script::SplitLines(bytes);
    }
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (LineMatches(lines[i], search)) hits.push_back({name, static_cast<int>(i) + 1, lines[i]});
  }
  if (progress && !progress(total, total)) return ScriptSearchResult::Cancelled;
  return hits.empty() ? ScriptSearchResult::NothingFound : ScriptSearchResult::Found;
}

}  // namespace tarvolin::editor
