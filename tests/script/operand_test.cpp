#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "script/memory_context.h"
#include "script/operand.h"
#include "script/operand_parse.h"

namespace tarvolin::script {
namespace {

class Operands : public ::testing::Test {
 protected:
  Operands() {
    ctx.AddDefinition("SPEED", 12);
    ctx.AddDefinition("ZERO", 0);
    ctx.globalNames[3] = "G_SCORE";
    table = ctx.AddArray("Table", {"Item", "Other"});
    ctx.AddArray("ERAM", {"u8", "s8", "u16", "s16"}, true);
    ctx.AddAsset(AssetKind::String, "Title");
    ctx.AddAsset(AssetKind::String, "Credits");
    ctx.AddAsset(AssetKind::Resource, "Hero");
    ctx.AddAsset(AssetKind::Level, "World1");
    ctx.AddAsset(AssetKind::Function, "Jump");
    vars.AddArray(2, 8);
  }

  // Parses one value; returns the error (0 on success) and the value read.
  ErrorCode Value(std::string_view text, std::int32_t* value = nullptr, std::size_t* end = nullptr) {
    std::size_t pos = 0;
    OperandWord word = 0;
    ctx.errors.Clear();
    if (!ParseValue(text, pos, ctx, word)) {
      EXPECT_EQ(pos, 0u) << "position moved on failure: " << text;
      return ctx.errors.GetError();
    }
    if (end) *end = pos;
    std::int32_t v = 0;
    EXPECT_TRUE(EvaluateOperand(word, vars.Store(), v)) << text;
    if (value) *value = v;
    return 0;
  }
  // Parses one value without evaluating it.
  ErrorCode ParseOnly(std::string_view text) {
    std::size_t pos = 0;
    OperandWord word = 0;
    ctx.errors.Clear();
    return ParseValue(text, pos, ctx, word) ? 0 : ctx.errors.GetError();
  }
  std::int32_t Eval(std::string_view text) {
    std::int32_t v = -99999;
    EXPECT_EQ(Value(text, &v), 0) << text;
    return v;
  }

  MemoryParseContext ctx;
  MemoryVariables vars;
  int table = 0;
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
  std::size_t end = 0;
  EXPECT_EQ(Value("  42 rest", nullptr, &end), 0);
  EXPECT_EQ(end, 4u);
  EXPECT_EQ(Value("7;comment", nullptr, &end), 0);
  EXPECT_EQ(end, 1u);
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
  // The immediate-only parser used for definition values.
  std::size_t pos = 0;
  std::int32_t v = 0;
  ASSERT_TRUE(ParseImmediateOperand(" #SPEED*2 ; doubled", pos, ctx, v));
  EXPECT_EQ(v, 24);
  EXPECT_EQ(pos, 9u);
  pos = 0;
  EXPECT_FALSE(ParseImmediateOperand("V_LV0", pos, ctx, v));
  EXPECT_EQ(ctx.errors.GetError(), 4);
  EXPECT_FALSE(ParseImmediateOperand("#LATER", pos, ctx, v));
  EXPECT_EQ(ctx.errors.GetError(), 45);
  EXPECT_FALSE(ParseImmediateOperand("  ", pos, ctx, v));
  EXPECT_EQ(ctx.errors.GetError(), 2);
}

TEST_F(Operands, FrameVariablesAndGlobals) {
  vars.frame[kVarLocal0 + 5] = 11;
  vars.frame[kVarReturn0 + 1] = 22;
  vars.frame[kVarArgument0 + 3] = 33;
  vars.globals[3] = 44;
  vars.globals[31] = 55;
  EXPECT_EQ(Eval("V_LV5"), 11);
  EXPECT_EQ(Eval("v_rv1"), 22);
  EXPECT_EQ(Eval("V_EV3"), 33);
  EXPECT_EQ(Eval("L5"), 11);
  EXPECT_EQ(Eval("R1"), 22);
  EXPECT_EQ(Eval("E3"), 33);
  EXPECT_EQ(Eval("P3"), 33);
  EXPECT_EQ(Eval("G_SCORE"), 44);
  EXPECT_EQ(Eval("g_ticks"), 55);
  EXPECT_EQ(Value("G_LIVES"), 38);
  EXPECT_EQ(Value("V_LV6"), 4);
  EXPECT_EQ(Value("V_EV4"), 4);
  EXPECT_EQ(Value("L6"), 4);
  EXPECT_EQ(Value("V_LV0x"), 4);
  EXPECT_EQ(Value("-V_LV0"), 50);
  EXPECT_EQ(Value("-G_SCORE"), 50);
  EXPECT_EQ(Value("-F_GetButtonHeld"), 50);
}

TEST_F(Operands, ExtendedVariables) {
  vars.frame[kVarLocal0] = 10;
  vars.globals[3] = 6;
  EXPECT_EQ(Eval("V_LV0+7"), 17);
  EXPECT_EQ(Eval("V_LV0-12"), -2);
  EXPECT_EQ(Eval("V_LV0*3"), 30);
  EXPECT_EQ(Eval("V_LV0&2"), 2);
  EXPECT_EQ(Eval("G_SCORE*32"), 192);
  EXPECT_EQ(Eval("V_LV0+0"), 10);
  EXPECT_EQ(Eval("V_LV0-0"), 10);
  EXPECT_EQ(Eval("V_LV0*0"), 0);
  EXPECT_EQ(Eval("V_LV0&0"), 0);
  EXPECT_EQ(Value("V_LV0+33"), 56);
  EXPECT_EQ(Value("V_LV0^2"), 54);
  EXPECT_EQ(Value("V_LV0/2"), 54);
  EXPECT_EQ(Value("V_LV0+"), 55);
  EXPECT_EQ(Value("V_LV0+2x"), 55);
  // Wrapping, not undefined behaviour, at the edges.
  vars.frame[kVarLocal0] = INT32_MAX;
  EXPECT_EQ(Eval("V_LV0+1"), INT32_MIN);
  // Writing through an extended variable writes the plain one.
  std::size_t pos = 0;
  OperandWord w = 0;
  ASSERT_TRUE(ParseVariable("V_LV0+5", pos, ctx, w));
  ASSERT_TRUE(StoreToVariable(w, 3, vars.Store()));
  EXPECT_EQ(vars.frame[kVarLocal0], 3);
  // *0 is an immediate: no variable to write.
  pos = 0;
  EXPECT_FALSE(ParseVariable("V_LV0*0", pos, ctx, w));
  EXPECT_EQ(ctx.errors.GetError(), 10);
}

TEST_F(Operands, InputFunctions) {
  vars.padCurrent = 0b1001;  // A and Start held
  vars.padPrevious = 0b0011;  // A and B held before
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
  std::size_t pos = 0;
  OperandWord w = 0;
  ASSERT_TRUE(ParseVariable("F_GetButtonHeld", pos, ctx, w));
  EXPECT_TRUE(StoreToVariable(w, 5, vars.Store()));
  EXPECT_EQ(Eval("F_GetButtonHeld"), 9);
}

TEST_F(Operands, MacroParameters) {
  EXPECT_EQ(Value("%1"), 179);  // outside a macro
  ctx.inMacro = true;
  EXPECT_EQ(Value("%"), 176);
  EXPECT_EQ(Value("%x"), 176);
  EXPECT_EQ(Value("%12"), 178);
  EXPECT_EQ(Value("-%1"), 50);
  // Bound words: %0 to an immediate, %1 to a local.
  vars.frame[kVarLocal0 + 2] = 70;
  vars.inMacro = true;
  vars.macroParameters[0] = MakeImmediate(-4);
  vars.macroParameters[1] = MakeVariable(kVarLocal0 + 2);
  ctx.macroParameters = vars.macroParameters.data();
  EXPECT_EQ(Eval("%0"), -4);
  EXPECT_EQ(Eval("%1"), 70);
  std::size_t pos = 0;
  OperandWord w = 0;
  EXPECT_FALSE(ParseVariable("%0", pos, ctx, w));
  EXPECT_EQ(ctx.errors.GetError(), 10);
  ASSERT_TRUE(ParseVariable("%1", pos, ctx, w));
  ASSERT_TRUE(StoreToVariable(w, 9, vars.Store()));
  EXPECT_EQ(vars.frame[kVarLocal0 + 2], 9);
  EXPECT_TRUE(RefersToImmediate(MakeVariable(kVarMacro0), vars.macroParameters.data()));
  // Storing to a parameter bound to an immediate fails instead of writing.
  ErrorState& errs = vars.errors;
  EXPECT_FALSE(StoreToVariable(MakeVariable(kVarMacro0), 1, vars.Store()));
  EXPECT_EQ(errs.GetError(), 10);
  // While a body is only checked (nothing bound), parameters parse freely.
  ctx.macroParameters = nullptr;
  pos = 0;
  EXPECT_TRUE(ParseVariable("%0", pos, ctx, w));
}

TEST_F(Operands, ArrayElementVariables) {
  vars.arrays[0].elements[0] = {10, 11, 12, 13, 14, 15, 16, 17};
  vars.frame[kVarLocal0] = 3;
  vars.globals[3] = 6;
  EXPECT_EQ(Eval("Table.Item"), 10);
  EXPECT_EQ(Eval("table.item[2]"), 12);
  EXPECT_EQ(Eval("Table.Item[V_LV0]"), 13);
  EXPECT_EQ(Eval("Table.Item[V_LV0+4]"), 17);
  EXPECT_EQ(Eval("Table.Item[V_LV0-3]"), 10);
  EXPECT_EQ(Eval("Table.Item[G_SCORE]"), 16);
  EXPECT_EQ(Eval("Table.Item[#SPEED-5]"), 17);
  EXPECT_EQ(Value("Table.Item[1024]"), 148);
  EXPECT_EQ(Value("Table.Item[-1]"), 148);
  EXPECT_EQ(Value("Table.Item[V_LV0+5]"), 147);
  EXPECT_EQ(Value("Table.Item[V_LV0*2]"), 147);
  EXPECT_EQ(Value("Table.Item[V_LV0+12]"), 147);
  EXPECT_EQ(Value("Table.Item[F_GetButtonPressed]"), 149);
  EXPECT_EQ(Value("Table.Item[Table.Other]"), 149);
  EXPECT_EQ(Value("Table.Item[3"), 144);
  EXPECT_EQ(Value("Table.Item[3]x"), 144);
  EXPECT_EQ(Value("Table.Item[]"), 144);
  EXPECT_EQ(Value("Table.Item[G_NONE]"), 38);
  // Run-time failures: index beyond the length, a 2D array.
  std::int32_t v = 0;
  std::size_t pos = 0;
  OperandWord w = 0;
  ASSERT_TRUE(ParseValue("Table.Item[8]", pos, ctx, w));
  EXPECT_FALSE(EvaluateOperand(w, vars.Store(), v));
  EXPECT_EQ(vars.errors.GetError(), 151);
  vars.frame[kVarLocal0] = -5;
  pos = 0;
  ASSERT_TRUE(ParseValue("Table.Item[V_LV0+1]", pos, ctx, w));
  EXPECT_FALSE(EvaluateOperand(w, vars.Store(), v));
  EXPECT_EQ(vars.errors.GetError(), 151);
  vars.arrays[0].oneDimensional = false;
  pos = 0;
  ASSERT_TRUE(ParseValue("Table.Other", pos, ctx, w));
  EXPECT_FALSE(EvaluateOperand(w, vars.Store(), v));
  EXPECT_EQ(vars.errors.GetError(), 150);
  // Writing: through the variable, and refused for a read-only table.
  vars.arrays[0].oneDimensional = true;
  ASSERT_TRUE(StoreToVariable(w, 77, vars.Store()));
  EXPECT_EQ(vars.arrays[0].elements[1][0], 77);
  vars.arrays[0].readOnly = true;
  EXPECT_FALSE(StoreToVariable(w, 78, vars.Store()));
  EXPECT_EQ(vars.errors.GetError(), 137);
  EXPECT_EQ(vars.arrays[0].elements[1][0], 77);
}

TEST_F(Operands, ArrayLimitsOfElementVariables) {
  char name[16];
  for (int i = 0; i < 300; ++i) {
    std::snprintf(name, sizeof name, "A%d", i);
    ctx.AddArray(name, {"e"});
  }
  std::vector<std::string> many;
  for (int i = 0; i < 300; ++i) {
    std::snprintf(name, sizeof name, "e%d", i);
    many.push_back(name);
  }
  ctx.arrays[5].elements = many;
  EXPECT_EQ(ParseOnly("A253.e"), 0);    // array 255
  EXPECT_EQ(ParseOnly("A254.e"), 145);  // array 256
  EXPECT_EQ(ParseOnly("A3.e255"), 0);
  EXPECT_EQ(ParseOnly("A3.e256"), 146);
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
  EXPECT_EQ(Eval("Table"), 0);
  EXPECT_EQ(Value("ERAM"), 142);
  EXPECT_EQ(Value("Table.Missing"), 143);
  EXPECT_EQ(Value("Nothing"), 4);
}

TEST_F(Operands, VariablesOperatorsAndAttributes) {
  std::size_t pos = 0;
  OperandWord w = 0;
  EXPECT_FALSE(ParseVariable("  12", pos, ctx, w));
  EXPECT_EQ(ctx.errors.GetError(), 10);
  EXPECT_FALSE(ParseVariable("  ", pos, ctx, w));
  EXPECT_EQ(ctx.errors.GetError(), 2);
  int op = -1;
  pos = 0;
  ASSERT_TRUE(ParseOperator(" != 3", pos, ctx, op));
  EXPECT_EQ(op, kOpNotEqual);
  EXPECT_EQ(pos, 3u);
  pos = 0;
  EXPECT_FALSE(ParseOperator(" ; none", pos, ctx, op));
  EXPECT_EQ(ctx.errors.GetError(), 2);
  EXPECT_FALSE(ParseOperator(" =< 3", pos, ctx, op));
  EXPECT_EQ(ctx.errors.GetError(), 32);

  struct Case {
    AttributeTable table;
    const char* text;
    int index;  // or the error when negative
  } cases[] = {
      {AttributeTable::Display, "[BlankDisplay]", 4},  {AttributeTable::Display, "", -57},
      {AttributeTable::Display, "BlankDisplay", -58},  {AttributeTable::Display, "[Blank]", -59},
      {AttributeTable::Mosaic, "[spritex]", 2},        {AttributeTable::Mosaic, "[X]", -63},
      {AttributeTable::Blend, "[BackdropTarget]", 11}, {AttributeTable::Blend, "[Xpos", -66},
      {AttributeTable::BGRotation, "[OffsetY]", 5},    {AttributeTable::BGRotation, ";", -70},
      {AttributeTable::Window, "[WindowBlends]", 5},   {AttributeTable::Window, "[Xpos]", -77},
      {AttributeTable::Sprite, "[RenderLayer]", 13},   {AttributeTable::Sprite, "Xpos]", -81},
      {AttributeTable::Rotation, "[Yshear]", 3},       {AttributeTable::Rotation, "[Xpos]", -82},
      {AttributeTable::Rotation, "Xscale", -84},       {AttributeTable::Rotation, "", -80},
      {AttributeTable::TileMap, "[Palette]", 3},       {AttributeTable::TileMap, "[]", -91},
      {AttributeTable::MemSize, "[s16]", 3},           {AttributeTable::MemSize, "[u32]", -154},
      {AttributeTable::MemSize, "u8", -153},           {AttributeTable::MemSize, " ", -152},
      {AttributeTable::PaletteTarget, "[bg]", 0},      {AttributeTable::PaletteTarget, "[OBJ]", -101},
      {AttributeTable::Direction, "[Down]", 2},        {AttributeTable::Direction, "[Diagonal]", -95},
      {AttributeTable::Direction, "Down", -95},        {AttributeTable::Direction, "", -95},
  };
  for (const Case& c : cases) {
    pos = 0;
    int index = -1;
    ctx.errors.Clear();
    const bool ok = ParseAttribute(c.table, c.text, pos, ctx, index);
    if (c.index >= 0) {
      EXPECT_TRUE(ok) << c.text;
      EXPECT_EQ(index, c.index) << c.text;
    } else {
      EXPECT_FALSE(ok) << c.text;
      EXPECT_EQ(ctx.errors.GetError(), -c.index) << c.text;
    }
  }
}

TEST_F(Operands, AssetOperands) {
  struct Case {
    AssetKind kind;
    const char* text;
    int expected;  // index, or the error when negative
  } cases[] = {
      {AssetKind::String, "Credits", 1},  {AssetKind::String, "1", 1},
      {AssetKind::String, "", -26},       {AssetKind::String, "Nope", -27},
      {AssetKind::String, "2", -28},      {AssetKind::String, "G_NONE", -38},      {AssetKind::Resource, "HERO", 0},
      {AssetKind::Resource, ";", -18},    {AssetKind::Resource, "Nope", -4},
      {AssetKind::Resource, "'A'x", -162}, {AssetKind::Resource, "1", -20},
      {AssetKind::FontMap, "", -22},      {AssetKind::FontMap, "Nope", -23},
      {AssetKind::FontMap, "0", -25},     {AssetKind::TileList, "", -29},
      {AssetKind::TileList, "x", -30},    {AssetKind::TileList, "0", -31},
      {AssetKind::Path, "", -121},        {AssetKind::Path, "x", -122},
      {AssetKind::Path, "0", -123},       {AssetKind::Level, "World1", 0},
      {AssetKind::Level, "", -181},       {AssetKind::Level, "x", -182},
      {AssetKind::Level, "1", -183},      {AssetKind::Array, "ERAM", 1},
      {AssetKind::Array, "", -124},       {AssetKind::Array, "x", -125},
      {AssetKind::Array, "2", -141},      {AssetKind::Function, "jump", 0},
      {AssetKind::Function, "", -5},      {AssetKind::Function, "Fall", -5},
      {AssetKind::Function, "1", -14},    {AssetKind::Function, "-1", -1},
      // Any value whose value is the index, even another kind's name.
      {AssetKind::Level, "Title", 0},
  };
  for (const Case& c : cases) {
    std::size_t pos = 0;
    OperandWord w = 0;
    ctx.errors.Clear();
    const bool ok = ParseAssetOperand(c.kind, c.text, pos, ctx, w);
    if (c.expected >= 0 || c.kind == AssetKind::Function) {
      EXPECT_EQ(ok, c.expected >= 0 || c.expected == -1) << c.text;
      if (ok) EXPECT_EQ(ImmediateValue(w), c.expected) << c.text;
      else EXPECT_EQ(ctx.errors.GetError(), -c.expected) << c.text;
    } else {
      EXPECT_FALSE(ok) << c.text;
      EXPECT_EQ(ctx.errors.GetError(), -c.expected) << c.text;
    }
  }
  // At a non-executing level numbers are not checked.
  ctx.executing = false;
  std::size_t pos = 0;
  OperandWord w = 0;
  EXPECT_TRUE(ParseAssetOperand(AssetKind::Path, "7", pos, ctx, w));
  // A variable is checked when evaluated; inside a macro the error is 159.
  EXPECT_FALSE(CheckAssetIndex(AssetKind::Path, 7, 0, false, ctx.errors));
  EXPECT_EQ(ctx.errors.GetError(), 123);
  EXPECT_FALSE(CheckAssetIndex(AssetKind::Path, 7, 0, true, ctx.errors));
  EXPECT_EQ(ctx.errors.GetError(), 159);
  EXPECT_TRUE(CheckAssetIndex(AssetKind::Function, -1, 0, false, ctx.errors));
}

TEST_F(Operands, ArrayElementOperands) {
  int array = -1, element = -1;
  std::size_t pos = 0;
  ASSERT_TRUE(ParseArrayElementOperand(" table.OTHER 5", pos, ctx, array, element));
  EXPECT_EQ(array, table);
  EXPECT_EQ(element, 1);
  EXPECT_EQ(pos, 12u);
  const OperandWord w = MakeArrayElementWord(65535, 4095);
  EXPECT_EQ(ArrayOfElementWord(w), 65535);
  EXPECT_EQ(ElementOfElementWord(w), 4095);
  for (auto [text, error] : {std::pair{"Table", 126}, {"Table.", 126}, {".Item", 126}, {"Table.Item[1]", 126},
                             {"", 126}, {"Nope.Item", 125}, {"Table.Nope", 127}}) {
    pos = 0;
    EXPECT_FALSE(ParseArrayElementOperand(text, pos, ctx, array, element)) << text;
    EXPECT_EQ(ctx.errors.GetError(), error) << text;
  }
}

}  // namespace
}  // namespace tarvolin::script
