// Asset operands handed to a macro through its parameters: a parameter whose
// index names no asset of the command's kind is the macro's own error, while
// the same index written directly keeps the kind's error.
#include <gtest/gtest.h>

#include <string>

#include "common/temp_dir.h"
#include "e2e/in_process.h"
#include "e2e/run_tool.h"

namespace tarvolin::test {

namespace {

constexpr const char* kMacroIndexMessage =
    "Tiempos de Ejecución - el índice del recurso pasado a la macro está fuera del rango";

// A project with one string ("greeting") and one path ("Walk") and the
// macros Len (string length into V_RV0), PLen (path length into V_RV1) and
// Size (resource size into V_RV2).
class MacroGame {
 public:
  explicit MacroGame(const std::string& main, const std::string& extraMacros = "",
                     const std::string& arrays = "") {
    if (!arrays.empty()) dir_.write("game/arrays.txt", arrays);
    dir_.write("game.tvp", "");
    dir_.write("game/Script/main.txt", main);
    dir_.write("game/string_table.txt",
               ";;; Tarvolin script file - automatically generated\n;;; any changes made by hand will be lost\n\n\n"
               "#greeting\nEN : \"ABBA\"\nSP : \"DCA\"\n\n");
    dir_.write("game/paths.txt", "#Walk\n$0,0,1.000000\n$30,40,2.000000\n$30,40,1.000000\n\n");
    dir_.write("game/macro.txt",
               ";;; Tarvolin macro script file - automatically generated\n"
               ";;; any changes made by hand will be lost\n\n\n"
               "#Len\n?\n$V_RV0 StringGetLength %0\n\n"
               "#PLen\n?\n$V_LV5 = 0\n$PathGetLength %0 V_RV1\n\n"
               "#Size\n?\n$ResourceGetSize %0 V_RV2\n\n" + extraMacros);
  }
  ToolResult run() const { return runTool({"run", dir_.file("game.tvp"), "--frames", "2"}); }
  // The same run inside the test process (for the tables).
  ToolResult runHere() const { return runInProcess({"run", dir_.file("game.tvp"), "--frames", "2"}); }

 private:
  TempDir dir_;
};

bool Has(const ToolResult& r, const std::string& text) { return r.out.find(text) != std::string::npos; }

}  // namespace

TEST(MacroAssets, ParameterIndicesOutOfRangeAreTheMacrosError) {
  // Valid assets pass through parameters, by name and by a variable's value.
  MacroGame ok("V_LV0 = 0\n%Len greeting\n%PLen V_LV0\nLog \"ok %d %d\" V_RV0 V_RV1\nReturn\n");
  ToolResult r = ok.run();
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_TRUE(Has(r, "ok 4 ")) << r.out;
  EXPECT_FALSE(Has(r, "ERROR")) << r.out;

  // The status line names the calling line; 159 shows no detail of its own.
  struct Case {
    const char* main;
    const char* place;
  } cases[] = {
      {"%Len 1\n", "> en la línea 1\n"},  // a string index, as an immediate
      {"V_LV0 = 7\n%PLen V_LV0\n", "> en la línea 2\n"},  // a path index in a variable, second macro line
      {"%Size 0\n", "> en la línea 1\n"},  // no resources at all
      {"%Len -1\n", "> en la línea 1\n"},
  };
  for (const auto& [main, place] : cases) {
    MacroGame g(std::string(main) + "Log \"despues\"\nReturn\n");
    r = g.runHere();
    EXPECT_EQ(r.exitCode, 1) << main << r.out;
    EXPECT_TRUE(Has(r, std::string("ERROR: <") + kMacroIndexMessage + ">")) << main << r.out;
    EXPECT_TRUE(Has(r, place)) << main << r.out;
    EXPECT_FALSE(Has(r, "ext:")) << main << r.out;
    EXPECT_FALSE(Has(r, "despues")) << main << r.out;
  }
}

TEST(MacroAssets, IndicesNotFromAParameterKeepTheKindsError) {
  // Outside a macro the kind's own message stands.
  struct Case {
    const char* main;
    const char* message;
  } direct[] = {
      {"PathGetLength 3 V_LV0\n", "El índice que identifica al Recorrido está fuera de rango"},
      {"V_LV1 = 5\nV_LV0 StringGetLength V_LV1\n", "El índice que identifica a la Cadena está fuera de rango"},
      {"ResourceGetSize 0 V_LV0\n", "El índice que identifica al recurso está fuera del rango"},
  };
  for (const Case& c : direct) {
    MacroGame g(std::string(c.main) + "Return\n");
    const ToolResult r = g.runHere();
    EXPECT_EQ(r.exitCode, 1) << c.main << r.out;
    EXPECT_TRUE(Has(r, c.message)) << c.main << r.out;
    EXPECT_FALSE(Has(r, kMacroIndexMessage)) << c.main << r.out;
  }

  // Inside a macro, an index written in the macro itself is no parameter:
  // the path's error, even though a parameter is passed alongside.
  MacroGame own("%Fixed Walk\nReturn\n", "#Fixed\n?\n$PathGetLength %0 V_RV1\n$PathGetLength 3 V_RV1\n\n");
  ToolResult r = own.run();
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_TRUE(Has(r, "El índice que identifica al Recorrido está fuera de rango")) << r.out;
  EXPECT_FALSE(Has(r, kMacroIndexMessage)) << r.out;

  // A call is refused in a macro before its function index is looked at.
  MacroGame call("%Go 9\nReturn\nFunction Initialise 0\nReturn\n", "#Go\n?\n$Call %0\n\n");
  r = call.run();
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_TRUE(Has(r, "Macro ejecución - comando no permitido dentro de una macro")) << r.out;
}

// The array commands take arrays and resources through parameters the same way.
TEST(MacroAssets, ArrayAndResourceParametersOfTheArrayCommands) {
  const std::string arrays =
      ";;; Tarvolin array script file - automatically generated\n"
      ";;; any changes made by hand will be lost\n\n\n"
      "#Nums\nOne dimensional\n3\n0\n$v\n$8 bit unsigned\n\n"
      "*false\nRO\n#\nWorkRAM\nAnyAdd\nArray\n0\n0\n\n";
  const std::string macros =
      "#Dim\n?\n$ArrayGetDimensionX %0 V_RV0\n\n"
      "#Save\n?\n$Array1DSave %0 %1\n\n"
      "#SaveOwn\n?\n$Array1DSave 2 %0\n\n";

  // An array named through the parameter works.
  MacroGame ok("%Dim Nums\nLog \"dim %d\" V_RV0\nReturn\n", macros, arrays);
  ToolResult r = ok.run();
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_TRUE(Has(r, "dim 3")) << r.out;

  const char* fromParameter[] = {
      "%Dim 40\n",        // no such array
      "V_LV0 = -1\n%Dim V_LV0\n",
      "%Save 0 Nums\n",   // no resources at all
  };
  for (const char* main : fromParameter) {
    MacroGame g(std::string(main) + "Log \"despues\"\nReturn\n", macros, arrays);
    r = g.runHere();
    EXPECT_EQ(r.exitCode, 1) << main << r.out;
    EXPECT_TRUE(Has(r, std::string("ERROR: <") + kMacroIndexMessage + ">")) << main << r.out;
    EXPECT_FALSE(Has(r, "despues")) << main << r.out;
  }

  // Written directly, or in the macro's own line, the kinds' errors stand.
  struct Case {
    const char* main;
    const char* message;
  } direct[] = {
      {"ArrayGetDimensionX 40 V_LV0\n", "El valor no corresponde a un ID de arreglo válido"},
      {"Array1DSave 0 Nums\n", "El índice que identifica al recurso está fuera del rango"},
      {"%SaveOwn Nums\n", "El índice que identifica al recurso está fuera del rango"},
  };
  for (const Case& c : direct) {
    MacroGame g(std::string(c.main) + "Return\n", macros, arrays);
    r = g.runHere();
    EXPECT_EQ(r.exitCode, 1) << c.main << r.out;
    EXPECT_TRUE(Has(r, c.message)) << c.main << r.out;
    EXPECT_FALSE(Has(r, kMacroIndexMessage)) << c.main << r.out;
  }
}

}  // namespace tarvolin::test
