#include "project/macros.h"
#include "platform/files.h"

#include "common/text.h"

namespace tarvolin::project {

int Macro::parameterCount() const {
  int count = 0;
  for (const std::string& line : body)
    for (std::size_t i = 0; i + 1 < line.size(); ++i)
      if (line[i] == '%' && line[i + 1] >= '0' && line[i + 1] <= '9') {
        const int needed = line[i + 1] - '0' + 1;
        if (needed > count) count = needed;
      }
  return count;
}

bool readMacros(LineReader& in, std::vector<Macro>& out) {
  std::string name, line;
  while (nextEntry(in, name)) {
    in.next(line);
    if (line.empty() || line[0] != '?') return false;
    Macro macro;
    macro.name = std::move(name);
    macro.hint.assign(line, 1);
    while (in.next(line)) {
      if (line.empty() || line[0] != '$') {
        // A missing empty line must not swallow the next macro.
        if (!line.empty() && line[0] == '#') in.unread();
        break;
      }
      macro.body.emplace_back(line, 1);
    }
    if (!macro.name.empty()) out.push_back(std::move(macro));
  }
  return true;
}

std::string writeMacros(const std::vector<Macro>& macros) {
  AssetWriter w(HeaderKind::Macro);
  for (const Macro& m : macros) {
    w.beginEntry(m.name);
    w.line('?', m.hint);
    for (const std::string& line : m.body) w.line('$', line);
    w.endEntry();
  }
  return w.text();
}

namespace {

bool isWordChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// The fault code of one body line, 0 when it may stand in a macro.
ErrorCode lineFault(std::string_view text) {
  const std::size_t start = skipBlanks(text, 0);
  std::string_view t = text.substr(start);
  if (t.empty() || t[0] == ';') return 0;
  // A macro call; "%0 += 1" writes a parameter and "%=" is an operator.
  if (t[0] == '%' && (t.size() < 2 || (t[1] != '=' && (t[1] < '0' || t[1] > '9')))) return err::kMacroCallsMacro;
  std::size_t wordEnd = 0;
  while (wordEnd < t.size() && !isBlank(t[wordEnd])) ++wordEnd;
  std::string_view word = t.substr(0, wordEnd);
  if (word.substr(0, 2) == "##") return err::kMacroStatementNotAllowed;
  if (equalsIgnoreCase(word, "Function") || equalsIgnoreCase(word, "FunctionGlobal")) return err::kMacroFunctionDeclaration;
  if (equalsIgnoreCase(word, "ExternFunction") || equalsIgnoreCase(word, "ExternScript") ||
      equalsIgnoreCase(word, "ApplyGlobalSet"))
    return err::kMacroStatementNotAllowed;

  for (std::size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (c == ';') break;  // comment
    if (c == '"') {       // quoted file name
      std::size_t close = t.find('"', i + 1);
      if (close == std::string_view::npos) break;
      i = close;
      continue;
    }
    if (c == '\'' && i + 2 < t.size() && t[i + 2] == '\'') {  // character immediate
      i += 2;
      continue;
    }
    if (c != '%') continue;
    const char next = i + 1 < t.size() ? t[i + 1] : '\0';
    if (next == '=') {
      ++i;
      continue;
    }
    if (next < '0' || next > '9') return err::kMacroParameterIndexMissing;
    if (i + 2 < t.size() && isWordChar(t[i + 2])) return err::kMacroParameterTrailing;
    ++i;
  }
  return 0;
}

}  // namespace

bool checkMacroDefinition(const Macro& macro, ErrorState& errors, int& line) {
  for (std::size_t i = 0; i < macro.body.size(); ++i) {
    if (ErrorCode code = lineFault(macro.body[i])) {
      errors.SetError(code);
      line = static_cast<int>(i);
      return false;
    }
  }
  return true;
}

bool MacroList::loadInto(const std::string& path, std::vector<Macro>& other) {
  other.clear();
  return loadAssetFile(path, other, readMacros);
}

bool MacroList::load(const std::string& path) { return loadInto(path, items_); }

bool MacroList::save(const std::string& path) const { return platform::safeWrite(path, writeMacros(items_)); }

bool MacroList::checkText(std::string_view text) const {
  return checkAssetText<std::vector<Macro>>(text, readMacros);
}

}  // namespace tarvolin::project
