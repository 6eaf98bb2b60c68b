#include "editor/script_colouring.h"

#include <algorithm>

#include "common/text.h"
#include "editor/word_lists.h"
#include "script/commands.h"
#include "script/operand.h"
#include "script/vocabulary.h"

namespace tarvolin::editor {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Literal numbers: decimal, 0x.., 0b.., a quoted character, a {r,g,b} colour,
// optionally negated. Definitions and flag words are immediates too, but
// they are names, not numbers.
bool LooksNumeric(std::string_view word) {
  if (word.empty()) return false;
  const char c = word[0];
  if (IsDigit(c) || c == '\'' || c == '{') return true;
  return c == '-' && word.size() > 1 && (IsDigit(word[1]) || word[1] == '\'' || word[1] == '{');
}

bool IsAttributeWord(std::string_view word) {
  if (word.size() < 3 || word.front() != '[' || word.back() != ']') return false;
  const std::string_view inner = word.substr(1, word.size() - 2);
  for (int t = 0; t < script::kAttributeTableCount; ++t)
    if (script::FindAttribute(static_cast<script::AttributeTable>(t), inner) >= 0) return true;
  return false;
}

void Fill(std::vector<Style>& styles, std::size_t from, std::size_t to, Style s) {
  to = std::min(to, styles.size());
  for (std::size_t i = from; i < to; ++i) styles[i] = s;
}

}  // namespace

void ColourLine(std::string_view line, const ColourContext& ctx, std::vector<Style>& styles) {
  styles.assign(line.size(), Style::Default);
  if (line.empty()) return;

  // Where the command's name stands, as the interpreter classifies the line.
  std::size_t nameStart = std::string_view::npos, nameEnd = 0;
  if (ctx.env.tables) {
    script::Classification c;
    script::ClassifyText(line, ctx.env, c);
    if (c.command != script::cmd::MacroCall) {
      const std::string_view name = script::CommandName(c.command);
      const auto end = static_cast<std::size_t>(c.operandStart);
      if (!name.empty() && end >= name.size()) {
        nameStart = end - name.size();
        nameEnd = end;
      }
    }
  }

  std::size_t i = 0;
  const std::size_t n = line.size();
  while (i < n) {
    const char c = line[i];
    if (isBlank(c)) {
      ++i;
      continue;
    }
    if (c == ';') {
      Fill(styles, i, n, Style::Comment);
      return;
    }
    if (c == '"') {
      // Quoted text (file names, Log formats) is read whole: a ";" inside it
      // starts no comment.
      std::size_t close = line.find('"', i + 1);
      i = close == std::string_view::npos ? n : close + 1;
      continue;
    }
    if (i == nameStart) {
      Fill(styles, nameStart, nameEnd, Style::Keyword);
      i = nameEnd;
      continue;
    }
    std::size_t end = i;
    while (end < n && !isBlank(line[end]) && line[end] != ';') ++end;
    if (nameStart > i && nameStart < end) end = nameStart;
    const std::string_view word = line.substr(i, end - i);

    if (LooksNumeric(word)) {
      std::size_t pos = i;
      std::int32_t value = 0;
      ErrorState err;
      if (ctx.env.tables && script::ParseImmediateValue(line, pos, ctx.env, value, err) && pos > i &&
          pos <= end) {
        Fill(styles, i, pos, Style::Number);
        i = pos;
        continue;
      }
    }
    std::size_t commandLength = 0;
    if (script::LookupCommand(line, i, commandLength) != script::cmd::UndefinedCommand &&
        commandLength == word.size()) {
      Fill(styles, i, end, Style::Keyword);
      i = end;
      continue;
    }
    if (IsAttributeWord(word)) {
      Fill(styles, i, end, Style::Attribute);
      i = end;
      continue;
    }
    if (ctx.env.tables) {
      std::size_t pos = i;
      script::Operand operand;
      script::OperandWord operandWord = 0;
      ErrorState err;
      if (script::ParseBasicOperand(line, pos, ctx.env, operand, err, &operandWord) &&
          !script::IsImmediate(operandWord) && pos > i && pos <= end) {
        Fill(styles, i, pos, Style::Variable);
        i = pos;
        continue;
      }
    }
    if (ctx.words) {
      const WordLists& w = *ctx.words;
      Style s = Style::Default;
      const std::size_t dot = word.find('.');
      if (w.isArray(word)) {
        s = Style::Variable;
      } else if (dot != std::string_view::npos &&
                 w.isArrayElement(word.substr(0, dot), word.substr(dot + 1))) {
        s = Style::Variable;
      } else if (w.isFunction(word)) {
        s = Style::Function;
      } else if (w.isAsset(word)) {
        s = Style::Asset;
      }
      Fill(styles, i, end, s);
    }
    i = end;
  }
}

}  // namespace tarvolin::editor
