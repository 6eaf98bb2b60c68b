#include "script/line_parse.h"

#include <string_view>

#include "common/text.h"
#include "script/operand_parse.h"
#include "script/vocabulary.h"

namespace tarvolin::script {

LineClass ClassifyLine(std::string_view text, ParseContext& ctx) {
  LineClass line;
  ErrorState& errors = ctx.Errors();
  const ErrorCode saved = errors.GetError();

  std::size_t pos = skipBlanks(text, 0);
  OperandWord word = 0;
  std::size_t after = pos;
  if (pos < text.size() && text[pos] != ';') {
    if (ParseBasicOperand(text, after, ctx, word)) {
      if (IsVariable(word)) {
        line.hasLeadingVariable = true;
        line.leadingVariable = word;
        pos = skipBlanks(text, after);
      }
    } else if (errors.GetError() != err::kUnknownParameter && text[pos] != '%') {
      line.leadingError = errors.GetError();
    }
  }
  errors.SetError(saved);

  if (pos >= text.size() || text[pos] == ';') {
    line.id = cmd::NoCommand;
    line.operandStart = pos;
    return line;
  }
  if (text[pos] == '%' && (pos + 1 >= text.size() || text[pos + 1] != '=')) {
    line.id = cmd::MacroCall;
    line.operandStart = pos + 1;
    return line;
  }
  std::size_t length = 0;
  line.id = LookupCommand(text, pos, length);
  line.operandStart = pos + length;
  return line;
}

bool AttributeTableOf(char kind, AttributeTable& table) {
  switch (kind) {
    case 'D': table = AttributeTable::Display; return true;
    case 'M': table = AttributeTable::Mosaic; return true;
    case 'B': table = AttributeTable::Blend; return true;
    case 'R': table = AttributeTable::BGRotation; return true;
    case 'W': table = AttributeTable::Window; return true;
    case 'O': table = AttributeTable::Sprite; return true;
    case 'T': table = AttributeTable::Rotation; return true;
    case 'm': table = AttributeTable::TileMap; return true;
    case 'Z': table = AttributeTable::MemSize; return true;
    case 'C': table = AttributeTable::PaletteTarget; return true;
    case 'd': table = AttributeTable::Direction; return true;
    default: return false;
  }
}

bool AssetKindOf(char kind, AssetKind& asset) {
  switch (kind) {
    case 'r': asset = AssetKind::Resource; return true;
    case 'f': asset = AssetKind::FontMap; return true;
    case 's': asset = AssetKind::String; return true;
    case 'p': asset = AssetKind::Path; return true;
    case 'l': asset = AssetKind::Level; return true;
    case 'a': asset = AssetKind::Array; return true;
    case 't': asset = AssetKind::TileList; return true;
    case 'F': asset = AssetKind::Function; return true;
    default: return false;
  }
}

}  // namespace tarvolin::script
