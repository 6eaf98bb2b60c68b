// Operands as scripts read them: each value is assigned to a global by a main
// script with the project's definitions, global names, assets and a
// function, and read back after the frame; operands of the commands that
// families carry out reach a recording family. Reading and writing array
// element variables is tested with the array commands
// (tests/commands/exec_arrays_test.cpp).
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "common/text.h"
#include "script/input.h"
#include "script/operand.h"
#include "script/operand_parse.h"
#include "script/script_rig.h"

namespace tarvolin::script::test {
namespace {

// The names a project gives its assets, as its command families know them:
// strings, a resource, a level, an array with two elements, a memory array,
// and arrays A0..A299 whose A5 has elements e0..e299. It takes every command
// the language leaves to families and records the values it is handed.
class ProjectNames : public CommandFamily {
 public:
  std::vector<std::int32_t> last;
  bool Handles(std::int32_t command) const override { return GroupOf(command) != CommandGroup::Language; }
  void Reset() override {}
  int FindAsset(AssetKind kind, std::string_view name) const override {
    auto is = [&](const char* wanted) { return equalsIgnoreCase(name, wanted); };
    switch (kind) {
      case AssetKind::String: return is("Title") ? 0 : is("Credits") ? 1 : -1;
      case AssetKind::Resource: return is("Hero") ? 0 : -1;
      case AssetKind::Level: return is("World1") ? 0 : -1;
      case AssetKind::Array:
        if (is("Table")) return 0;
        if (is("ERAM")) return 1;
        return Numbered(name, 'A');
      default: return -1;
    }
  }
  bool IsSystemArray(int array) const override { return array == 1; }
  int FindArrayElement(int array, std::string_view element) const override {
    if (array == 0) return equalsIgnoreCase(element, "Item") ? 0 : equalsIgnoreCase(element, "Other") ? 1 : -1;
    if (array == 5 + 2) return Numbered(element, 'e');   // A5
    return equalsIgnoreCase(element, "e") ? 0 : -1;
  }
  bool Execute(std::int32_t, const std::int32_t* p, int count, std::int32_t*, int& outCount,
               ErrorState&) override {
    last.assign(p, p + count);
    outCount = 0;
    return true;
  }

 private:
  // "A17" -> 17 + 2 (after Table and ERAM) for arrays, "e17" -> 17 for elements.
  static int Numbered(std::string_view name, char letter) {
    if (name.size() < 2 || name[0] != letter) return -1;
    int n = 0;
    for (char c : name.substr(1)) {
      if (c < '0' || c > '9') return -1;
      n = n * 10 + (c - '0');
    }
    if (n >= 300) return -1;
    return letter == 'A' ? n + 2 : n;
  }
};

// The game pad as the interpreter reads it.
class PadInput : public InputSource {
 public:
  PadState pad;
  std::int32_t inputValue(int number) override { return InputVariableValue(pad, number); }
};

constexpr int kResult = 5;  // G_RESULT, the global each value goes to

// `line` with its "@" replaced by `operand`; an operand that is only blanks
// or a comment is missing, so the line ends there.
std::string WithOperand(std::string line, const char* operand) {
  const std::size_t at = line.find('@');
  const bool missing = std::string_view(operand).find_first_not_of(" ;") == std::string_view::npos;
  return missing ? line.substr(0, at) + operand : line.replace(at, 1, operand);
}

class Operands : public ::testing::Test {
 protected:
  Operands() {
    names.names[3] = "G_SCORE";
    names.names[kResult] = "G_RESULT";
  }

  // Runs `setup`, then "G_RESULT = <text>"; the error (0: none) and the value.
  ErrorCode Value(const std::string& text, std::int32_t* value = nullptr, const std::string& setup = "") {
    ScriptRig g("##SPEED 12\n##ZERO 0\n" + setup + "G_RESULT = " + text +
                "\nReturn\nFunction Jump 0\nReturn\n");
    g.input.globalSets = {names};
    for (const auto& [name, body, params] : macros) g.macro(name, body, params);
    g.interp.setFamily(&project);
    g.interp.setInput(&input);
    if (!g.run()) {
      EXPECT_NE(g.error(), 0) << text << "\n" << g.notes();
      return g.error();
    }
    if (value) *value = g.interp.globalVariable(0, kResult);
    return 0;
  }
  // Parses "G_RESULT = <text>" at a level that does not execute; the error.
  ErrorCode ParseError(const std::string& text) { return Value("0", nullptr, "If 1 == 0\nG_RESULT = " + text + "\nEnd\n"); }
  std::int32_t Eval(const std::string& text, const std::string& setup = "") {
    std::int32_t v = -99999;
    EXPECT_EQ(Value(text, &v, setup), 0) << text;
    return v;
  }
  // Runs one line after `setup`; its error (0: none) and the script's locals.
  ErrorCode Line(const std::string& line, const std::string& setup = "", std::int32_t* l0 = nullptr,
                 const std::string& tail = "") {
    ScriptRig g("##SPEED 12\n" + setup + line + "\nReturn\n" + tail);
    g.input.globalSets = {names};
    for (const auto& [name, body, params] : macros) g.macro(name, body, params);
    g.interp.setFamily(&project);
    g.interp.setInput(&input);
    const bool ok = g.run();
    if (l0) *l0 = g.local(0);
    return ok ? 0 : g.error();
  }

  GlobalSet names = DefaultGlobalSet();
  ProjectNames project;
  PadInput input;
  struct MacroText {
    std::string name;
    std::vector<std::string> body;
    int params;
  };
  std::vector<MacroText> macros;
};

TEST_F(Operands, WordEncodingRoundTrips) {
  for (std::int32_t v : {0, 1, -1, 15, 16, -16, 4095, 4096, -4096, 123456, kMaxImmediate, -kMaxImmediate}) {
    const OperandWord w = MakeImmediate(v);
    EXPECT_TRUE(IsImmediate(w));
    EXPECT_EQ(ImmediateValue(w), v);
  }
  // The smallest class is chosen.
  EXPECT_EQ((MakeImmediate(15) >> 5) & 3u, 1u);
  EXPECT_EQ((MakeImmediate(4095) >> 5) & 3u, 2u);
  EXPECT_EQ((MakeImmediate(4096) >> 5) & 3u, 3u);
  for (std::uint32_t n : {0u, 13u, 31u, 32u, 51u, 179u, 256u, 256u + 0x7FFFFFFu}) {
    const OperandWord w = MakeVariable(n);
    EXPECT_TRUE(IsVariable(w));
    EXPECT_FALSE(IsExtended(w)) << n;
    EXPECT_EQ(VariableNumber(w), n);
  }
  const OperandWord x = MakeExtended(51, kExtendAnd, 32);
  EXPECT_TRUE(IsExtended(x));
  EXPECT_EQ(VariableNumber(x), 51u);
  EXPECT_EQ(ExtendedOperator(x), kExtendAnd);
  EXPECT_EQ(ExtendedAmount(x), 32);
  EXPECT_TRUE(IsMacroParameterWord(MakeVariable(kVarMacro0 + 9)));
  EXPECT_FALSE(IsMacroParameterWord(MakeVariable(kVarMacro0 + 10)));
  EXPECT_FALSE(IsMacroParameterWord(MakeImmediate(kVarMacro0)));
  ArrayRef r;
  r.array = 255;
  r.element = 254;
  r.indexIsVariable = true;
  r.indexVariable = 61;
  r.offset = -4;
  const ArrayRef back = UnpackArrayRef(PackArrayRef(r));
  EXPECT_EQ(back.array, 255);
  EXPECT_EQ(back.element, 254);
  EXPECT_TRUE(back.indexIsVariable);
  EXPECT_EQ(back.indexVariable, 61);
  EXPECT_EQ(back.offset, -4);
}

TEST_F(Operands, NumbersCharactersAndColours) {
  EXPECT_EQ(Eval("'A'"), 65);
  EXPECT_EQ(Eval("-'A'"), -65);
  EXPECT_EQ(Eval("{31,0,0}"), 31);
  EXPECT_EQ(Eval("{0,0,31}"), 31744);
  EXPECT_EQ(Eval("{1,2,3}"), 1 + 64 + 3072);
  EXPECT_EQ(Eval("0x1F"), 31);
  EXPECT_EQ(Eval("0x1f"), 31);
  EXPECT_EQ(Eval("0b101"), 5);
  EXPECT_EQ(Eval("31"), 31);
  EXPECT_EQ(Eval("-5"), -5);
  EXPECT_EQ(Eval("TRUE"), 1);
  EXPECT_EQ(Eval("on"), 1);
  EXPECT_EQ(Eval("false"), 0);
  EXPECT_EQ(Eval("Off"), 0);
  EXPECT_EQ(Eval("0"), 0);
  // The operand ends at a blank or a comment; anything after it is extra.
  EXPECT_EQ(Eval("  42 ; the answer"), 42);
  EXPECT_EQ(Eval("7;comment"), 7);
  EXPECT_EQ(Value("  42 rest"), err::kExtraText);
}

TEST_F(Operands, MalformedImmediates) {
  EXPECT_EQ(Value("{32,0,0}"), 165);
  EXPECT_EQ(Value("{1,2}"), 165);
  EXPECT_EQ(Value("{1, 2,3}"), 165);
  EXPECT_EQ(Value("{1,2,3}x"), 165);
  EXPECT_EQ(Value("{"), 165);
  EXPECT_EQ(Value("'A"), 162);
  EXPECT_EQ(Value("'"), 162);
  EXPECT_EQ(Value("'AB'"), 162);
  EXPECT_EQ(Value("0X1F"), 163);  // upper-case prefix is no number
  EXPECT_EQ(Value("12ab"), 163);
  EXPECT_EQ(Value("5^2"), 163);
  EXPECT_EQ(Value("0x"), 166);
  EXPECT_EQ(Value("0x1G"), 166);
  EXPECT_EQ(Value("0b"), 164);
  EXPECT_EQ(Value("0b102"), 164);
  EXPECT_EQ(Value("0b" + std::string(32, '1')), 164);
  EXPECT_EQ(Eval("0b" + std::string(28, '1')), 268435455);
  EXPECT_EQ(Value(""), 2);
  EXPECT_EQ(Value("   ; nothing"), 2);
  EXPECT_EQ(Value("- 5"), 4);
  EXPECT_EQ(Value("--5"), 4);
}

TEST_F(Operands, ImmediatesOutOfRangeAreRefused) {
  EXPECT_EQ(Eval("268435455"), 268435455);
  EXPECT_EQ(Eval("-268435455"), -268435455);
  EXPECT_EQ(Value("268435456"), 12);
  EXPECT_EQ(Value("-268435456"), 12);
  EXPECT_EQ(Value("0xFFFFFFFF"), 12);
  EXPECT_EQ(Value("99999999999999999999999"), 12);
  EXPECT_EQ(Value("268435455+1"), 12);
  EXPECT_EQ(Value("#SPEED*100000000"), 12);
  EXPECT_EQ(Value("'A'"), 0);
}

TEST_F(Operands, DefinitionsAndFolding) {
  EXPECT_EQ(Eval("#_SOUND_PARAM_CURR"), -1000000);
  EXPECT_EQ(Eval("#_TILEMAP_FLIPV"), 2048);
  EXPECT_EQ(Eval("#_col_256"), 1);
  EXPECT_EQ(Eval("-#_COL_256"), -1);
  EXPECT_EQ(Eval("#SPEED+1"), 13);
  EXPECT_EQ(Eval("#SPEED-20"), -8);
  EXPECT_EQ(Eval("#SPEED*2"), 24);
  EXPECT_EQ(Eval("#SPEED/5"), 2);
  EXPECT_EQ(Eval("#SPEED&4"), 4);
  EXPECT_EQ(Eval("#SPEED|1"), 13);
  EXPECT_EQ(Eval("#SPEED^8"), 4);
  EXPECT_EQ(Eval("#SPEED+#SPEED"), 24);
  EXPECT_EQ(Eval("#_TILEMAP_FLIPH|#_TILEMAP_FLIPV"), 3072);
  EXPECT_EQ(Eval("#SPEED-'A'"), 12 - 65);
  EXPECT_EQ(Eval("3+4"), 7);
  EXPECT_EQ(Eval("0x10*2"), 32);
  EXPECT_EQ(Eval("10/0"), 10);  // a number divided by 0 stays
  EXPECT_EQ(Eval("5--3"), 8);
  EXPECT_EQ(Value("#SPEED/0"), 49);
  EXPECT_EQ(Value("#SPEED/#ZERO"), 49);
  EXPECT_EQ(Value("#SPEED.x"), 49);
  EXPECT_EQ(Value("#SPEED+"), 49);
  EXPECT_EQ(Value("#SPEED+V_LV0"), 49);
  EXPECT_EQ(Value("#NOPE"), 45);
  EXPECT_EQ(Value("#"), 45);
  EXPECT_EQ(Value("##SPEED"), 4);
  // A definition's value takes only the immediate forms, folded, with a
  // comment after it; a later definition is not known yet.
  EXPECT_EQ(Eval("#TWICE", "##TWICE #SPEED*2 ; doubled\n"), 24);
  ScriptRig bad("##BAD V_LV0\n##EARLY #LATER\n##LATER 1\nReturn\n");
  EXPECT_FALSE(bad.preprocess());
  EXPECT_EQ(bad.notes(),
            "ERROR: No se halló el valor de la definición, o falta el entero en la línea 1\n"
            "!! Preproceso falló en línea 1 !!\n");
  for (const char* text : {"##EARLY #LATER\n##LATER 1\nReturn\n", "##EMPTY   \nReturn\n"}) {
    ScriptRig missing(text);
    EXPECT_FALSE(missing.preprocess()) << text;
  }
}

TEST_F(Operands, FrameVariablesAndGlobals) {
  const std::string setup = "V_LV5 = 11\nV_RV1 = 22\nV_EV3 = 33\nG_SCORE = 44\nG_TICKS = 55\n";
  EXPECT_EQ(Eval("V_LV5", setup), 11);
  EXPECT_EQ(Eval("v_rv1", setup), 22);
  EXPECT_EQ(Eval("V_EV3", setup), 33);
  EXPECT_EQ(Eval("L5", setup), 11);
  EXPECT_EQ(Eval("R1", setup), 22);
  EXPECT_EQ(Eval("E3", setup), 33);
  EXPECT_EQ(Eval("P3", setup), 33);
  EXPECT_EQ(Eval("G_SCORE", setup), 44);
  EXPECT_EQ(Eval("g_ticks", setup), 55);
  EXPECT_EQ(Value("G_LIVES"), 38);
  EXPECT_EQ(Value("V_LV6"), 4);
  EXPECT_EQ(Value("V_EV4"), 4);
  EXPECT_EQ(Value("L6"), 4);
  EXPECT_EQ(Value("V_LV0x"), 4);
  EXPECT_EQ(Value("-V_LV0"), 50);
  EXPECT_EQ(Value("-G_SCORE"), 50);
  EXPECT_EQ(Value("-F_GetButtonHeld"), 50);
}

TEST_F(Operands, AttributeAndAssetNamesAsValues) {
  EXPECT_EQ(Eval("[Xpos]"), 0);
  EXPECT_EQ(Eval("[Tile]"), 0);
  EXPECT_EQ(Eval("[FlipVertical]"), 10);  // the sprite table comes first
  EXPECT_EQ(Eval("[SPRITE]"), 1);
  EXPECT_EQ(Eval("[Left]"), 3);
  EXPECT_EQ(Eval("[EnableBG2]"), 7);
  EXPECT_EQ(Eval("[SpriteY]"), 3);
  EXPECT_EQ(Value("[Foo]"), 104);
  EXPECT_EQ(Value("[Xpos"), 103);
  EXPECT_EQ(Value("[WindowBG0]"), 104);  // window names are not plain values
  EXPECT_EQ(Eval("Credits"), 1);
  EXPECT_EQ(Eval("hero"), 0);
  EXPECT_EQ(Eval("World1"), 0);
  EXPECT_EQ(Eval("Jump"), 0);
  EXPECT_EQ(Eval("Table"), 0);
  EXPECT_EQ(Value("ERAM"), 142);
  EXPECT_EQ(Value("Table.Missing"), 143);
  EXPECT_EQ(Value("Nothing"), 4);
}

TEST_F(Operands, ArrayLimitsOfElementVariables) {
  EXPECT_EQ(ParseError("A253.e"), 0);    // array 255
  EXPECT_EQ(ParseError("A254.e"), 145);  // array 256
  EXPECT_EQ(ParseError("A5.e255"), 0);
  EXPECT_EQ(ParseError("A5.e256"), 146);
}

TEST_F(Operands, VariablesOperatorsAndAttributes) {
  EXPECT_EQ(Line("DebugIsKeyPressed 1   12"), err::kVariableExpected);
  EXPECT_EQ(Line("DebugIsKeyPressed 1  "), err::kMissingParameters);
  std::int32_t l0 = 0;
  EXPECT_EQ(Line("If 1 != 3\n V_LV0 = 1\nEnd", "", &l0), 0);
  EXPECT_EQ(l0, 1);
  EXPECT_EQ(Line("If 1 ; none\nEnd"), err::kMissingParameters);
  EXPECT_EQ(Line("If 1 =< 3\nEnd"), err::kBadOperator);

  // Each attribute table in a command that takes it: the index the family
  // is handed, or the table's error.
  struct Case {
    const char* line;  // "@" stands for the attribute operand
    std::size_t slot;  // where the family finds it
    const char* text;
    int index;  // or the error when negative
  } cases[] = {
      {"DisplaySetAttribute @ 1", 0, "[BlankDisplay]", 4},   {"DisplaySetAttribute @ 1", 0, "", -57},
      {"DisplaySetAttribute @ 1", 0, "BlankDisplay", -58},   {"DisplaySetAttribute @ 1", 0, "[Blank]", -59},
      {"DisplaySetMosaic @ 1", 0, "[spritex]", 2},           {"DisplaySetMosaic @ 1", 0, "[X]", -63},
      {"DisplaySetBlendAttribute @ 1", 0, "[BackdropTarget]", 11},
      {"DisplaySetBlendAttribute @ 1", 0, "[Xpos", -66},
      {"DisplaySetBGRotAttribute 0 @ 1", 1, "[OffsetY]", 5}, {"DisplaySetBGRotAttribute 0 @ 1", 1, ";", -70},
      {"DisplaySetWindowAttribute 0 @ 1", 1, "[WindowBlends]", 5},
      {"DisplaySetWindowAttribute 0 @ 1", 1, "[Xpos]", -77},
      {"SpriteSetAttribute 0 @ 1", 1, "[RenderLayer]", 13}, {"SpriteSetAttribute 0 @ 1", 1, "Xpos]", -81},
      {"RotateSetValue 0 @ 1", 1, "[Yshear]", 3},           {"RotateSetValue 0 @ 1", 1, "[Xpos]", -82},
      {"RotateSetValue 0 @ 1", 1, "Xscale", -84},           {"RotateSetValue 0 @", 1, "", -80},
      {"TileMapFillRect 0 @ 0 0 1 1 1", 1, "[Palette]", 3}, {"TileMapFillRect 0 @ 0 0 1 1 1", 1, "[]", -91},
      {"ResourcePeek Hero @ 0 V_LV0", 1, "[s16]", 3},       {"ResourcePeek Hero @ 0 V_LV0", 1, "[u32]", -154},
      {"ResourcePeek Hero @ 0 V_LV0", 1, "u8", -153},       {"ResourcePeek Hero @", 1, " ", -152},
      {"PaletteGetR @ 1 V_LV0", 0, "[bg]", 0},              {"PaletteGetR @ 1 V_LV0", 0, "[OBJ]", -101},
      {"TileDataCycleRect [BG] @ 1 1 1 1 1 1 1 1 1", 1, "[Down]", 2},
      {"TileDataCycleRect [BG] @ 1 1 1 1 1 1 1 1 1", 1, "[Diagonal]", -95},
      {"TileDataCycleRect [BG] @ 1 1 1 1 1 1 1 1 1", 1, "Down", -95},
      {"TileDataCycleRect [BG] @", 1, "", -95},
  };
  for (const Case& c : cases) {
    const std::string line = WithOperand(c.line, c.text);
    project.last.clear();
    const ErrorCode error = Line(line);
    if (c.index >= 0) {
      EXPECT_EQ(error, 0) << line;
      ASSERT_GT(project.last.size(), c.slot) << line;
      EXPECT_EQ(project.last[c.slot], c.index) << line;
    } else {
      EXPECT_EQ(error, -c.index) << line;
    }
  }
}

TEST_F(Operands, AssetOperands) {
  // Each asset kind in a command that takes it: the index the family is
  // handed, or the error. Whether an index names an asset is the family's
  // check when the command runs (tests/commands/).
  struct Case {
    const char* line;  // "@" stands for the asset operand
    std::size_t slot;  // where the family finds it
    const char* text;
    std::int32_t value;
    ErrorCode error;  // 0: `value` is handed over
  } cases[] = {
      {"StringDisplay 0 0 @", 2, "Credits", 1, 0},     {"StringDisplay 0 0 @", 2, "1", 1, 0},
      {"StringDisplay 0 0 @", 2, "", 0, 26},           {"StringDisplay 0 0 @", 2, "Nope", 0, 27},
      {"StringDisplay 0 0 @", 2, "G_NONE", 0, 38},     {"MusicPlay @", 0, "HERO", 0, 0},
      {"MusicPlay @", 0, ";", 0, 18},                  {"MusicPlay @", 0, "Nope", 0, 4},
      {"MusicPlay @", 0, "'A'x", 0, 162},              {"StringDisplaySetTarget 0 @ 0", 1, "", 0, 22},
      {"StringDisplaySetTarget 0 @ 0", 1, "Nope", 0, 23},
      {"TilelistGroupLoad @ [BG] 0 0", 0, "", 0, 29},  {"TilelistGroupLoad @ [BG] 0 0", 0, "x", 0, 30},
      {"PathGetLength @ V_LV0", 0, "", 0, 121},        {"PathGetLength @ V_LV0", 0, "x", 0, 122},
      {"LevelGetDimensionX @ V_LV0", 0, "World1", 0, 0},
      {"LevelGetDimensionX @ V_LV0", 0, "", 0, 181},   {"LevelGetDimensionX @ V_LV0", 0, "x", 0, 182},
      {"ArrayGetSize @ V_LV0", 0, "ERAM", 1, 0},       {"ArrayGetSize @ V_LV0", 0, "", 0, 124},
      {"ArrayGetSize @ V_LV0", 0, "x", 0, 125},        {"ArrayGetSize @ V_LV0", 0, "2", 2, 0},
      {"Array2DIterate Table 0 0 1 1 @", 5, "jump", 0, 0},
      {"Array2DIterate Table 0 0 1 1 @", 5, "", 0, 5},
      {"Array2DIterate Table 0 0 1 1 @", 5, "Fall", 0, 5},
      {"Array2DIterate Table 0 0 1 1 @", 5, "-1", -1, 0},
      // Any value whose value is the index, even another kind's name.
      {"LevelGetDimensionX @ V_LV0", 0, "Title", 0, 0},
  };
  for (const Case& c : cases) {
    const std::string line = WithOperand(c.line, c.text);
    project.last.clear();
    const ErrorCode error = Line(line, "", nullptr, "Function Jump 0\nReturn\n");
    EXPECT_EQ(error, c.error) << line;
    if (c.error == 0) {
      ASSERT_GT(project.last.size(), c.slot) << line;
      EXPECT_EQ(project.last[c.slot], c.value) << line;
    }
  }
}

TEST_F(Operands, ArrayElementOperands) {
  ASSERT_EQ(Line("Array1DSort  table.OTHER 5 6 0"), 0);
  EXPECT_EQ(project.last, (std::vector<std::int32_t>{0 * 4096 + 1, 5, 6, 0}));
  const OperandWord w = MakeArrayElementWord(65535, 4095);
  EXPECT_EQ(ArrayOfElementWord(w), 65535);
  EXPECT_EQ(ElementOfElementWord(w), 4095);
  for (auto [text, error] : {std::pair{"Table", 126}, {"Table.", 126}, {".Item", 126}, {"Table.Item[1]", 126},
                             {"", 126}, {"Nope.Item", 125}, {"Table.Nope", 127}}) {
    EXPECT_EQ(Line(std::string("Array1DSort ") + text + (*text ? " 0 1 0" : "")), error) << text;
  }
}

TEST_F(Operands, ExtendedVariables) {
  const std::string setup = "V_LV0 = 10\nG_SCORE = 6\n";
  EXPECT_EQ(Eval("V_LV0+7", setup), 17);
  EXPECT_EQ(Eval("V_LV0-12", setup), -2);
  EXPECT_EQ(Eval("V_LV0*3", setup), 30);
  EXPECT_EQ(Eval("V_LV0&2", setup), 2);
  EXPECT_EQ(Eval("G_SCORE*32", setup), 192);
  EXPECT_EQ(Eval("V_LV0+0", setup), 10);
  EXPECT_EQ(Eval("V_LV0-0", setup), 10);
  EXPECT_EQ(Eval("V_LV0*0", setup), 0);
  EXPECT_EQ(Eval("V_LV0&0", setup), 0);
  EXPECT_EQ(Value("V_LV0+33"), 56);
  EXPECT_EQ(Value("V_LV0^2"), 54);
  EXPECT_EQ(Value("V_LV0/2"), 54);
  EXPECT_EQ(Value("V_LV0+"), 55);
  EXPECT_EQ(Value("V_LV0+2x"), 55);
  // Wrapping, not undefined behaviour, at the edges.
  EXPECT_EQ(Eval("V_LV0+1", "V_LV0 = 0x7FFFFFF\nV_LV0 *= 16\nV_LV0 += 15\n"), INT32_MIN);
  // Writing through an extended variable writes the plain one.
  std::int32_t l0 = 0;
  EXPECT_EQ(Line("V_LV0+5 = 3", "", &l0), 0);
  EXPECT_EQ(l0, 3);
  EXPECT_EQ(Line("DebugIsKeyPressed 1 V_LV0+5", "V_LV0 = 9\n", &l0), 0);
  EXPECT_EQ(l0, 0);
  // *0 is an immediate: no variable to write.
  EXPECT_EQ(Line("DebugIsKeyPressed 1 V_LV0*0"), err::kVariableExpected);
}

TEST_F(Operands, InputFunctions) {
  input.pad.current[kButtonA] = input.pad.current[kButtonStart] = true;    // A and Start held
  input.pad.previous[kButtonA] = input.pad.previous[kButtonB] = true;      // A and B held before
  EXPECT_EQ(Eval("F_GetButtonHeld"), 9);
  EXPECT_EQ(Eval("F_GetButtonPressed"), 8);
  EXPECT_EQ(Eval("F_GetButtonReleased"), 2);
  EXPECT_EQ(Eval("F_IsButtonHeldButtonA"), 1);
  EXPECT_EQ(Eval("f_isbuttonpressedstart"), 1);
  EXPECT_EQ(Eval("F_IsButtonPressedButtonA"), 0);
  EXPECT_EQ(Eval("F_IsButtonReleasedButtonB"), 1);
  EXPECT_EQ(Eval("F_IsButtonHeldShoulderLeft"), 0);
  EXPECT_EQ(Value("F_IsButtonHeld"), 40);
  EXPECT_EQ(Value("F_IsButtonHeldPadMiddle"), 40);
  EXPECT_EQ(Value("F_GetButtonHeldX"), 40);
  EXPECT_EQ(Value("F_Wiggle"), 39);
  // Input variables can be named as results; writes to them are dropped.
  EXPECT_EQ(Eval("F_GetButtonHeld", "DebugIsKeyPressed 1 F_GetButtonHeld\n"), 9);
}

TEST_F(Operands, MacroParameters) {
  EXPECT_EQ(Value("%1"), 179);  // outside a macro
  macros = {{"Bare", {"G_RESULT = %"}, 0},
            {"Letter", {"G_RESULT = %x"}, 0},
            {"Twelve", {"G_RESULT = %12"}, 0},
            {"Minus", {"G_RESULT = -%1"}, 2},
            {"Get", {"G_RESULT = %0"}, 1},
            {"Write", {"DebugIsKeyPressed 1 %0"}, 1}};
  EXPECT_EQ(Line("%Bare"), 176);
  EXPECT_EQ(Line("%Letter"), 176);
  EXPECT_EQ(Line("%Twelve"), 178);
  EXPECT_EQ(Line("%Minus 1 2"), 50);
  // Bound words: an immediate, a local.
  EXPECT_EQ(Eval("G_RESULT", "%Get -4\n"), -4);
  EXPECT_EQ(Eval("G_RESULT", "V_LV2 = 70\n%Get V_LV2\n"), 70);
  // A result goes through the parameter to the variable it stands for, and
  // cannot go to one that stands for an immediate.
  EXPECT_EQ(Eval("V_LV2", "V_LV2 = 9\n%Write V_LV2\n"), 0);
  EXPECT_EQ(Line("%Write 4"), err::kVariableExpected);
  // A body is checked before any call binds it: writing to a parameter is
  // allowed there.
  ScriptRig checked("Return\n");
  checked.macro("Write", {"DebugIsKeyPressed 1 %0", "%1 = 2"}, 2);
  EXPECT_TRUE(checked.preprocess()) << checked.notes();
}

}  // namespace
}  // namespace tarvolin::script::test
