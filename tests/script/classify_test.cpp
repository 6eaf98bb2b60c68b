#include <gtest/gtest.h>

#include <string>

#include "script/line_parse.h"
#include "script/memory_context.h"

namespace tarvolin::script {
namespace {

class Classify : public ::testing::Test {
 protected:
  LineClass Of(std::string_view text) { return ClassifyLine(text, ctx); }
  MemoryParseContext ctx;
};

TEST_F(Classify, LeadingVariableAndCaseDoNotChangeTheCommand) {
  for (const char* text : {"v_lv0 += 1", "V_LV0 += 1", "  V_lv0\t+= 1", "L0 += 1"}) {
    const LineClass line = Of(text);
    EXPECT_EQ(line.id, cmd::AddTo) << text;
    EXPECT_TRUE(line.hasLeadingVariable) << text;
    EXPECT_EQ(line.leadingVariable, MakeVariable(kVarLocal0)) << text;
  }
  EXPECT_EQ(Of("ifequal 1 2").id, cmd::IfEqual);
  EXPECT_EQ(Of("IfEqual 1 2").id, cmd::IfEqual);
  const LineClass line = Of("V_RV2 StringGetLength Title");
  EXPECT_EQ(line.id, cmd::StringGetLength);
  EXPECT_EQ(line.leadingVariable, MakeVariable(kVarReturn0 + 2));
  EXPECT_EQ(std::string_view("V_RV2 StringGetLength Title").substr(line.operandStart), " Title");
}

TEST_F(Classify, NegationFormIsFoundBeforeAssignment) {
  std::string_view text = "V_LV0 =-5";
  LineClass line = Of(text);
  EXPECT_EQ(line.id, cmd::Negate);
  EXPECT_EQ(text.substr(line.operandStart), "5");
  text = "V_LV0 = -5";
  line = Of(text);
  EXPECT_EQ(line.id, cmd::Assign);
  EXPECT_EQ(text.substr(line.operandStart), " -5");
}

TEST_F(Classify, CommentsBlankLinesAndMacroCalls) {
  for (const char* text : {"", "   ", "\t\r", "; note", "   ;If 1 == 1", "V_LV0 ; only a variable"})
    EXPECT_EQ(Of(text).id, cmd::NoCommand) << '"' << text << '"';
  std::string_view text = "  %Fade 3 V_LV0";
  LineClass line = Of(text);
  EXPECT_EQ(line.id, cmd::MacroCall);
  EXPECT_EQ(text.substr(line.operandStart), "Fade 3 V_LV0");
  // "%=" at the start is the remainder command, not a macro call.
  line = Of("%= 3");
  EXPECT_EQ(line.id, cmd::ModuloBy);
  EXPECT_FALSE(line.hasLeadingVariable);
  EXPECT_EQ(Of("%").id, cmd::MacroCall);
  // Inside a macro body the parameters read as leading variables.
  ctx.inMacro = true;
  line = Of("%1 += 2");
  EXPECT_EQ(line.id, cmd::AddTo);
  EXPECT_EQ(line.leadingVariable, MakeVariable(kVarMacro0 + 1));
  // ... which an assignment refuses when the call bound an immediate.
  OperandWord bound[kMacroParameterCount] = {MakeVariable(kVarLocal0), MakeImmediate(4)};
  ctx.macroParameters = bound;
  OperandWord target = 0;
  EXPECT_FALSE(LeadingVariable(line, ctx, target));
  EXPECT_EQ(ctx.errors.GetError(), 37);
  EXPECT_TRUE(LeadingVariable(Of("%0 += 2"), ctx, target));
  EXPECT_EQ(target, MakeVariable(kVarMacro0));
  EXPECT_FALSE(LeadingVariable(Of("+= 2"), ctx, target));
  EXPECT_EQ(ctx.errors.GetError(), 36);
}

TEST_F(Classify, UnknownWordsAndFailedLeadingVariables) {
  EXPECT_EQ(Of("Foo 1 2").id, cmd::UndefinedCommand);
  // An immediate is no leading variable: the line has no command.
  LineClass line = Of("5 += 1");
  EXPECT_EQ(line.id, cmd::UndefinedCommand);
  EXPECT_FALSE(line.hasLeadingVariable);
  // A G_ name missing from the set keeps its error for the executor.
  line = Of("G_SCORE += 1");
  EXPECT_EQ(line.id, cmd::UndefinedCommand);
  EXPECT_EQ(line.leadingError, 38);
  EXPECT_EQ(Of("G_VAR03 += 1").id, cmd::AddTo);
  // Classification leaves the current error alone.
  ctx.errors.SetError(7);
  Of("-V_LV0 = 1");
  Of("G_SCORE = 1");
  EXPECT_EQ(ctx.errors.GetError(), 7);
}

TEST_F(Classify, OperandsByCommandKinds) {
  ParsedOperands ops;
  std::string_view text = "If V_LV0 >= 3";
  LineClass line = Of(text);
  ASSERT_TRUE(ParseCommandOperands(line.id, text, line.operandStart, ctx, false, ops));
  ASSERT_EQ(ops.count, 3);
  EXPECT_EQ(ImmediateValue(ops.words[1]), kOpGreaterOrEqual);
  // "> =" is no operator: the lone "=" is reported as a bad operator.
  text = "If V_LV0 > = 3";
  line = Of(text);
  EXPECT_FALSE(ParseCommandOperands(line.id, text, line.operandStart, ctx, false, ops));
  EXPECT_EQ(ctx.errors.GetError(), 32);
  EXPECT_FALSE(ParseCommandOperands(cmd::Assert, " 1 < > 3", 0, ctx, false, ops));
  EXPECT_EQ(ctx.errors.GetError(), 32);
  EXPECT_FALSE(ParseCommandOperands(cmd::If, " 1 < x", 0, ctx, false, ops));
  EXPECT_EQ(ctx.errors.GetError(), 4);
  text = "If V_LV0 >=3";
  EXPECT_FALSE(ParseCommandOperands(cmd::If, text, 2, ctx, false, ops));
  EXPECT_EQ(ctx.errors.GetError(), 32);
  EXPECT_FALSE(ParseCommandOperands(cmd::If, "If V_LV0", 2, ctx, false, ops));
  EXPECT_EQ(ctx.errors.GetError(), 2);
  // Triple operators need a third value.
  ASSERT_TRUE(ParseCommandOperands(cmd::If, "If 5 >=< 1 9", 2, ctx, false, ops));
  EXPECT_EQ(ops.count, 4);
  EXPECT_FALSE(ParseCommandOperands(cmd::If, "If 5 >=< 1 ; no third", 2, ctx, false, ops));
  EXPECT_EQ(ctx.errors.GetError(), 48);
  // Extra text after the last operand.
  EXPECT_FALSE(ParseCommandOperands(cmd::DrawSetColour, "DrawSetColour 1 2 3 V_LV0 4", 13, ctx, true, ops));
  EXPECT_EQ(ctx.errors.GetError(), 1);
  ASSERT_TRUE(ParseCommandOperands(cmd::DrawSetColour, "DrawSetColour 1 2 3 V_LV0 ;x", 13, ctx, true, ops));
  EXPECT_EQ(ops.count, 4);
  // Result operands must be variables.
  EXPECT_FALSE(ParseCommandOperands(cmd::DrawSetColour, "DrawSetColour 1 2 3 4", 13, ctx, true, ops));
  EXPECT_EQ(ctx.errors.GetError(), 10);
  // Search commands refuse the triple operators.
  const int table = ctx.AddArray("Enemies", {"hp", "x"});
  (void)table;
  EXPECT_FALSE(ParseCommandOperands(cmd::Array1DFind, "Array1DFind 0 0 Enemies.hp <> 3 V_LV0", 11, ctx,
                                    true, ops));
  EXPECT_EQ(ctx.errors.GetError(), 139);
  ASSERT_TRUE(ParseCommandOperands(cmd::Array1DFind, "Array1DFind 0 0 Enemies.x == 3 V_LV0", 11, ctx,
                                   true, ops));
  EXPECT_EQ(ops.count, 6);
  EXPECT_EQ(ElementOfElementWord(ops.words[2]), 1);
}

TEST_F(Classify, ConditionsOfEveryForm) {
  MemoryVariables vars;
  vars.frame[kVarLocal0] = 7;
  const VariableStore store = vars.Store();
  struct Case {
    CommandId id;
    const char* operands;
    bool expected;
  } cases[] = {
      {cmd::If, " V_LV0 == 7", true},
      {cmd::If, " V_LV0 %= 0", false},
      {cmd::If, " V_LV0 >=< 9 7", true},
      {cmd::If, " V_LV0 <> 1 9", false},
      {cmd::IfEqual, " V_LV0 7", true},
      {cmd::IfLess, " V_LV0 7", false},
      {cmd::WhileLessOrEqual, " V_LV0 7", true},
      {cmd::IfAndEqual, " V_LV0 5", true},
      // The operator token of these two is read but their own applies.
      {cmd::IfBetweenOrEqual, " V_LV0 == 1 9", true},
      {cmd::IfOutside, " V_LV0 == 1 9", false},
  };
  for (const Case& c : cases) {
    ParsedOperands ops;
    ASSERT_TRUE(ParseCommandOperands(c.id, c.operands, 0, ctx, true, ops)) << c.operands;
    bool result = !c.expected;
    ASSERT_TRUE(EvaluateCondition(c.id, ops, store, result)) << c.operands;
    EXPECT_EQ(result, c.expected) << CommandName(c.id) << c.operands;
  }
}

TEST_F(Classify, EveryFixedSignatureParsesFromSampleOperands) {
  ctx.AddAsset(AssetKind::Resource, "Hero");
  ctx.AddAsset(AssetKind::FontMap, "Font");
  ctx.AddAsset(AssetKind::String, "Title");
  ctx.AddAsset(AssetKind::Path, "Orbit");
  ctx.AddAsset(AssetKind::Level, "World");
  ctx.AddAsset(AssetKind::TileList, "Tiles");
  ctx.AddAsset(AssetKind::Function, "Jump");
  ctx.AddArray("Enemies", {"hp"});
  auto sample = [](char kind) -> const char* {
    switch (kind) {
      case 'P': return "1";
      case 'V': return "V_LV0";
      case 'L': case 'S': return "==";
      case 'r': return "Hero";
      case 'f': return "Font";
      case 's': return "Title";
      case 'p': return "Orbit";
      case 'l': return "World";
      case 'a': return "Enemies";
      case 't': return "Tiles";
      case 'F': return "Jump";
      case 'e': return "Enemies.hp";
      case 'D': return "[PageFlip]";
      case 'M': return "[SpriteX]";
      case 'B': return "[BG0Target]";
      case 'R': return "[ShearX]";
      case 'W': return "[WindowBG1]";
      case 'O': return "[Mosaic]";
      case 'T': return "[Xshear]";
      case 'm': return "[All]";
      case 'Z': return "[u16]";
      case 'C': return "[SPRITE]";
      case 'd': return "[Right]";
      default: return nullptr;
    }
  };
  int parsed = 0;
  for (const CommandInfo& info : CommandTable()) {
    const std::string_view kinds = info.operands;
    if (kinds == "?") continue;
    std::string text = info.name;
    for (char k : kinds) {
      const char* operand = sample(k);
      ASSERT_NE(operand, nullptr) << info.name << " kind " << k;
      text += std::string(" ") + operand;
    }
    const LineClass line = Of(info.id == cmd::StringGetLength ? "V_LV0 " + text : text);
    ASSERT_EQ(line.id, info.id) << text;
    ParsedOperands ops;
    const std::string full = info.id == cmd::StringGetLength ? "V_LV0 " + text : text;
    ASSERT_TRUE(ParseCommandOperands(info.id, full, line.operandStart, ctx, true, ops))
        << full << " -> " << ctx.errors.GetError();
    EXPECT_EQ(ops.count, static_cast<int>(kinds.size())) << text;
    ++parsed;
    // One operand short is error 2 or the missing-operand error of its kind.
    if (!kinds.empty()) {
      const std::string shorter = full.substr(0, full.rfind(' '));
      EXPECT_FALSE(ParseCommandOperands(info.id, shorter, line.operandStart, ctx, true, ops)) << shorter;
    }
  }
  EXPECT_GT(parsed, 160);
}

TEST_F(Classify, AttributeAndAssetErrorsThroughCommands) {
  ctx.AddAsset(AssetKind::Resource, "Hero");
  ctx.AddArray("Enemies", {"hp"});
  struct Case {
    const char* text;
    ErrorCode error;
  } cases[] = {
      {"SpriteSetAttribute 3 Xpos 1", 81},
      {"SpriteGetAttribute 3 [Speed] V_LV0", 82},
      {"RotateSetValue 0 [Xpos] 1", 82},
      {"RotateSetValue 0", 80},
      {"ArrayPeek Enemies [u32] 4 V_LV0", 154},
      {"ArrayPeek Nobody [u8] 4 V_LV0", 125},
      {"ResourcePeek Hero", 152},
      {"TileDataCycleRect [BG] [Sideways] 1 1 1 1 1 1 1 1 1", 95},
      {"PaletteGetR [FG] 1 V_LV0", 101},
      {"DisplaySetAttribute [Mode] 1", 59},
      {"DisplaySetMosaic [SpriteZ] 1", 63},
      {"DisplaySetBlendAttribute BG0Source 1", 66},
      {"DisplaySetBGRotAttribute 0 [Twist] 1", 72},
      {"DisplaySetWindowAttribute 0 [WindowBG9] 1", 77},
      {"TileMapFillRect 0 [Flip] 0 0 1 1 1", 91},
      {"Array1DSort Enemies 0 1 0", 126},
      {"Array1DSort Enemies.speed 0 1 0", 127},
      {"MusicPlay", 18},
      {"MusicPlay 3", 20},
      {"StringDisplay 1 2", 26},
      {"LevelSelectLayer", 2},
      {"MusicStop now", 1},
  };
  for (const Case& c : cases) {
    const LineClass line = Of(c.text);
    ParsedOperands ops;
    ctx.errors.Clear();
    EXPECT_FALSE(ParseCommandOperands(line.id, c.text, line.operandStart, ctx, true, ops)) << c.text;
    EXPECT_EQ(ctx.errors.GetError(), c.error) << c.text;
  }
}

}  // namespace
}  // namespace tarvolin::script
