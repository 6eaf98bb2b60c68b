// Entry points, budgets, callbacks, macros, arithmetic and debug commands.
#include <gtest/gtest.h>

#include "script/commands.h"
#include "script/script_rig.h"

namespace tarvolin::script::test {

TEST(InterpreterEntry, FirstFrameRunsInitialiseThenMain) {
  ScriptRig g("G_VAR00 += 1\nReturn\nFunction Initialise 0\nG_VAR01 = 5\nReturn\n");
  ASSERT_TRUE(g.preprocess());
  ASSERT_TRUE(g.interp.RunMainFrame(true));
  EXPECT_EQ(g.interp.globalVariable(0, 1), 5);
  EXPECT_EQ(g.interp.globalVariable(0, 0), 0);
  EXPECT_EQ(g.interp.ticks(), 1);
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_EQ(g.interp.globalVariable(0, 0), 2);
  EXPECT_EQ(g.interp.ticks(), 3);

  // Without Initialise nothing runs in the first frame; the next one runs
  // the main script from its first line.
  ScriptRig n("G_VAR00 += 1\nReturn\n");
  ASSERT_TRUE(n.preprocess());
  ASSERT_TRUE(n.interp.RunMainFrame(true));
  EXPECT_EQ(n.interp.globalVariable(0, 0), 0);
  ASSERT_TRUE(n.interp.RunMainFrame(false));
  EXPECT_EQ(n.interp.globalVariable(0, 0), 1);

  ScriptRig bad("Return\nFunction Initialise 1\nReturn\n");
  ASSERT_TRUE(bad.preprocess());
  EXPECT_FALSE(bad.interp.RunMainFrame(true));
  EXPECT_EQ(bad.error(), 41);
}

TEST(InterpreterEntry, EntryPointsWithParametersFailAtTheirDeclaration) {
  // The main run stops on its Return (line 3) before each callback fails.
  ScriptRig hb("V_LV0 = 1\nV_LV0 = 2\nReturn\n; callbacks\nFunction HBlankCB 1\nReturn\n");
  ASSERT_TRUE(hb.preprocess());
  ASSERT_TRUE(hb.interp.RunMainFrame(false));
  EXPECT_FALSE(hb.interp.RunHBlankCallback(0));
  EXPECT_EQ(hb.error(), err::kHBlankWithParameters);
  EXPECT_EQ(hb.line(), 5);
  EXPECT_FALSE(hb.interp.running());

  ScriptRig vb("V_LV0 = 1\nReturn\n\n; callback\nFunction VBlankCB 3\nReturn\n");
  ASSERT_TRUE(vb.preprocess());
  ASSERT_TRUE(vb.interp.RunMainFrame(false));
  EXPECT_FALSE(vb.interp.RunVBlankCallback());
  EXPECT_EQ(vb.error(), err::kVBlankWithParameters);
  EXPECT_EQ(vb.line(), 5);

  ScriptRig init("Return\n\n\nFunction Initialise 2\nReturn\n");
  ASSERT_TRUE(init.preprocess());
  EXPECT_FALSE(init.interp.RunMainFrame(true));
  EXPECT_EQ(init.error(), err::kInitialiseWithParameters);
  EXPECT_EQ(init.line(), 4);
  EXPECT_EQ(init.interp.currentScript(), 0);
}

TEST(InterpreterEntry, ExhaustedBudgetContinuesNextFrame) {
  ScriptRig g("While V_LV0 < 15000\n V_LV0 += 1\nEnd\nG_VAR00 += 1\nReturn\n");
  ASSERT_TRUE(g.preprocess());
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_TRUE(g.interp.running());
  EXPECT_TRUE(g.interp.outOfBudget());
  EXPECT_EQ(g.interp.ticks(), 0);
  // Callbacks are skipped while the main run is unfinished.
  EXPECT_TRUE(g.interp.RunVBlankCallback());
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_FALSE(g.interp.running());
  EXPECT_EQ(g.interp.globalVariable(0, 0), 1);
  EXPECT_EQ(g.local(0), 15000);
  EXPECT_EQ(g.interp.ticks(), 1);
}

TEST(InterpreterEntry, CallbackBudgetsAndParameters) {
  auto hblank = [](int bodyLines) {
    std::string s = "Return\nFunction HBlankCB 0\n";
    for (int i = 0; i < bodyLines; ++i) s += "G_VAR00 += V_EV0\n";
    return s + "Return\n";
  };
  // Declaration and Return count: 58 body lines make 60.
  ScriptRig ok(hblank(58));
  ASSERT_TRUE(ok.preprocess());
  ASSERT_TRUE(ok.interp.RunMainFrame(false));
  for (int line = 0; line < 160; ++line) ASSERT_TRUE(ok.interp.RunHBlankCallback(line)) << line;
  EXPECT_EQ(ok.interp.globalVariable(0, 0), 58 * (159 * 160 / 2));
  ScriptRig over(hblank(59));
  ASSERT_TRUE(over.preprocess());
  ASSERT_TRUE(over.interp.RunMainFrame(false));
  EXPECT_FALSE(over.interp.RunHBlankCallback(0));
  EXPECT_EQ(over.error(), 189);
  EXPECT_EQ(over.interp.failurePlace(), RunPlace::HBlank);

  ScriptRig hp("Return\nFunction HBlankCB 1\nReturn\n");
  ASSERT_TRUE(hp.preprocess());
  ASSERT_TRUE(hp.interp.RunMainFrame(false));
  EXPECT_FALSE(hp.interp.RunHBlankCallback(3));
  EXPECT_EQ(hp.error(), err::kHBlankWithParameters);
  ScriptRig vp("Return\nFunction VBlankCB 2\nReturn\n");
  ASSERT_TRUE(vp.preprocess());
  ASSERT_TRUE(vp.interp.RunMainFrame(false));
  EXPECT_FALSE(vp.interp.RunVBlankCallback());
  EXPECT_EQ(vp.error(), err::kVBlankWithParameters);

  // VBlankCB has 5000 lines; an unfinished one continues in the next tick.
  ScriptRig vb("Return\nFunction VBlankCB 0\nWhile G_VAR00 < 2000\n G_VAR00 += 1\nEnd\nReturn\n");
  ASSERT_TRUE(vb.preprocess());
  ASSERT_TRUE(vb.interp.RunMainFrame(false));
  ASSERT_TRUE(vb.interp.RunVBlankCallback());
  EXPECT_TRUE(vb.interp.inVBlank());
  EXPECT_TRUE(vb.interp.outOfBudget());
  ASSERT_TRUE(vb.interp.RunVBlankCallback());
  EXPECT_FALSE(vb.interp.running());
  EXPECT_EQ(vb.interp.globalVariable(0, 0), 2000);
}

TEST(InterpreterArith, CommandsWrapAndFollowTheirRules) {
  const std::int32_t big = 2147483647;
  struct Case {
    std::int32_t command, v1, p0, p1, p2, p3, result;
  } cases[] = {
      {cmd::DivideBy, 7, 0, 0, 0, 0, 0},          {cmd::ModuloBy, 7, 0, 0, 0, 0, 0},
      {cmd::DivideBy, -7, 2, 0, 0, 0, -3},        {cmd::ModuloBy, -7, 2, 0, 0, 0, -1},
      {cmd::ShiftLeftBy, 1, 33, 0, 0, 0, 2},         {cmd::ShiftRightBy, -8, 1, 0, 0, 0, -4},
      {cmd::AddTo, big, 1, 0, 0, 0, -big - 1}, {cmd::MultiplyBy, 65536, 65536, 0, 0, 0, 0},
      {cmd::DivideBy, -big - 1, -1, 0, 0, 0, -big - 1},
      {cmd::Sqrt, 0, 17, 0, 0, 0, 4},        {cmd::Sqrt, 0, -1, 0, 0, 0, 0},
      {cmd::Sqrt, 0, big, 0, 0, 0, 46340},   {cmd::Bounce, 0, 9, 15, 0, 0, 6},
      {cmd::Bounce, 0, 5, 15, 0, 0, 5},      {cmd::Qdist, 0, 0, 0, 3, 4, 5},
      {cmd::Abs, 0, -5, 0, 0, 0, 5},         {cmd::Min, 0, 3, -2, 0, 0, -2},
      {cmd::Max, 0, 3, -2, 0, 0, 3},         {cmd::Negate, 0, 5, 0, 0, 0, -5},
      {cmd::RandomUpTo, 9, 1, 0, 0, 0, 0},       {cmd::RandomUpTo, 9, 0, 0, 0, 0, 0},
      {cmd::XorWith, 6, 3, 0, 0, 0, 5},          {cmd::OrWith, 6, 3, 0, 0, 0, 7},
      {cmd::AndWith, 6, 3, 0, 0, 0, 2},          {cmd::SubtractFrom, 1, 3, 0, 0, 0, -2},
  };
  for (const Case& c : cases) {
    const std::int32_t p[4] = {c.p0, c.p1, c.p2, c.p3};
    EXPECT_EQ(ArithResult(c.command, c.v1, p), c.result) << c.command << " " << c.v1 << " " << c.p0;
  }
  for (int i = 0; i < 200; ++i) {
    const std::int32_t neg[4] = {-5, 0, 0, 0};
    const std::int32_t r = ArithResult(cmd::RandomUpTo, 0, neg);
    EXPECT_TRUE(r <= 0 && r >= -4) << r;
  }
}

TEST(InterpreterArith, ScriptFormsAndTargets) {
  ScriptRig g(
      "V_LV0 =-5\nV_LV1 = -5\nV_LV2 = 10\nV_LV2+3 += 1\nV_LV3 = V_LV2*2\nG_VAR05 Qdist 0 0 3 4\n"
      "L4 = 0x1F\nV_LV5 = 'A'\nReturn\n");
  ASSERT_TRUE(g.run()) << g.error() << " line " << g.line();
  EXPECT_EQ(g.local(0), -5);
  EXPECT_EQ(g.local(1), -5);
  EXPECT_EQ(g.local(2), 14);  // read extended (13), stored to the plain variable
  EXPECT_EQ(g.local(3), 28);
  EXPECT_EQ(g.interp.globalVariable(0, 5), 5);
  EXPECT_EQ(g.local(4), 31);
  EXPECT_EQ(g.local(5), 65);

  ScriptRig noTarget("+= 1\nReturn\n");
  EXPECT_FALSE(noTarget.run());
  EXPECT_EQ(noTarget.error(), 36);
  // A number is no leading variable: the line has no command.
  ScriptRig immediate("5 = 1\nReturn\n");
  EXPECT_FALSE(immediate.preprocess());
}

TEST(InterpreterDebug, AssertAndLog) {
  ScriptRig g("V_LV0 = 42\nLog \"v=%d hex=%04X\" V_LV0 255\nAssert V_LV0 == 42\nAssert V_LV0 < 3\nReturn\n");
  EXPECT_FALSE(g.run());
  EXPECT_EQ(g.error(), 185);
  EXPECT_EQ(g.line(), 4);
  EXPECT_EQ(g.notes(), "v=42 hex=00FF\n");

  const char* bad[] = {
      "Log \"%d %d %d %d %d %d %d %d %d\" 1 2 3 4 5 6 7 8 9\nReturn\n",  // nine values
      "Log no quotes 1\nReturn\n",
      "Log \"%s\" 1\nReturn\n",        // only integer conversions
      "Log \"%d %d\" 1\nReturn\n",     // more conversions than values
      "Log \"%n\" 1\nReturn\n",
  };
  for (const char* script : bad) {
    ScriptRig b(script);
    EXPECT_FALSE(b.run()) << script;
    EXPECT_EQ(b.error(), 186) << script;
    EXPECT_TRUE(b.host.notes.empty()) << script;
  }
}

TEST(InterpreterDebug, InputValuesReachScripts) {
  ScriptRig g("V_LV0 = F_IsButtonHeldButtonA\nV_LV1 = F_GetButtonHeld\nReturn\n");
  InputStub input;
  input.values[80 + 20 + 0] = 1;
  input.values[80 + 50] = 9;
  g.interp.setInput(&input);
  ASSERT_TRUE(g.run()) << g.error();
  EXPECT_EQ(g.local(0), 1);
  EXPECT_EQ(g.local(1), 9);
}

TEST(InterpreterMacros, ParametersAndErrors) {
  ScriptRig g("V_LV0 = 3\n%AddTwice V_LV0 5\nReturn\n");
  g.macro("AddTwice", {"%0 += %1", "%0 += %1"}, 2);
  ASSERT_TRUE(g.run()) << g.error();
  EXPECT_EQ(g.local(0), 13);

  ScriptRig count("%AddTwice V_LV0\nReturn\n");
  count.macro("AddTwice", {"%0 += %1"}, 2);
  EXPECT_FALSE(count.run());
  EXPECT_EQ(count.error(), 175);

  ScriptRig undefinedLine("%M\nReturn\n");
  undefinedLine.macro("M", {"V_LV0 = 1", "Frobnicate 1"}, 0);
  EXPECT_FALSE(undefinedLine.run());
  EXPECT_EQ(undefinedLine.error(), 171);
  std::string detail;
  ASSERT_TRUE(undefinedLine.interp.errors().ErrorDetail(detail));
  EXPECT_EQ(detail, "Error en la macro, línea 1");
  EXPECT_EQ(undefinedLine.local(0), 1);

  ScriptRig refused("%M\nReturn\n");
  refused.macro("M", {"If 1 == 1", "End"}, 0);
  EXPECT_FALSE(refused.run());
  EXPECT_EQ(refused.error(), 172);
  ASSERT_TRUE(refused.interp.errors().ErrorDetail(detail));
  EXPECT_EQ(detail, "Error en la macro, línea 0");

  // A parameter bound to an immediate cannot be a target.
  ScriptRig target("%Set 4\nReturn\n");
  target.macro("Set", {"%0 = 1"}, 1);
  EXPECT_FALSE(target.run());
  EXPECT_EQ(target.error(), 37);
}

TEST(InterpreterDebugger, BreakpointsStepsAndEdits) {
  ScriptRig g("V_LV0 = 1\nV_LV0 = 2\nV_LV0 = 3\nReturn\n");
  ASSERT_TRUE(g.preprocess());
  g.docs.at(0).setBreakpoint(1, true);
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_TRUE(g.interp.paused());
  EXPECT_EQ(g.line(), 2);
  EXPECT_EQ(g.local(0), 1);
  // Resuming does not stop on the same breakpoint again.
  ASSERT_TRUE(g.interp.RunMainFrame(false, StepMode::StepInto));
  EXPECT_TRUE(g.interp.paused());
  EXPECT_EQ(g.local(0), 2);
  EXPECT_EQ(g.line(), 3);
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_FALSE(g.interp.running());
  EXPECT_EQ(g.local(0), 3);

  // A pause request stops at the next executable line.
  g.docs.at(0).setBreakpoint(1, false);
  g.interp.RequestPause();
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_TRUE(g.interp.paused());
  EXPECT_EQ(g.line(), 1);

  // Changing the line count while paused discards the cached lines.
  g.docs.at(0).insertLines(1, {"V_LV0 = 7"});
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_EQ(g.local(0), 3);
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_EQ(g.local(0), 3);
}

TEST(InterpreterDebugger, StackTrace) {
  ScriptRig g("Call A\nReturn\nFunction A 0\nCall B\nReturn\nFunction B 0\nReturn\n");
  ASSERT_TRUE(g.preprocess());
  g.interp.RequestStackTrace();
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_EQ(g.notes(),
            "<========= Rastreo de Pila (inicio) <============\n01:A\n02:B\n"
            "<========= Rastreo de Pila (fin) <============\n");
  EXPECT_EQ(g.host.noteLines[1], 1);
  EXPECT_EQ(g.host.noteLines[2], 4);
  g.host.notes.clear();
  ASSERT_TRUE(g.interp.RunMainFrame(false));
  EXPECT_TRUE(g.host.notes.empty());
}

}  // namespace tarvolin::script::test

namespace tarvolin::script::test {

namespace {

// DisplayGetScanLine V and SpriteSetAttribute P [AtributoSprite] P, as a
// family would carry them out.
class FakeDisplay : public CommandFamily {
 public:
  std::vector<std::int32_t> sprites;
  bool Handles(std::int32_t command) const override { return command == 112 || command == 154; }
  void Reset() override {}
  int FindAsset(AssetKind, std::string_view) const override { return -1; }
  bool Execute(std::int32_t command, const std::int32_t* p, int count, std::int32_t* out, int& outCount,
               ErrorState&) override {
    if (command == 112) {
      out[0] = 220;
      outCount = 1;
      return true;
    }
    sprites.assign(p, p + count);
    outCount = 0;
    return true;
  }
};

}  // namespace

TEST(InterpreterFamilies, OperandsReachTheFamilyExecutor) {
  ScriptRig g("DisplayGetScanLine V_LV0\nV_LV1 = 7\nSpriteSetAttribute V_LV1 [Ypos] 33\nReturn\n");
  FakeDisplay display;
  g.interp.setFamily(&display);
  ASSERT_TRUE(g.run()) << g.error();
  EXPECT_EQ(g.local(0), 220);
  EXPECT_EQ(display.sprites, (std::vector<std::int32_t>{7, 1, 33}));

  // Without a family the command does not exist in this program.
  ScriptRig none("DisplayGetScanLine V_LV0\nReturn\n");
  EXPECT_FALSE(none.run());
  EXPECT_EQ(none.error(), 3);

  // A malformed family line fails where it is passed over, too.
  ScriptRig skipped("If 1 == 0\n SpriteSetAttribute 0 [Ypos] V_QQ\nEnd\nReturn\n");
  skipped.interp.setFamily(&display);
  EXPECT_FALSE(skipped.run());
  EXPECT_EQ(skipped.error(), 4);
  EXPECT_EQ(skipped.line(), 2);

  ScriptRig split("If 1 > = 2\nEnd\nReturn\n");
  EXPECT_FALSE(split.run());
  EXPECT_EQ(split.error(), 32);
}

}  // namespace tarvolin::script::test

#include "script/command_families.h"

namespace tarvolin::script::test {

namespace {

// MusicPlay with a resource operand: counts the name lookups (made when a
// line is parsed) and the plays (made each time it runs).
class CountingSound : public CommandFamily {
 public:
  mutable int lookups = 0;
  std::vector<std::int32_t> played;
  bool Handles(std::int32_t command) const override { return command == cmd::MusicPlay; }
  void Reset() override {}
  int FindAsset(AssetKind kind, std::string_view name) const override {
    if (kind != AssetKind::Resource) return -1;
    ++lookups;
    return name == "Song" ? 2 : -1;
  }
  bool Execute(std::int32_t, const std::int32_t* p, int, std::int32_t*, int& outCount,
               ErrorState&) override {
    played.push_back(p[0]);
    outCount = 0;
    return true;
  }
};

}  // namespace

TEST(InterpreterMacros, BodiesAreParsedOnceAndBoundAtEachCall) {
  // Three calls: the body's names are looked up once, the parameter follows
  // each call's operand.
  ScriptRig g("%Play V_LV0\n%Play V_LV1\n%Play V_LV0\nReturn\n");
  g.macro("Play", {"MusicPlay Song", "%0 += 1"}, 1);
  CountingSound sound;
  g.interp.setFamily(&sound);
  ASSERT_TRUE(g.run()) << g.error();
  EXPECT_EQ(g.local(0), 2);
  EXPECT_EQ(g.local(1), 1);
  EXPECT_EQ(sound.played, (std::vector<std::int32_t>{2, 2, 2}));
  EXPECT_EQ(sound.lookups, 1);

  // A later call that binds an immediate where a variable is written fails
  // as the first call would have: 37 for the target, 10 for a result.
  ScriptRig target("%Set V_LV0\n%Set 4\nReturn\n");
  target.macro("Set", {"%0 = 1"}, 1);
  EXPECT_FALSE(target.run());
  EXPECT_EQ(target.error(), err::kLeadingImmediate);
  EXPECT_EQ(target.local(0), 1);
  EXPECT_EQ(target.line(), 2);

  ScriptRig result("%Scan V_LV0\n%Scan 3\nReturn\n");
  result.macro("Scan", {"DisplayGetScanLine %0"}, 1);
  FakeDisplay display;
  result.interp.setFamily(&display);
  EXPECT_FALSE(result.run());
  EXPECT_EQ(result.error(), err::kVariableExpected);
  EXPECT_EQ(result.local(0), 220);

  // A global's name means the calling script's set: the same body adds to
  // the main script's G_VAR01 and then to the other script's.
  ScriptRig sets("ExternScript \"other\"\nExternFunction \"other\" Bump\n"
                 "%Inc\nCall Bump\n%Inc\nReturn\n");
  sets.file("other.txt", "ApplyGlobalSet Juego\nReturn\nFunction Bump 0\n%Inc\nReturn\n");
  GlobalSet game = DefaultGlobalSet();
  game.name = "Juego";
  sets.input.globalSets = {DefaultGlobalSet(), game};
  sets.macro("Inc", {"G_VAR01 += 1"}, 0);
  ASSERT_TRUE(sets.run()) << sets.notes() << sets.error();
  EXPECT_EQ(sets.interp.globalVariable(0, 1), 2);
  EXPECT_EQ(sets.interp.globalVariable(1, 1), 1);
}

TEST(InterpreterFamilies, AFamilyAddedLaterIsFound) {
  ScriptRig g("DisplayGetScanLine V_LV0\nReturn\n");
  CommandFamilies families;
  g.interp.setFamily(&families);
  FakeDisplay display;
  families.Add(&display);  // after the composite was handed to the interpreter
  ASSERT_TRUE(g.run()) << g.error();
  EXPECT_EQ(g.local(0), 220);
}

}  // namespace tarvolin::script::test
