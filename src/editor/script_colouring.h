// The colouring of one script line, word by word from the left, first
// matching rule: comment, number, command name, attribute, variable, array
// name, function name, asset name, default. The language's own parsers
// decide what a command or a variable is, so the editor colours exactly what
// the interpreter will read. Qt-free; the lexer turns the styles into runs.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "script/exec_operands.h"

namespace tarvolin::editor {

class WordLists;

// Style numbers, also the lexer's styles.
enum class Style : std::uint8_t {
  Default = 0,
  Number = 1,
  Keyword = 2,
  Attribute = 3,
  Variable = 4,
  Comment = 5,
  Function = 6,
  Asset = 7,
};
inline constexpr int kStyleCount = 8;

// What a line is coloured against: the word lists and the parse
// environment of the line's script (definitions, global names, arrays).
struct ColourContext {
  const WordLists* words = nullptr;
  script::ParseEnv env;
};

// Fills `styles` with one style per byte of `line` (resized to its length).
void ColourLine(std::string_view line, const ColourContext& ctx, std::vector<Style>& styles);

}  // namespace tarvolin::editor
