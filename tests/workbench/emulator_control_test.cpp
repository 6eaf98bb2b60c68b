// The emulator's run commands and frame ticks on a project opened from disk:
// what each command does to the run state, the status texts, the lines shown
// in the editor, save games and screenshots.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/temp_dir.h"
#include "project/recording_host.h"
#include "workbench/emulator_control.h"
#include "workbench/frame_variables.h"
#include "workbench/workbench.h"

namespace tarvolin::test {

namespace {

class Recorder : public EmulatorListener {
 public:
  explicit Recorder(Workbench& bench) : bench_(bench) {}
  void showExecutionLine(int document, int line) override {
    shown.push_back(name(document) + ":" + std::to_string(line));
  }
  void clearExecutionLine() override { ++cleared; }
  void errorStopped(int document, int line, const std::string& text,
                    const std::string&) override {
    errors.push_back(name(document) + ":" + std::to_string(line) + " " + text);
  }
  void activateEmulator() override { ++activations; }
  void pictureChanged() override { ++pictures; }
  std::vector<std::string> shown, errors;
  int cleared = 0, activations = 0, pictures = 0;

 private:
  std::string name(int document) {
    script::ScriptDocuments& docs = bench_.scripts().documents();
    return document >= 0 && document < docs.count() ? docs.at(document).name() : "?";
  }
  Workbench& bench_;
};

// Initialise counts in G_VAR00, every main run in G_VAR01; G_VAR06 sets a
// busy loop's length.
const char* kMain =
    "ExternFunction \"other\" Boom\n"  // 1
    "G_VAR01 += 1\n"                   // 2
    "Call Count\n"                     // 3
    "If G_VAR03 == 1\n"                // 4
    "  Call Boom\n"                    // 5
    "End\n"                            // 6
    "If G_VAR04 == 1\n"                // 7
    "  While 1 == 1\n"                 // 8
    "  End\n"                          // 9
    "End\n"                            // 10
    "G_VAR07 = G_VAR06\n"              // 11
    "While G_VAR07 > 0\n"              // 12
    "  G_VAR07 -= 1\n"                 // 13
    "End\n"                            // 14
    "Return\n"                         // 15
    "Function Initialise 0\n"          // 16
    "  G_VAR00 += 1\n"                 // 17
    "Return\n"                         // 18
    "Function Count 0\n"               // 19
    "  G_VAR02 += 1\n"                 // 20
    "Return\n";                        // 21

const char* kOther =
    "Function Boom 0\n"
    "  V_LV0 = 1\n"
    "  V_LV1 = V_QQ\n"
    "Return\n";

class Session {
 public:
  Session() {
    dir.write("game.tvp", "");
    dir.write("game/Script/main.txt", kMain);
    dir.write("game/Script/other.txt", kOther);
    control.setListener(&seen);
  }
  bool Open() {
    if (!bench.project().open(dir.file("game.tvp"), false)) return false;
    bench.scripts().Reset(std::string(TARVOLIN_SOURCE_DATA_DIR) + "/timing_database.txt");
    return true;
  }
  std::int32_t global(int i) { return bench.scripts().interpreter().globalVariable(0, i); }
  void setGlobal(int i, int v) { bench.scripts().interpreter().setGlobalVariable(0, i, v); }
  script::ScriptDocument& doc(const char* name) {
    script::ScriptDocuments& docs = bench.scripts().documents();
    return docs.at(docs.find(name));
  }
  bool noted(const std::string& text) const { return host.saw(text); }

  TempDir dir;
  RecordingHost host;
  Workbench bench{host};
  EmulatorControl control{bench};
  Recorder seen{bench};
};

}  // namespace

TEST(EmulatorControl, CommandsNeedAProject) {
  Session s;
  s.control.Run(true);
  s.control.TogglePause();
  s.control.Step();
  s.control.StepLine(script::StepMode::StepInto);
  EXPECT_FALSE(s.control.running());
  EXPECT_FALSE(s.control.SaveGame(s.dir.file("x.sav")));
  EXPECT_FALSE(s.control.LoadGame(s.dir.file("x.sav")));
  EXPECT_TRUE(s.host.boxes.empty());
  // A tick without a project shows an empty status.
  s.control.Tick();
  EXPECT_EQ(s.control.statusText(), "");
  EXPECT_EQ(s.control.Title(), "[Emulador]");
}

TEST(EmulatorControl, RunTogglesAndPauseContinuesWithoutInitialise) {
  Session s;
  ASSERT_TRUE(s.Open());
  s.control.Run(true);  // F5: preprocess, start
  EXPECT_TRUE(s.noted("<< Preproceso exitoso >>"));
  EXPECT_TRUE(s.control.running());
  EXPECT_EQ(s.control.statusText(), "<Corriendo>");
  EXPECT_EQ(s.seen.activations, 1);
  for (int i = 0; i < 3; ++i) s.control.Tick();
  EXPECT_EQ(s.global(0), 1);  // Initialise once
  EXPECT_EQ(s.global(1), 2);  // then two main runs
  s.control.PublishStatistics(60, 123);
  EXPECT_EQ(s.control.Title(), "[Emulador] <Corriendo> [60 fps, 012 cpu]");

  s.control.Run(true);  // F5 again stops
  EXPECT_FALSE(s.control.running());
  EXPECT_EQ(s.control.statusText(), "<Inactivo>");
  EXPECT_EQ(s.control.Title(), "[Emulador] <Inactivo>");
  s.control.Tick();  // a stopped game runs nothing
  EXPECT_EQ(s.global(1), 2);

  s.control.TogglePause();  // Ctrl-Space resumes where it was
  EXPECT_TRUE(s.control.running());
  s.control.Tick();
  EXPECT_EQ(s.global(0), 1);
  EXPECT_EQ(s.global(1), 3);
  s.control.TogglePause();
  EXPECT_EQ(s.control.statusText(), "<Inactivo>");

  // F5 from stopped restarts: Initialise runs again.
  s.control.Run(false);
  s.control.Tick();
  EXPECT_EQ(s.global(0), 2);
}

TEST(EmulatorControl, StepHasThreeOutcomes) {
  Session s;
  ASSERT_TRUE(s.Open());
  ASSERT_TRUE(s.control.Preprocess(false));
  // A whole frame: idle again with the tick noted.
  s.control.Step();  // Initialise
  s.control.Step();  // first main run
  EXPECT_FALSE(s.control.running());
  EXPECT_EQ(s.control.statusText(), "<Inactivo>");
  EXPECT_TRUE(s.noted("Ejecución simple, tick : 0"));
  EXPECT_TRUE(s.noted("Ejecución simple, tick : 1"));
  EXPECT_EQ(s.global(1), 1);

  // A breakpoint: the line is shown.
  s.doc("main.txt").setBreakpoint(2, true);  // Call Count
  s.control.Step();
  EXPECT_EQ(s.control.statusText(), "<Interrupción>");
  EXPECT_EQ(s.control.detail(), "<Interrupción>, línea 3");
  ASSERT_EQ(s.seen.shown.size(), 1u);
  EXPECT_EQ(s.seen.shown[0], "main.txt:3");
  EXPECT_EQ(s.global(2), 1);
  // Stepping at the breakpoint only releases it; the next step finishes
  // the frame.
  s.doc("main.txt").setBreakpoint(2, false);
  s.control.Step();
  EXPECT_FALSE(s.control.pausedAtBreak());
  EXPECT_EQ(s.global(2), 1);
  s.control.Step();
  EXPECT_EQ(s.global(2), 2);
  EXPECT_EQ(s.control.statusText(), "<Inactivo>");

  // A frame that runs out of its line budget.
  s.setGlobal(4, 1);
  s.control.Step();
  EXPECT_EQ(s.control.statusText(), "<Bucle>");
  EXPECT_EQ(s.control.detail().rfind("<Ejecución simple: Bucle infinito probablemente cerca de la línea ", 0), 0u)
      << s.control.detail();
}

TEST(EmulatorControl, BreakpointWhileRunningStopsAndF5Continues) {
  Session s;
  ASSERT_TRUE(s.Open());
  s.control.Run(true);
  s.control.Tick();  // Initialise
  s.doc("main.txt").setBreakpoint(19, true);  // G_VAR02 += 1 in Count
  s.control.Tick();
  EXPECT_TRUE(s.control.pausedAtBreak());
  EXPECT_FALSE(s.control.wantsFrames());
  EXPECT_EQ(s.control.detail(), "<Interrupción>, línea 20");
  EXPECT_EQ(s.seen.shown.back(), "main.txt:20");
  EXPECT_TRUE(s.bench.audio().IsAudioPaused() || !s.bench.audio().IsInitialised());
  s.doc("main.txt").setBreakpoint(19, false);
  const int activations = s.seen.activations;
  s.control.Run(true);  // continue, no restart, the emulator in front again
  EXPECT_TRUE(s.control.wantsFrames());
  EXPECT_EQ(s.seen.activations, activations + 1);
  EXPECT_EQ(s.control.statusText(), "<Corriendo>");
  s.control.Tick();
  EXPECT_EQ(s.global(0), 1);
  EXPECT_EQ(s.global(2), 1);

  // A breakpoint, then F5 twice: a stopped game that was paused starts
  // afresh with Initialise instead of going on with the paused run.
  s.doc("main.txt").setBreakpoint(19, true);
  s.control.Tick();
  ASSERT_TRUE(s.control.pausedAtBreak());
  s.control.TogglePause();  // stop completely
  EXPECT_FALSE(s.control.running());
  EXPECT_FALSE(s.control.pausedAtBreak());
  s.doc("main.txt").setBreakpoint(19, false);
  s.control.Run(false);
  s.control.Tick();
  EXPECT_EQ(s.global(0), 2);
}

TEST(EmulatorControl, ErrorInACalledFunctionNamesItsScriptAndLine) {
  Session s;
  ASSERT_TRUE(s.Open());
  s.control.Run(true);
  s.control.Tick();
  s.setGlobal(3, 1);
  s.control.Tick();
  EXPECT_FALSE(s.control.running());
  EXPECT_EQ(s.control.statusText(), "<Error>");
  EXPECT_EQ(s.control.detail(), "<Error de Ciclo: <No existe tal parámetro> en la línea 3");
  ASSERT_EQ(s.seen.errors.size(), 1u);
  EXPECT_EQ(s.seen.errors[0], "other.txt:3 No existe tal parámetro");
  EXPECT_TRUE(s.noted("ERROR: <No existe tal parámetro>"));

  // Without stopping on errors the status tells it and the game goes on.
  s.control.SetStopOnError(false);
  s.control.Run(false);
  s.control.Tick();
  s.control.Tick();
  EXPECT_EQ(s.control.statusText(), "<Error>");
  EXPECT_TRUE(s.control.running());
  EXPECT_EQ(s.seen.errors.size(), 1u);
  s.setGlobal(3, 0);
  s.control.Tick();
  EXPECT_EQ(s.control.statusText(), "<Corriendo>");
}

TEST(EmulatorControl, LineStepsFollowTheInterpreter) {
  Session s;
  ASSERT_TRUE(s.Open());
  // From a stopped game, step into starts it and stops before the first
  // line of Initialise's run; the line shown is the one that runs next.
  s.control.StepLine(script::StepMode::StepInto);
  EXPECT_EQ(s.control.statusText(), "<Interrupción>");
  EXPECT_EQ(s.seen.shown.back(), "main.txt:16");
  EXPECT_EQ(s.global(0), 0);
  s.control.StepLine(script::StepMode::StepInto);
  EXPECT_EQ(s.seen.shown.back(), "main.txt:17");
  s.control.StepLine(script::StepMode::RunToReturn);  // Initialise returns: frame done
  EXPECT_EQ(s.control.statusText(), "<Inactivo>");
  EXPECT_EQ(s.global(0), 1);

  // Into the main run (the extern line is passed over); step over the call.
  s.control.StepLine(script::StepMode::StepInto);
  EXPECT_EQ(s.seen.shown.back(), "main.txt:2");
  s.control.StepLine(script::StepMode::StepInto);
  EXPECT_EQ(s.seen.shown.back(), "main.txt:3");
  s.control.StepLine(script::StepMode::StepOver);
  EXPECT_EQ(s.global(2), 1);
  EXPECT_EQ(s.seen.shown.back(), "main.txt:4");

  // Run to a line: the loop goes on over frames until it gets there; then
  // run to the end of the function comes back to its caller.
  s.control.RunToLine(0, 19);  // G_VAR02 += 1
  EXPECT_TRUE(s.control.wantsFrames());
  for (int i = 0; i < 3 && !s.control.pausedAtBreak(); ++i) s.control.Tick();
  EXPECT_TRUE(s.control.pausedAtBreak());
  EXPECT_EQ(s.seen.shown.back(), "main.txt:20");
  s.control.StepLine(script::StepMode::RunToReturn);
  EXPECT_EQ(s.global(2), 2);
  EXPECT_EQ(s.seen.shown.back(), "main.txt:4");

  // While the game runs freely a line step breaks at the next line.
  s.control.Run(true);
  s.control.Tick();
  s.control.StepLine(script::StepMode::StepOver);
  EXPECT_TRUE(s.control.running());
  s.control.Tick();
  EXPECT_TRUE(s.control.pausedAtBreak());
}

TEST(EmulatorControl, SaveGamesAreWholeSramImages) {
  Session s;
  ASSERT_TRUE(s.Open());
  std::uint8_t* sram = s.bench.machine().sram();
  for (std::size_t i = 0; i < kSaveGameSize; ++i) sram[i] = std::uint8_t(i * 7 + 3);
  const std::string path = s.dir.file("partida.sav");
  ASSERT_TRUE(s.control.SaveGame(path));
  const std::string saved = TempDir::read(path);
  ASSERT_EQ(saved.size(), kSaveGameSize);
  EXPECT_EQ(std::uint8_t(saved[1000]), std::uint8_t(1000 * 7 + 3));

  std::fill(sram, sram + kSaveGameSize, 0);
  ASSERT_TRUE(s.control.LoadGame(path));
  EXPECT_EQ(sram[1000], std::uint8_t(1000 * 7 + 3));
  EXPECT_EQ(sram[kSaveGameSize - 1], std::uint8_t((kSaveGameSize - 1) * 7 + 3));

  // A short file or a missing one is refused with its message; SRAM stays.
  s.dir.write("short.sav", std::string(100, '\x55'));
  EXPECT_FALSE(s.control.LoadGame(s.dir.file("short.sav")));
  EXPECT_FALSE(s.control.LoadGame(s.dir.file("missing.sav")));
  ASSERT_EQ(s.host.boxes.size(), 2u);
  EXPECT_EQ(s.host.boxes[0], "Fallo al leer la partida guardada");
  EXPECT_EQ(sram[1000], std::uint8_t(1000 * 7 + 3));

  // A save that cannot be written says so and leaves the old file whole.
  EXPECT_FALSE(s.control.SaveGame(s.dir.file("no/such/folder/p.sav")));
  EXPECT_EQ(s.host.boxes.back(), "Fallo al guardar el juego");
  EXPECT_EQ(TempDir::read(path), saved);
}

TEST(EmulatorControl, ScreenshotsTakeTheNextFreeNumber) {
  Session s;
  ASSERT_TRUE(s.Open());
  std::string first, second;
  ASSERT_TRUE(s.control.TakeScreenshot(&first));
  ASSERT_TRUE(s.control.TakeScreenshot(&second));
  EXPECT_EQ(first, s.dir.file("dump00001.png"));
  EXPECT_EQ(second, s.dir.file("dump00002.png"));
  EXPECT_TRUE(s.noted("Foto guardada <" + second + ">"));
}

TEST(EmulatorControl, ProfileAndPeakFollowTheFrameCost) {
  Session s;
  ASSERT_TRUE(s.Open());
  s.control.Run(true);
  s.control.Tick();
  s.setGlobal(6, 2000);
  s.control.Tick();
  const int busy = s.control.profile();
  EXPECT_GT(busy, 0);
  EXPECT_EQ(s.control.peak(), busy);
  // A cheaper frame lowers the profile; the peak holds for its repaints,
  // then drops.
  s.setGlobal(6, 0);
  s.control.Tick();
  EXPECT_LT(s.control.profile(), busy);
  EXPECT_EQ(s.control.peak(), busy);
  for (int i = 1; i < kPeakHold; ++i) s.control.Tick();
  EXPECT_EQ(s.control.peak(), 0);
}

TEST(EmulatorControl, TypedVariableValuesAreThirtyTwoBitNumbers) {
  const struct {
    const char* text;
    std::int32_t value;
  } good[] = {{"0", 0},           {" 42 ", 42},           {"-12", -12},       {"+7", 7},
              {"007", 7},         {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
              {"0x1F", 31},       {"0XfF", 255},          {"0xFFFFFFFF", -1}, {"0x80000000", -2147483647 - 1},
              {"-0x10", -16}};
  for (const auto& g : good) {
    std::int32_t v = 99;
    std::string why;
    EXPECT_TRUE(ParseVariableValue(g.text, v, &why)) << g.text << ": " << why;
    EXPECT_EQ(v, g.value) << g.text;
  }
  // Text that is no number, and numbers a variable cannot hold; the value
  // is left alone and the reason says which.
  for (const char* text : {"abc", "12abc", "1.5", "0x", "-", "+", "0xG1", "1 2", "--3", "V_LV0"}) {
    std::int32_t v = 99;
    std::string why;
    EXPECT_FALSE(ParseVariableValue(text, v, &why)) << text;
    EXPECT_EQ(v, 99) << text;
    EXPECT_NE(why.find("no es un número"), std::string::npos) << text << ": " << why;
  }
  for (const char* text : {"2147483648", "-2147483649", "0x100000000", "99999999999999999999999999",
                           "0xFFFFFFFFFFFFFFFFFFFF"}) {
    std::int32_t v = 99;
    std::string why;
    EXPECT_FALSE(ParseVariableValue(text, v, &why)) << text;
    EXPECT_EQ(v, 99) << text;
    EXPECT_NE(why.find("fuera del rango"), std::string::npos) << text << ": " << why;
  }
  std::int32_t v = 99;
  std::string why;
  EXPECT_FALSE(ParseVariableValue("   ", v, &why));
  EXPECT_EQ(why, "Escriba un número para la variable.");
  EXPECT_EQ(FrameVariableName(0), "V_EV0");
  EXPECT_EQ(FrameVariableName(script::kSlotRV0 + 3), "V_RV3");
  EXPECT_EQ(FrameVariableName(script::kSlotLV0 + 5), "V_LV5");
  EXPECT_EQ(FrameVariableName(script::kFrameSlots), "");
}

TEST(EmulatorControl, StoppedStackIsReadAndWrittenOnlyWhileStopped) {
  Session s;
  ASSERT_TRUE(s.Open());
  std::string why;
  EXPECT_TRUE(s.control.StoppedCallStack().empty());
  EXPECT_FALSE(s.control.SetFrameVariable(0, script::kSlotLV0, "1", &why));
  EXPECT_EQ(why, "Las variables solo se pueden cambiar con el juego detenido en una línea.");

  s.control.Run(true);
  s.control.Tick();                            // Initialise
  s.doc("main.txt").setBreakpoint(19, true);  // G_VAR02 += 1 in Count
  s.control.Tick();
  ASSERT_TRUE(s.control.pausedAtBreak());
  std::vector<script::StackFrameView> stack = s.control.StoppedCallStack();
  ASSERT_EQ(stack.size(), 2u);
  EXPECT_EQ(stack[0].line, 2);  // the calling line
  EXPECT_EQ(stack[1].function, "Count");
  EXPECT_EQ(stack[1].line, 19);

  // A good value goes in; bad text, a frame that is not there and a slot
  // outside the fourteen change nothing.
  EXPECT_TRUE(s.control.SetFrameVariable(1, script::kSlotLV0 + 2, "0x10", &why)) << why;
  EXPECT_TRUE(s.control.SetFrameVariable(0, script::kSlotLV0, "-5", &why)) << why;
  EXPECT_FALSE(s.control.SetFrameVariable(1, script::kSlotLV0 + 2, "abc", &why));
  EXPECT_NE(why.find("«abc»"), std::string::npos);
  EXPECT_FALSE(s.control.SetFrameVariable(2, script::kSlotLV0, "1", &why));
  EXPECT_EQ(why, "Esa llamada ya no está en la pila.");
  EXPECT_FALSE(s.control.SetFrameVariable(1, script::kFrameSlots, "1", &why));
  stack = s.control.StoppedCallStack();
  EXPECT_EQ(stack[1].vars[script::kSlotLV0 + 2], 16);
  EXPECT_EQ(stack[0].vars[script::kSlotLV0], -5);

  // Going on: frames run, nothing is shown and nothing may be written.
  s.doc("main.txt").setBreakpoint(19, false);
  s.control.Run(true);
  ASSERT_TRUE(s.control.wantsFrames());
  EXPECT_TRUE(s.control.StoppedCallStack().empty());
  EXPECT_FALSE(s.control.SetFrameVariable(0, script::kSlotLV0, "1", &why));
}

}  // namespace tarvolin::test
