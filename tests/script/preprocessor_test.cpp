// The preprocessor's checks and messages, externs, definitions and the
// editor's line upkeep.
#include <gtest/gtest.h>

#include <algorithm>

#include "script/script_rig.h"

namespace tarvolin::script::test {

namespace {

// Preprocesses `main` (and `other.txt` when given); returns the notes.
std::string Failure(const std::string& main, const std::string& other = "", int* line = nullptr) {
  ScriptRig g(main);
  if (!other.empty()) g.file("other.txt", other);
  EXPECT_FALSE(g.preprocess()) << main;
  if (line) *line = g.pre.failedLine() + 1;
  return g.notes();
}

}  // namespace

TEST(Preprocessor, FunctionDeclarationMessages) {
  int line = 0;
  EXPECT_EQ(Failure("Return\nFunction\n", "", &line),
            "ERROR: Falta el nombre de la función, línea 2\n!! Preproceso falló en línea 2 !!\n");
  EXPECT_EQ(line, 2);
  EXPECT_EQ(Failure("Return\nFunction A 0\nReturn\nFunction a 0\nReturn\n"),
            "ERROR: La función <a> ya fue definida\n!! Preproceso falló en línea 4 !!\n");
  EXPECT_EQ(Failure("Return\nFunction A\n"),
            "ERROR: Faltan los parámetros después del nombre de la función <A> en la línea 2\n"
            "!! Preproceso falló en línea 2 !!\n");
  EXPECT_EQ(Failure("Return\nFunction A dos\n"),
            "ERROR: Formato para los parámetros de la función inválido (debe ser 0..4) después del "
            "nombre de la función <A> en la línea 2\n!! Preproceso falló en línea 2 !!\n");
  EXPECT_EQ(Failure("Return\nFunction A 11\n"),
            "ERROR: La cantidad de parámetros está fuera del rango (debe ser 0..10) en la función <A> "
            "en la línea 2\n!! Preproceso falló en línea 2 !!\n");
  EXPECT_EQ(Failure("Return\nFunction A 0\nIf 1 == 1\nReturn\nFunction B 0\nReturn\n"),
            "Error: La función previa no coincide con las declaraciones 'While/If/End'\n"
            "!! Preproceso falló en línea 5 !!\n");
  EXPECT_EQ(Failure("Return\nFunction A 0\nV_LV0 = 1\nFunction B 0\nReturn\n"),
            "Error: Falta el retorno de la función\n!! Preproceso falló en línea 4 !!\n");
  EXPECT_EQ(Failure("ExternScript \"other\"\nReturn\nFunctionGlobal G 0\nReturn\n",
                    "FunctionGlobal G 1\nReturn\n"),
            "Error: Función Global <G> ya definida - línea 3, guión 'main.txt'\n"
            "!! Preproceso falló en línea 1 !!\n");
}

TEST(Preprocessor, DefinitionsMacrosAndCommands) {
  EXPECT_EQ(Failure("##\nReturn\n"),
            "ERROR: Falta el nombre de la definición después de ##, línea 1\n!! Preproceso falló en línea 1 !!\n");
  EXPECT_EQ(Failure("##SPEED 3\n##speed 4\nReturn\n"),
            "ERROR: La definición speed ya fue definida, antes de la línea 2\n!! Preproceso falló en línea 2 !!\n");
  // A definition may not use one made further down; a command line may.
  EXPECT_EQ(Failure("##A #B\n##B 2\nReturn\n"),
            "ERROR: No se halló el valor de la definición, o falta el entero en la línea 1\n"
            "!! Preproceso falló en línea 1 !!\n");
  ScriptRig ok("V_LV0 = #B\nV_LV1 = #_TILEMAP_FLIPV\nV_LV2 = #C\nReturn\n##B 2\n##C #B+3\n");
  ASSERT_TRUE(ok.run()) << ok.notes() << ok.error();
  EXPECT_EQ(ok.local(0), 2);
  EXPECT_EQ(ok.local(1), 2048);
  EXPECT_EQ(ok.local(2), 5);

  EXPECT_EQ(Failure("%Nada 1\nReturn\n"),
            "Error: Macro 'Nada' no definida en la línea 1\n!! Preproceso falló en línea 1 !!\n");
  EXPECT_EQ(Failure("V_LV0 = 1\nFrobnicate\n"), "No existe tal comando\n!! Preproceso falló en línea 2 !!\n");
  EXPECT_EQ(Failure("ApplyGlobalSet Otro\nReturn\n"),
            "ERROR: No se puede hallar el juegos de variables Otro en la línea 1\n"
            "!! Preproceso falló en línea 1 !!\n");
  // Calls are resolved in the second pass.
  EXPECT_EQ(Failure("Call Nadie\nReturn\n"), "Función no definida\n!! Preproceso falló en línea 1 !!\n");
  EXPECT_EQ(Failure("Call 3\nReturn\n"),
            "El índice que identifica a la función está fuera de rango\n!! Preproceso falló en línea 1 !!\n");
}

TEST(Preprocessor, ExternsAndGlobalFunctions) {
  EXPECT_EQ(Failure("ExternFunction other.txt F\nReturn\n"),
            "ERROR: La declaración de la función externa requiere el nombre entre comillas (\"), línea 1\n"
            "!! Preproceso falló en línea 1 !!\n");
  EXPECT_EQ(Failure("ExternFunction \"other\"\nReturn\n", "Return\n"),
            "ERROR: Falta el nombre de la función después del nombre de archivo, en la línea 1\n"
            "!! Preproceso falló en línea 1 !!\n");
  EXPECT_EQ(Failure("V_LV0 = 1\nExternFunction \"missing\" F\nReturn\n"),
            "ERROR: No se puede cargar el archivo <missing.txt> para su preproceso, referenciado por "
            "'ExternFunction', línea 2, archivo <main.txt>\n!! Preproceso falló en línea 2 !!\n");
  EXPECT_EQ(Failure("ExternFunction \"other\" F\nReturn\n", "Return\nFunction G 0\nReturn\n"),
            "ERROR: No se puede hallar la función externa <F> en el archivo <other.txt>. Originalmente "
            "declarada en la línea 1, archivo <main.txt>\n!! Preproceso falló en línea 1 !!\n");
  EXPECT_EQ(Failure("ExternFunction \"other\" F\nReturn\nFunction F 0\nReturn\n", "Return\nFunction F 0\nReturn\n"),
            "ERROR: Se hallaron múltiples funciones externas con el mismo nombre <F>\n"
            "!! Preproceso falló en línea 1 !!\n");

  // Two scripts that name each other are each read once; functions declared
  // elsewhere run in their own script, globals are visible everywhere.
  ScriptRig g(
      "ExternScript \"other\"\nExternFunction \"other.txt\" Twice\nExternFunction \"other\" Twice\n"
      "Call Twice 4\nV_LV0 = V_RV0\nCall Shared\nV_LV1 = V_RV0\nReturn\n");
  g.file("other.txt",
         "ExternScript \"main\"\nReturn\nFunction Twice 1\nV_LV0 = V_EV0\nV_LV0 *= 2\nReturn V_LV0\n"
         "FunctionGlobal Shared 0\nReturn 77\n");
  ASSERT_TRUE(g.run()) << g.notes() << g.error();
  EXPECT_EQ(g.local(0), 8);
  EXPECT_EQ(g.local(1), 77);
  EXPECT_EQ(g.docs.count(), 2);
}

TEST(Preprocessor, MainScriptAndSuccess) {
  ScriptRig none("");
  none.input.mainScript = "nope.txt";
  EXPECT_FALSE(none.preprocess());
  EXPECT_EQ(none.notes(), "ERROR: Debe existir el guión principal nope.txt\n");
  ASSERT_EQ(none.host.boxes.size(), 1u);
  EXPECT_EQ(none.host.boxes[0], "Debe existir un guión principal (vea las configuraciones del proyecto)");

  ScriptRig active("");
  active.input.noMainScript = true;
  EXPECT_FALSE(active.preprocess());
  ASSERT_EQ(active.host.boxes.size(), 1u);
  EXPECT_EQ(active.host.boxes[0],
            "Debe estar abierto un guión, cuando está activado 'Sin guión principal' (vea las "
            "configuraciones del proyecto)");

  ScriptRig ok("Return\n");
  EXPECT_TRUE(ok.pre.Preprocess(ok.input, true));
  EXPECT_EQ(ok.notes(), "<< Preproceso exitoso >>\n");
}

TEST(Preprocessor, GlobalSetsNameGlobals) {
  ScriptRig g("ApplyGlobalSet Juego\nG_SCORE = 5\nG_VAR00 = 2\nReturn\n");
  GlobalSet def = DefaultGlobalSet();
  def.shared[0] = true;  // G_VAR00 is the same in every set
  GlobalSet game = DefaultGlobalSet();
  game.name = "Juego";
  game.names[3] = "G_SCORE";
  g.input.globalSets = {def, game};
  ASSERT_TRUE(g.run()) << g.notes() << g.error();
  EXPECT_EQ(g.interp.globalVariable(1, 3), 5);
  EXPECT_EQ(g.interp.globalVariable(0, 3), 0);
  EXPECT_EQ(g.interp.globalVariable(0, 0), 2);

  // An unknown global name: as a value it fails the line with 38; as the
  // target it leaves a line without a command, reported with the same code.
  ScriptRig missing("V_LV0 = G_SCORE\nReturn\n");
  EXPECT_FALSE(missing.run());
  EXPECT_EQ(missing.error(), 38);
  EXPECT_EQ(Failure("G_SCORE = 5\nReturn\n"),
            "Variable global no hallada en la lista (¿falta G_?)\n!! Preproceso falló en línea 1 !!\n");
}

TEST(Preprocessor, LineUpkeepFollowsTheEditor) {
  ScriptRig g("ExternFunction \"other\" F\nReturn\nFunction A 0\nReturn\nFunction B 0\nReturn\n");
  g.file("other.txt", "Return\nFunction F 0\nReturn\nFunctionGlobal H 0\nReturn\n");
  ASSERT_TRUE(g.preprocess());
  const ScriptTables& t = g.interp.tables();
  g.pre.LinesInserted(0, 3, 2);
  EXPECT_EQ(t.FindFunction(0, "A")->line, 2);
  EXPECT_EQ(t.FindFunction(0, "B")->line, 6);
  g.pre.LinesRemoved(0, 1, 2);
  EXPECT_EQ(t.FindFunction(0, "A"), nullptr);
  EXPECT_EQ(t.FindFunction(0, "B")->line, 4);
  // Lines inserted into the other script move its functions, the global
  // list, and the extern entry that copies F.
  g.pre.LinesInserted(1, 0, 3);
  EXPECT_EQ(t.FindFunction(0, "F")->line, 4);
  EXPECT_EQ(t.FindFunction(0, "H")->line, 6);
  g.pre.LinesRemoved(1, 6, 1);
  EXPECT_EQ(t.FindFunction(0, "H"), nullptr);
}

}  // namespace tarvolin::script::test

namespace tarvolin::script::test {

TEST(Preprocessor, CallsFollowTheTablesAfterAnEdit) {
  ScriptRig g("ExternScript \"other\"\nCall Gb\nReturn\n");
  g.file("other.txt", "Return\nFunctionGlobal Ga 0\nReturn 1\nFunctionGlobal Gb 0\nReturn 2\n");
  ASSERT_TRUE(g.run()) << g.error();
  EXPECT_EQ(g.rv(0), 2);
  // The editor removes Ga from the other script; main's cached call of Gb
  // must still reach Gb, whose place in the global list changed.
  g.docs.at(1).removeLines(1, 2);
  g.pre.LinesRemoved(1, 1, 2);
  ASSERT_TRUE(g.interp.RunMainFrame(false)) << g.error();
  EXPECT_EQ(g.rv(0), 2);
}

TEST(Preprocessor, CancellingTheProgressStopsWithoutAFailure) {
  const std::string main = "ExternScript \"a\"\nExternScript \"b\"\nG_VAR00 = 1\nReturn\n";
  // Cancelled at each of its progress steps: start, after each further file,
  // in the pass over the scripts.
  for (int at = 1; at <= 6; ++at) {
    ScriptRig g(main);
    g.file("a.txt", "Return\n");
    g.file("b.txt", "Return\n");
    ASSERT_TRUE(g.run()) << g.notes();
    EXPECT_EQ(g.interp.globalVariable(0, 0), 1);
    g.interp.setGlobalVariable(0, 0, 0);
    g.host.notes.clear();
    g.host.cancelAt = g.host.progressCalls + at;
    EXPECT_FALSE(g.preprocess()) << at;
    EXPECT_TRUE(g.pre.cancelled()) << at;
    EXPECT_EQ(g.notes(), "") << at;
    // Nothing half-built runs.
    EXPECT_TRUE(g.interp.RunMainFrame(false));
    EXPECT_EQ(g.interp.globalVariable(0, 0), 0) << at;
    // The next preprocessing runs whole again.
    ASSERT_TRUE(g.preprocess()) << at;
    EXPECT_FALSE(g.pre.cancelled());
    ASSERT_TRUE(g.interp.RunMainFrame(false));
    EXPECT_EQ(g.interp.globalVariable(0, 0), 1);
  }
  // A whole run reports 1 first and 100 last, rising in between.
  ScriptRig whole(main);
  whole.file("a.txt", "Return\n");
  whole.file("b.txt", "Return\n");
  ASSERT_TRUE(whole.preprocess());
  ASSERT_GE(whole.host.percents.size(), 3u);
  EXPECT_EQ(whole.host.percents.front(), 1);
  EXPECT_EQ(whole.host.percents.back(), 100);
  EXPECT_TRUE(std::is_sorted(whole.host.percents.begin(), whole.host.percents.end()));
}

}  // namespace tarvolin::script::test

namespace tarvolin::script::test {

// A progress window opened by preprocessing is always closed again: a
// failure that left it at its first step would hold the studio's frames.
TEST(Preprocessor, ProgressEndsOnEveryWayOut) {
  class ProgressHost : public RecordingHost {
   public:
    bool progress(int percent, std::string_view) override {
      steps.push_back(percent);
      return !cancelAt || percent < cancelAt;
    }
    int cancelAt = 0;
    std::vector<int> steps;
  };
  auto lastStep = [](const std::string& main, bool noMainScript, int cancelAt = 0) {
    ScriptRig g(main);
    ProgressHost host;
    host.cancelAt = cancelAt;
    Interpreter interp(host);
    Preprocessor pre(interp);
    interp.setDocuments(&g.docs);
    PreprocessInput input = g.input;
    input.noMainScript = noMainScript;
    pre.Preprocess(input, false);
    return host.steps.empty() ? -1 : host.steps.back();
  };
  EXPECT_EQ(lastStep("Return\n", false), 100);
  EXPECT_EQ(lastStep("Return\nFunction\n", false), 100);  // a failed declaration
  EXPECT_EQ(lastStep("Return\n", true), 100);             // no open script to be the main one
  EXPECT_EQ(lastStep("Return\n", false, 1), 100);         // cancelled at once
}

}  // namespace tarvolin::script::test
