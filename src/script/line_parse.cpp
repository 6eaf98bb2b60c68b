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

bool LeadingVariable(const LineClass& line, ParseContext& ctx, OperandWord& word) {
  if (!line.hasLeadingVariable) {
    ctx.Errors().SetError(err::kLeadingVariableExpected);
    return false;
  }
  if (RefersToImmediate(line.leadingVariable, ctx.MacroParameters())) {
    ctx.Errors().SetError(err::kLeadingImmediate);
    return false;
  }
  word = line.leadingVariable;
  return true;
}

std::string_view OperandKinds(CommandId id) {
  const CommandInfo* info = FindCommandInfo(id);
  return info ? info->operands : "";
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

namespace {

// Commands whose operator may be a triple one that brings a third value.
bool TakesTripleOperator(CommandId id) {
  return id == cmd::If || id == cmd::While || id == cmd::ElseIf || id == cmd::Assert;
}

}  // namespace

bool ParseCommandOperands(CommandId id, std::string_view text, std::size_t pos, ParseContext& ctx,
                          bool checkRest, ParsedOperands& out) {
  const std::string_view kinds = OperandKinds(id);
  ParsedOperands result;
  if (kinds == "?" || !FindCommandInfo(id)) {
    ctx.Errors().SetError(err::kUnknownCommand);
    return false;
  }
  for (const char kind : kinds) {
    OperandWord word = 0;
    AttributeTable table;
    AssetKind asset;
    if (kind == 'P') {
      if (!ParseValue(text, pos, ctx, word)) return false;
    } else if (kind == 'V') {
      if (!ParseVariable(text, pos, ctx, word)) return false;
    } else if (kind == 'L' || kind == 'S') {
      int op = 0;
      if (!ParseOperator(text, pos, ctx, op)) return false;
      if (IsTripleOp(op) && kind == 'S') {
        ctx.Errors().SetError(err::kTripleOperatorInSearch);
        return false;
      }
      result.words[result.count++] = MakeImmediate(op);
      // An operator split by a blank ("> =") leaves a stray operator
      // character where the value should be: report the operator.
      const std::size_t next = skipBlanks(text, pos);
      if (next < text.size() && std::string_view("=!<>&").find(text[next]) != std::string_view::npos) {
        ctx.Errors().SetError(err::kBadOperator);
        return false;
      }
      if (IsTripleOp(op) && TakesTripleOperator(id)) {
        // The third value of >=< and <> follows the second.
        if (!ParseValue(text, pos, ctx, word)) return false;
        result.words[result.count++] = word;
        if (RestIsEmpty(text, pos)) {
          ctx.Errors().SetError(err::kOperatorNeedsTwo);
          return false;
        }
        if (!ParseValue(text, pos, ctx, word)) return false;
        result.words[result.count++] = word;
        break;  // both values after the operator are read
      }
      continue;
    } else if (kind == 'e') {
      int array = 0, element = 0;
      if (!ParseArrayElementOperand(text, pos, ctx, array, element)) return false;
      if (array > 65535 || element > 4095) {  // beyond what the word can carry
        ctx.Errors().SetError(array > 65535 ? err::kArrayVariableArrayLimit : err::kArrayVariableElementLimit);
        return false;
      }
      word = MakeArrayElementWord(array, element);
    } else if (AttributeTableOf(kind, table)) {
      int index = 0;
      if (!ParseAttribute(table, text, pos, ctx, index)) return false;
      word = MakeImmediate(index);
    } else if (AssetKindOf(kind, asset)) {
      if (!ParseAssetOperand(asset, text, pos, ctx, word)) return false;
    } else {
      ctx.Errors().SetError(err::kUnknownCommand);
      return false;
    }
    result.words[result.count++] = word;
  }
  if (checkRest && !RestIsEmpty(text, pos)) {
    ctx.Errors().SetError(err::kExtraText);
    return false;
  }
  out = result;
  return true;
}

bool EvaluateCondition(CommandId id, const ParsedOperands& operands, const VariableStore& store,
                       bool& result) {
  if (operands.count < 2) {
    if (store.errors) store.errors->SetError(err::kMissingParameters);
    return false;
  }
  std::int32_t a = 0, b = 0, c = 0;
  int op;
  const int fixed = DeprecatedOperator(id);
  if (fixed >= 0) {
    op = fixed;
    // IfBetweenOrEqual and IfOutside carry an operator token after P1.
    const bool token = id == cmd::IfBetweenOrEqual || id == cmd::IfOutside;
    if (operands.count < (token ? 4 : 2)) return false;
    if (!EvaluateOperand(operands.words[0], store, a)) return false;
    if (!EvaluateOperand(operands.words[token ? 2 : 1], store, b)) return false;
    if (token && !EvaluateOperand(operands.words[3], store, c)) return false;
  } else {
    if (operands.count < 3) return false;
    op = ImmediateValue(operands.words[1]);
    if (!EvaluateOperand(operands.words[0], store, a)) return false;
    if (!EvaluateOperand(operands.words[2], store, b)) return false;
    if (IsTripleOp(op) && (operands.count < 4 || !EvaluateOperand(operands.words[3], store, c)))
      return false;
  }
  result = Compare(op, a, b, c);
  return true;
}

}  // namespace tarvolin::script
