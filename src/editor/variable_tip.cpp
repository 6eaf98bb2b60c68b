#include "editor/variable_tip.h"

#include "common/text.h"
#include "script/interpreter.h"

namespace tarvolin::editor {

std::string_view WordAtColumn(std::string_view line, int column, std::size_t& start) {
  start = 0;
  if (column < 0 || static_cast<std::size_t>(column) >= line.size()) return {};
  const auto col = static_cast<std::size_t>(column);
  // Comments and quoted text hold no references.
  bool quoted = false;
  for (std::size_t i = 0; i < col; ++i) {
    if (line[i] == '"') quoted = !quoted;
    else if (line[i] == ';' && !quoted) return {};
  }
  auto stop = [](char c) { return isBlank(c) || c == ';' || c == '"'; };
  if (quoted || stop(line[col])) return {};
  std::size_t from = col;
  while (from > 0 && !stop(line[from - 1])) --from;
  std::size_t to = col;
  while (to < line.size() && !stop(line[to])) ++to;
  start = from;
  return line.substr(from, to - from);
}

bool VariableAt(std::string_view line, int column, const script::ParseEnv& env, script::Interpreter& interp,
                std::string& reference, std::int32_t& value) {
  std::size_t start = 0;
  const std::string_view word = WordAtColumn(line, column, start);
  if (word.empty() || !env.tables) return false;
  std::size_t pos = start;
  script::Operand operand;
  script::OperandWord operandWord = 0;
  ErrorState err;
  if (!script::ParseBasicOperand(line, pos, env, operand, err, &operandWord)) return false;
  if (script::IsImmediate(operandWord) || operand.kind == script::OperandKind::Immediate ||
      operand.kind == script::OperandKind::Unused)
    return false;
  // The reference must cover the mouse.
  if (pos <= static_cast<std::size_t>(column)) return false;
  // Reading for the tip must not leave an error behind for the run.
  const ErrorState saved = interp.errors();
  const bool read = interp.Evaluate(operand, value);
  interp.errors() = saved;
  if (!read) return false;
  reference.assign(line.substr(start, pos - start));
  return true;
}

std::string VariableTipText(std::string_view reference, std::int32_t value) {
  return std::string(reference) + " = " + std::to_string(value);
}

}  // namespace tarvolin::editor
