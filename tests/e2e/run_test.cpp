// The headless runner end to end: small projects written into a temporary
// folder and run through `tarvolin preprocess` and `tarvolin run`.
#include <gtest/gtest.h>

#include <string>

#include "common/temp_dir.h"
#include "e2e/in_process.h"
#include "e2e/run_tool.h"

namespace tarvolin::test {

namespace {

// A project "game.tvp" with default settings: scripts live in game/Script.
class Game {
 public:
  explicit Game(const std::string& main) {
    dir_.write("game.tvp", "");
    script("main.txt", main);
  }
  void script(const std::string& name, const std::string& text) { dir_.write("game/Script/" + name, text); }
  void macros(const std::string& entries) {
    dir_.write("game/macro.txt",
               ";;; Tarvolin macro script file - automatically generated\n"
               ";;; any changes made by hand will be lost\n\n\n" + entries);
  }
  std::string project() const { return dir_.file("game.tvp"); }
  ToolResult run(int frames, std::vector<std::string> extra = {}) const {
    std::vector<std::string> args{"run", project(), "--frames", std::to_string(frames)};
    args.insert(args.end(), extra.begin(), extra.end());
    return runTool(args);
  }
  ToolResult preprocess() const { return runTool({"preprocess", project()}); }
  // A run inside the test process (for the error tables).
  ToolResult runHere(int frames) const {
    return runInProcess({"run", project(), "--frames", std::to_string(frames)});
  }
  // The output without the line that opening the project writes.
  static std::string Body(const ToolResult& r) {
    const std::size_t nl = r.out.find('\n');
    return r.out.compare(0, 17, "Abriendo nuevo pr") == 0 && nl != std::string::npos ? r.out.substr(nl + 1) : r.out;
  }

 private:
  TempDir dir_;
};

}  // namespace

TEST(RunTool, PreprocessReportsSuccessAndFailure) {
  Game ok("Return\nFunction Initialise 0\nReturn\n");
  ToolResult r = ok.preprocess();
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(Game::Body(r), "<< Preproceso exitoso >>\n");

  Game bad("Return\nFunction A 11\nReturn\n");
  r = bad.preprocess();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Game::Body(r),
            "ERROR: La cantidad de parámetros está fuera del rango (debe ser 0..10) en la función <A> en la "
            "línea 2\n!! Preproceso falló en línea 2 !!\n");
  // run reports the same failure once and does not start.
  r = bad.run(3);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Game::Body(r),
            "ERROR: La cantidad de parámetros está fuera del rango (debe ser 0..10) en la función <A> en la "
            "línea 2\n!! Preproceso falló en línea 2 !!\n");

  Game externs("ExternFunction \"lib\" Twice\nCall Twice 21\nLog \"%d\" V_RV0\nReturn\n");
  externs.script("lib.txt", "Return\nFunction Twice 1\nV_LV0 = V_EV0\nV_LV0 *= 2\nReturn V_LV0\n");
  r = externs.run(2);
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(Game::Body(r), "42\n");
}

TEST(RunTool, UsageAndFileErrors) {
  EXPECT_EQ(runTool({"run"}).exitCode, 2);
  EXPECT_EQ(runTool({"preprocess"}).exitCode, 2);
  ToolResult missing = runTool({"run", "/nonexistent/nothing.tvp"});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_FALSE(missing.err.empty());
  EXPECT_TRUE(missing.out.empty());
  Game g("Return\n");
  EXPECT_EQ(runTool({"run", g.project(), "--frames", "zwei"}).exitCode, 2);
  EXPECT_EQ(runTool({"run", g.project(), "--press", "ButtonZ@1"}).exitCode, 2);
  EXPECT_EQ(runTool({"run", g.project(), "--bogus"}).exitCode, 2);
  TempDir empty;
  empty.write("x.tvp", "");
  ToolResult r = runTool({"run", empty.file("x.tvp")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("ERROR: Debe existir el guión principal main.txt"), std::string::npos) << r.out;
}

TEST(RunTool, FramesRunInitialiseThenMain) {
  Game g(
      "Log \"tick %d\" G_TICKS\nReturn\n"
      "Function Initialise 0\nLog \"inicio\"\nReturn\n");
  ToolResult r = g.run(3);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Game::Body(r), "inicio\ntick 1\ntick 2\n");
}

TEST(RunTool, BlockErrorsStopTheRun) {
  struct Case {
    const char* script;
    const char* message;
    int line;
  } cases[] = {
      {"Log \"a\"\nEnd\nReturn\n", "End mal ubicado", 2},
      {"If 1 == 1\n Else\n Else\nEnd\nReturn\n", nullptr, 0},
      {"Break\nReturn\n", "Es ilegal una declaración Break en el nivel de pila 0", 1},
      {"Else\nReturn\n", "Es ilegal una declaración Else en el nivel de pila 0", 1},
      {"While 1 == 1\n ElseIf 1 == 2\nEnd\nReturn\n", "Es ilegal una declaración Else dentro de un bucle While", 2},
      {"If 1 == 1\n BreakMore 5\nEnd\nReturn\n", "No se pueden interrumpir más niveles lógicos de los que haya anidados", 2},
      {"If 1 == 1\n BreakMore 17\nEnd\nReturn\n", "El nivel de Break debe ser 0..16", 2},
      // A malformed line in a branch that is not taken still fails.
      {"If 1 == 2\n V_LV0 += V_QQ1\nEnd\nReturn\n", "No existe tal parámetro", 2},
      {"Assert 1 == 2\nReturn\n", "Afirmación ejecutada", 1},
  };
  for (const Case& c : cases) {
    Game g(c.script);
    ToolResult r = g.runHere(2);
    if (!c.message) {
      // A second Else is allowed and does nothing.
      EXPECT_EQ(r.exitCode, 0) << c.script << r.out;
      continue;
    }
    EXPECT_EQ(r.exitCode, 1) << c.script;
    const std::string line = std::to_string(c.line);
    const std::string expected = std::string("<Error de Ciclo: <") + c.message + "> en la línea " + line +
                                 "\nERROR: <" + c.message + ">\n";
    EXPECT_NE(Game::Body(r).find(expected), std::string::npos) << c.script << "\n" << r.out;
  }
}

TEST(RunTool, CallsDepthAndCallRetChains) {
  auto chain = [](int calls) {
    return "Call Deep 1\nReturn\n"
           "Function Deep 1\n"
           "If V_EV0 >= " + std::to_string(calls) + "\n Log \"fondo %d\" V_EV0\n Return\nEnd\n"
           "V_LV0 = V_EV0\nV_LV0 += 1\nCall Deep V_LV0\nReturn\n";
  };
  ToolResult ok = Game(chain(19)).run(2);
  EXPECT_EQ(ok.exitCode, 0) << ok.out;
  EXPECT_EQ(Game::Body(ok), "fondo 19\n");
  ToolResult bad = Game(chain(20)).run(2);
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(Game::Body(bad),
            "<Error de Ciclo: <Se alcanzo el límite para la pila de funciones> en la línea 10\n"
            "ERROR: <Se alcanzo el límite para la pila de funciones>\n");

  Game ret(
      "CallRet Outer\nLog \"no\"\nReturn\n"
      "Function Outer 0\nCallRet Inner\nLog \"tampoco\"\nReturn 1\n"
      "Function Inner 0\nLog \"dentro\"\nReturn 0\n");
  ToolResult r = ret.run(3);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(Game::Body(r), "dentro\ndentro\n");
}

TEST(RunTool, BudgetExhaustionContinuesNextFrame) {
  Game g("While V_LV0 < 9000\n V_LV0 += 1\nEnd\nLog \"listo %d\" V_LV0\nReturn\n");
  ToolResult r = g.run(3);
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(Game::Body(r),
            "<Ciclo de Ejecución : Bucle infinito probablemente cerca de la línea 3>\n"
            "listo 9000\n");
}

TEST(RunTool, MacrosAndTheirErrors) {
  Game g("V_LV0 = 2\n%Twice V_LV0\nLog \"%d\" V_RV3\nReturn\n");
  g.macros("#Twice\n?duplica\n$V_RV3 = %0\n$V_RV3 *= 2\n\n#Bad\n?\n$Frobnicate 1\n\n");
  ToolResult r = g.run(2);
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(Game::Body(r), "4\n");

  Game wrong("%Twice V_LV0 1\nReturn\n");
  wrong.macros("#Twice\n?duplica\n$V_RV3 = %0\n\n");
  r = wrong.run(2);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("ERROR: <Macro ejecución - numero de parámetros incorrectos (es decir, %3 en macro = 4 parámetros)>"),
            std::string::npos) << r.out;

  Game undefinedLine("%Bad\nReturn\n");
  undefinedLine.macros("#Bad\n?\n$V_LV0 = 1\n$Frobnicate 1\n\n");
  r = undefinedLine.run(2);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Game::Body(r),
            "<Error de Ciclo: <Macro ejecución - no existe tal comando> en la línea 1, Error en la macro, línea 1\n"
            "ERROR: <Macro ejecución - no existe tal comando>\n"
            "ext:Error en la macro, línea 1\n");

  // A macro that writes its parameter is well formed: no message at open.
  Game target("V_LV0 = 5\n%Double V_LV0\nLog \"%d\" V_LV0\nReturn\n");
  target.macros("#Double\n?\n$%0 *= 2\n\n");
  r = target.run(2);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(Game::Body(r), "10\n");

  Game missing("%Nadie\nReturn\n");
  r = missing.preprocess();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Game::Body(r), "Error: Macro 'Nadie' no definida en la línea 1\n!! Preproceso falló en línea 1 !!\n");
}

TEST(RunTool, ButtonPressesOverFrames) {
  Game g(
      "Log \"%d %d %d %d\" F_IsButtonPressedButtonA F_IsButtonHeldButtonA F_IsButtonReleasedButtonA "
      "F_GetButtonHeld\nReturn\n");
  ToolResult r = g.run(5, {"--press", "ButtonA@2-4", "--press", "Start@3"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  // Frame 1 runs only Initialise (there is none); frames 2..5 log.
  EXPECT_EQ(Game::Body(r), "1 1 0 1\n0 1 0 9\n0 1 0 1\n0 0 1 0\n");
}

TEST(RunTool, LogFormatting) {
  Game g(
      "Log \"[%5d|%-4d|%04x|%X|%o|%c|%u|%+d|%%]\" 42 7 255 255 8 65 -1 3\n"
      "Log \"%s\" 1\nReturn\n");
  ToolResult r = g.run(2);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Game::Body(r),
            "[   42|7   |00ff|FF|10|A|4294967295|+3|%]\n"
            "<Error de Ciclo: <Formato de nota inválido> en la línea 2\n"
            "ERROR: <Formato de nota inválido>\n");
}

}  // namespace tarvolin::test
