// Classifying lines and reading a command's operands by the letters of the
// command table, as the interpreter does it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "script/exec_operands.h"
#include "script/script_rig.h"

namespace tarvolin::script::test {
namespace {

class Classify : public ::testing::Test {
 protected:
  Classify() {
    tables.scripts.resize(1);
    env.tables = &tables;
    env.script = 0;
  }
  Classification Of(std::string_view text) {
    Classification c;
    ClassifyText(text, env, c);
    return c;
  }
  ScriptTables tables;
  ParseEnv env;
};

// Takes every command that is not the interpreter's own, and knows the
// assets the samples name; what it is handed is recorded.
class EveryFamily : public CommandFamily {
 public:
  std::vector<std::int32_t> last;
  bool Handles(std::int32_t command) const override { return GroupOf(command) != CommandGroup::Language; }
  void Reset() override {}
  int FindAsset(AssetKind kind, std::string_view name) const override {
    switch (kind) {
      case AssetKind::Resource: return name == "Hero" ? 0 : -1;
      case AssetKind::FontMap: return name == "Font" ? 0 : -1;
      case AssetKind::String: return name == "Title" ? 0 : -1;
      case AssetKind::Path: return name == "Orbit" ? 0 : -1;
      case AssetKind::Level: return name == "World" ? 0 : -1;
      case AssetKind::TileList: return name == "Tiles" ? 0 : -1;
      case AssetKind::Array: return name == "Enemies" ? 0 : -1;
      default: return -1;
    }
  }
  int FindArrayElement(int array, std::string_view element) const override {
    return array == 0 && element == "hp" ? 0 : -1;
  }
  bool Execute(std::int32_t, const std::int32_t* p, int count, std::int32_t*, int& outCount,
               ErrorState&) override {
    last.assign(p, p + count);
    outCount = 0;
    return true;
  }
};

// A game whose main script is `body` (and a function Jump for the samples
// to name), run for one frame; `error` is 0 when it ran.
struct Ran {
  std::unique_ptr<ScriptRig> game;
  ErrorCode error = 0;
};
Ran RunGame(const std::string& body, EveryFamily* family = nullptr) {
  Ran r;
  r.game = std::make_unique<ScriptRig>(body + "\nReturn\nFunction Jump 0\nReturn\n");
  if (family) r.game->interp.setFamily(family);
  r.error = r.game->run() ? 0 : r.game->error();
  return r;
}
ErrorCode ErrorOf(const std::string& body, EveryFamily* family = nullptr) { return RunGame(body, family).error; }

}  // namespace

TEST_F(Classify, LeadingVariableAndCaseDoNotChangeTheCommand) {
  for (const char* text : {"v_lv0 += 1", "V_LV0 += 1", "  V_lv0\t+= 1", "L0 += 1"}) {
    const Classification line = Of(text);
    EXPECT_EQ(line.command, cmd::AddTo) << text;
    EXPECT_TRUE(line.hasLeading) << text;
    EXPECT_EQ(line.leadingWord, MakeVariable(kVarLocal0)) << text;
  }
  EXPECT_EQ(Of("ifequal 1 2").command, cmd::IfEqual);
  EXPECT_EQ(Of("IfEqual 1 2").command, cmd::IfEqual);
  const Classification line = Of("V_RV2 StringGetLength Title");
  EXPECT_EQ(line.command, cmd::StringGetLength);
  EXPECT_EQ(line.leadingWord, MakeVariable(kVarReturn0 + 2));
  EXPECT_EQ(std::string_view("V_RV2 StringGetLength Title").substr(std::size_t(line.operandStart)), " Title");
}

TEST_F(Classify, NegationFormIsFoundBeforeAssignment) {
  std::string_view text = "V_LV0 =-5";
  Classification line = Of(text);
  EXPECT_EQ(line.command, cmd::Negate);
  EXPECT_EQ(text.substr(std::size_t(line.operandStart)), "5");
  text = "V_LV0 = -5";
  line = Of(text);
  EXPECT_EQ(line.command, cmd::Assign);
  EXPECT_EQ(text.substr(std::size_t(line.operandStart)), " -5");
  EXPECT_EQ(ErrorOf("V_LV0 =-5\nV_LV1 = -5\nV_LV2 = 3\nV_LV2 =- V_LV2"), 0);
}

TEST_F(Classify, CommentsBlankLinesAndMacroCalls) {
  for (const char* text : {"", "   ", "\t\r", "; note", "   ;If 1 == 1", "V_LV0 ; only a variable"})
    EXPECT_EQ(Of(text).command, cmd::NoCommand) << '"' << text << '"';
  std::string_view text = "  %Fade 3 V_LV0";
  Classification line = Of(text);
  EXPECT_EQ(line.command, cmd::MacroCall);
  EXPECT_EQ(text.substr(std::size_t(line.operandStart)), "Fade 3 V_LV0");
  // "%=" at the start is the remainder command, not a macro call.
  line = Of("%= 3");
  EXPECT_EQ(line.command, cmd::ModuloBy);
  EXPECT_FALSE(line.hasLeading);
  EXPECT_EQ(Of("%").command, cmd::MacroCall);
  // Inside a macro body the parameters read as leading variables.
  env.inMacro = true;
  line = Of("%1 += 2");
  EXPECT_EQ(line.command, cmd::AddTo);
  EXPECT_EQ(line.leadingWord, MakeVariable(kVarMacro0 + 1));
  // ... which an assignment refuses when the call bound an immediate.
  ScriptRig bound("V_LV0 = 1\n%Add V_LV0 4\nReturn\n");
  bound.macro("Add", {"%0 += 2", "%1 += 2"}, 2);
  EXPECT_FALSE(bound.run());
  EXPECT_EQ(bound.error(), err::kLeadingImmediate);
  EXPECT_EQ(bound.local(0), 3);
  EXPECT_EQ(ErrorOf("+= 2"), err::kLeadingVariableExpected);
}

TEST_F(Classify, UnknownWordsAndFailedLeadingVariables) {
  EXPECT_EQ(Of("Foo 1 2").command, cmd::UndefinedCommand);
  // An immediate is no leading variable: the line has no command.
  Classification line = Of("5 += 1");
  EXPECT_EQ(line.command, cmd::UndefinedCommand);
  EXPECT_FALSE(line.hasLeading);
  // A G_ name missing from the set keeps its error for the executor.
  line = Of("G_SCORE += 1");
  EXPECT_EQ(line.command, cmd::UndefinedCommand);
  EXPECT_EQ(line.leadingError, 38);
  EXPECT_EQ(Of("G_VAR03 += 1").command, cmd::AddTo);
  // Classifying leaves the interpreter's current error alone.
  ScriptRig g("-V_LV0 = 1\nG_SCORE = 1\n");
  EXPECT_FALSE(g.preprocess());  // opens the script; its first line has no command
  g.interp.errors().SetError(7);
  ScriptLine first, second;
  g.interp.ClassifyCached(0, first, 0);
  g.interp.ClassifyCached(0, second, 1);
  EXPECT_EQ(g.interp.errors().GetError(), 7);
  EXPECT_EQ(second.command, cmd::UndefinedCommand);
}

TEST_F(Classify, OperandsByCommandKinds) {
  Ran r = RunGame("V_LV0 = 3\nIf V_LV0 >= 3\n V_LV1 = 1\nEnd");
  EXPECT_EQ(r.error, 0);
  EXPECT_EQ(r.game->local(1), 1);
  // "> =" is no operator: the lone "=" is reported as a bad operator.
  EXPECT_EQ(ErrorOf("If V_LV0 > = 3\nEnd"), 32);
  EXPECT_EQ(ErrorOf("Assert 1 < > 3"), 32);
  EXPECT_EQ(ErrorOf("If 1 < x\nEnd"), 4);
  EXPECT_EQ(ErrorOf("If V_LV0 >=3\nEnd"), 32);
  EXPECT_EQ(ErrorOf("If V_LV0\nEnd"), 2);
  // Triple operators need a third value.
  r = RunGame("If 5 >=< 1 9\n V_LV1 = 1\nEnd");
  EXPECT_EQ(r.error, 0);
  EXPECT_EQ(r.game->local(1), 1);
  EXPECT_EQ(ErrorOf("If 5 >=< 1 ; no third\nEnd"), 48);
  // Extra text after the last operand; results must be variables.
  EveryFamily family;
  EXPECT_EQ(ErrorOf("DrawSetColour 1 2 3 V_LV0 4", &family), 1);
  EXPECT_EQ(ErrorOf("DrawSetColour 1 2 3 V_LV0 ;x", &family), 0);
  EXPECT_EQ(family.last, (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(ErrorOf("DrawSetColour 1 2 3 4", &family), 10);
  // A search operator is handed over as its index.
  EXPECT_EQ(ErrorOf("Array1DFind 0 0 Enemies.hp != 3 V_LV0", &family), 0);
  EXPECT_EQ(family.last, (std::vector<std::int32_t>{0, 0, 0, kOpNotEqual, 3}));
}

TEST_F(Classify, ConditionsOfEveryForm) {
  struct Case {
    const char* condition;
    bool expected;
  } cases[] = {
      {"If V_LV0 == 7", true},
      {"If V_LV0 %= 0", false},
      {"If V_LV0 >=< 9 7", true},
      {"If V_LV0 <> 1 9", false},
      {"IfEqual V_LV0 7", true},
      {"IfLess V_LV0 7", false},
      {"IfAndEqual V_LV0 5", true},
      // The operator token of these two is read but their own applies.
      {"IfBetweenOrEqual V_LV0 == 1 9", true},
      {"IfOutside V_LV0 == 1 9", false},
  };
  for (const Case& c : cases) {
    const Ran r = RunGame(std::string("V_LV0 = 7\n") + c.condition + "\n V_LV1 = 1\nEnd");
    ASSERT_EQ(r.error, 0) << c.condition;
    EXPECT_EQ(r.game->local(1), c.expected ? 1 : 0) << c.condition;
  }
  const Ran loop = RunGame("V_LV0 = 7\nWhileLessOrEqual V_LV0 7\n V_LV0 += 1\n V_LV1 += 1\nEnd");
  ASSERT_EQ(loop.error, 0);
  EXPECT_EQ(loop.game->local(1), 1);
}

TEST_F(Classify, EveryFixedSignatureParsesFromSampleOperands) {
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
  EveryFamily family;
  int parsed = 0;
  for (const CommandInfo& info : CommandTable()) {
    const std::string_view kinds = info.operands;
    // Lines that read their own operands, and those that change the nesting.
    if (kinds == "?" || OpensBlock(info.id) || info.id == cmd::Else || info.id == cmd::ElseIf ||
        info.id == cmd::End)
      continue;
    std::string text = TakesLeadingVariable(info.id) ? std::string("V_LV0 ") + info.name : info.name;
    for (char k : kinds) {
      const char* operand = sample(k);
      ASSERT_NE(operand, nullptr) << info.name << " kind " << k;
      text += std::string(" ") + operand;
    }
    // A line at a level that does not execute is parsed, not performed.
    EXPECT_EQ(ErrorOf("If 1 == 0\n" + text + "\nEnd", &family), 0) << text;
    ++parsed;
    // One operand short is error 2 or the missing-operand error of its kind.
    if (!kinds.empty()) {
      const std::string shorter = text.substr(0, text.rfind(' '));
      EXPECT_NE(ErrorOf("If 1 == 0\n" + shorter + "\nEnd", &family), 0) << shorter;
    }
  }
  EXPECT_GT(parsed, 150);
}

TEST_F(Classify, AttributeAndAssetErrorsThroughCommands) {
  EveryFamily family;
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
      {"StringDisplay 1 2", 26},
      {"LevelSelectLayer", 2},
      {"MusicStop now", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.text, &family), c.error) << c.text;
}

}  // namespace tarvolin::script::test
