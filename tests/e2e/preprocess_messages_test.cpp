// Every message of the preprocessor as `tarvolin preprocess` prints it.
#include <gtest/gtest.h>

#include <string>

#include "common/temp_dir.h"
#include "e2e/in_process.h"
#include "e2e/run_tool.h"

namespace tarvolin::test {

TEST(PreprocessTool, EveryMessage) {
  struct Case {
    const char* main;
    const char* other;  // other.txt, or null
    const char* message;
    int line;
  } cases[] = {
      {"Return\nFunction\n", nullptr, "ERROR: Falta el nombre de la función, línea 2", 2},
      {"Return\nFunction A 0\nReturn\nFunction A 1\nReturn\n", nullptr, "ERROR: La función <A> ya fue definida", 4},
      {"Return\nFunction A\n", nullptr,
       "ERROR: Faltan los parámetros después del nombre de la función <A> en la línea 2", 2},
      {"Return\nFunction A x\n", nullptr,
       "ERROR: Formato para los parámetros de la función inválido (debe ser 0..4) después del nombre de la "
       "función <A> en la línea 2", 2},
      {"Return\nFunction A -1\n", nullptr,
       "ERROR: La cantidad de parámetros está fuera del rango (debe ser 0..10) en la función <A> en la línea 2", 2},
      {"Return\nFunction A 0\nWhile 1 == 1\nReturn\nFunction B 0\nReturn\n", nullptr,
       "Error: La función previa no coincide con las declaraciones 'While/If/End'", 5},
      {"Return\nFunction A 0\nFunction B 0\nReturn\n", nullptr, "Error: Falta el retorno de la función", 3},
      {"FunctionGlobal G 0\nReturn\nFunctionGlobal G 0\nReturn\n", nullptr,
       "Error: Función Global <G> ya definida - línea 1, guión 'main.txt'", 3},
      {"%Nada\nReturn\n", nullptr, "Error: Macro 'Nada' no definida en la línea 1", 1},
      {"Bogus 1\nReturn\n", nullptr, "No existe tal comando", 1},
      {"ExternScript other\nReturn\n", nullptr,
       "ERROR: La declaración de la función externa requiere el nombre entre comillas (\"), línea 1", 1},
      {"ExternFunction \"other\"\nReturn\n", "Return\n",
       "ERROR: Falta el nombre de la función después del nombre de archivo, en la línea 1", 1},
      {"ExternFunction \"nada\" F\nReturn\n", nullptr,
       "ERROR: No se puede cargar el archivo <nada.txt> para su preproceso, referenciado por 'ExternFunction', "
       "línea 1, archivo <main.txt>", 1},
      {"ExternFunction \"other\" F\nReturn\n", "Return\n",
       "ERROR: No se puede hallar la función externa <F> en el archivo <other.txt>. Originalmente declarada en "
       "la línea 1, archivo <main.txt>", 1},
      {"ExternFunction \"other\" f\nReturn\nFunction F 0\nReturn\n", "Return\nFunction F 0\nReturn\n",
       "ERROR: Se hallaron múltiples funciones externas con el mismo nombre <f>", 1},
      {"ApplyGlobalSet Nada\nReturn\n", nullptr, "ERROR: No se puede hallar el juegos de variables Nada en la línea 1", 1},
      {"##\nReturn\n", nullptr, "ERROR: Falta el nombre de la definición después de ##, línea 1", 1},
      {"##A 1\n##A 2\nReturn\n", nullptr, "ERROR: La definición A ya fue definida, antes de la línea 2", 2},
      {"##A\nReturn\n", nullptr, "ERROR: No se halló el valor de la definición, o falta el entero en la línea 1", 1},
      {"Call Nadie\nReturn\n", nullptr, "Función no definida", 1},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.write("game.tvp", "");
    dir.write("game/Script/main.txt", c.main);
    if (c.other) dir.write("game/Script/other.txt", c.other);
    ToolResult r = runInProcess({"preprocess", dir.file("game.tvp")});
    EXPECT_EQ(r.exitCode, 1) << c.main;
    const std::string expected = std::string(c.message) + "\n!! Preproceso falló en línea " +
                                 std::to_string(c.line) + " !!\n";
    ASSERT_GE(r.out.size(), expected.size()) << c.main << r.out;
    EXPECT_EQ(r.out.substr(r.out.size() - expected.size()), expected) << c.main;
  }
}

}  // namespace tarvolin::test
