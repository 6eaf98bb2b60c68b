// The script side of a project import: the words of copied lines that name
// imported assets get the prefix, and a copied script gets its global set
// block and the subfolder in its ExternScript / ExternFunction names.
#include "common/text.h"
#include "project/project_import.h"
#include "project/text_lines.h"

namespace tarvolin::project {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Empty (blanks only) or a comment: the first non-blank character is ";".
bool isEmptyOrComment(std::string_view line) {
  const std::string_view t = trimBlanks(line);
  return t.empty() || t.front() == ';';
}

// An ExternScript or ExternFunction line: its first word, up to a blank or a
// double quote, is one of the two commands.
bool isExternLine(std::string_view line) {
  const std::size_t start = skipBlanks(line, 0);
  std::size_t end = start;
  while (end < line.size() && !isBlank(line[end]) && line[end] != '"') ++end;
  const std::string_view word = line.substr(start, end - start);
  return equalsIgnoreCase(word, "ExternScript") || equalsIgnoreCase(word, "ExternFunction");
}

}  // namespace

void NameRewriter::addName(std::string_view name) {
  if (!name.empty()) names_.insert(toLowerAscii(name));
}
void NameRewriter::addArray(std::string_view name) {
  if (!name.empty()) arrays_.insert(toLowerAscii(name));
}
void NameRewriter::addMacro(std::string_view name) {
  if (!name.empty()) macros_.insert(toLowerAscii(name));
}

std::string NameRewriter::rewriteWord(std::string_view word) const {
  if (word.size() > 1 && word.front() == '%') {
    if (macros_.count(toLowerAscii(word.substr(1))))
      return "%" + prefix_ + std::string(word.substr(1));
    return std::string(word);
  }
  const std::string lower = toLowerAscii(word);
  if (names_.count(lower) || arrays_.count(lower)) return prefix_ + std::string(word);
  // An element of an imported array: "Name.Element" with an optional index.
  const std::size_t dot = lower.find('.');
  if (dot != std::string::npos && dot > 0 && arrays_.count(lower.substr(0, dot)))
    return prefix_ + std::string(word);
  return std::string(word);
}

std::string NameRewriter::rewriteLine(std::string_view line) const {
  if (prefix_.empty() || empty()) return std::string(line);
  std::string out;
  out.reserve(line.size() + 16);
  std::size_t pos = 0;
  while (pos < line.size()) {
    if (isBlank(line[pos])) {
      out += line[pos++];
      continue;
    }
    std::size_t end = pos;
    while (end < line.size() && !isBlank(line[end])) ++end;
    const std::string_view word = line.substr(pos, end - pos);
    if (skipComments_ && word.front() == ';') {
      out += line.substr(pos);
      break;
    }
    out += rewriteWord(word);
    pos = end;
  }
  return out;
}

std::string copyScriptText(std::string_view text, const ScriptCopyOptions& options,
                           const NameRewriter& names) {
  std::vector<std::string> lines;
  LineReader in{std::string(text)};
  for (std::string line; in.next(line);) lines.push_back(line);

  std::string out;
  out.reserve(text.size() + 64);
  bool blockWritten = options.applySet.empty();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string& line = lines[i];
    if (!blockWritten && !isEmptyOrComment(line)) {
      out.append(kLineEnd).append("; Auto agregar").append(kLineEnd);
      out.append("ApplyGlobalSet ").append(options.applySet).append(kLineEnd).append(kLineEnd);
      blockWritten = true;
    }
    if (!options.externFolder.empty() && isExternLine(line)) {
      const std::size_t quote = line.find('"');
      if (quote != std::string::npos) line.insert(quote + 1, options.externFolder + "\\");
    }
    out += names.rewriteLine(line);
    if (i + 1 < lines.size()) out.append(kLineEnd);
  }
  return out;
}

}  // namespace tarvolin::project
