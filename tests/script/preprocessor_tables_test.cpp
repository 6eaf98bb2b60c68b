// Table blocks: selecting an array, filling records, and every message.
#include <gtest/gtest.h>

#include <map>

#include "script/script_rig.h"
#include "script/table_arrays.h"

namespace tarvolin::script::test {

namespace {

// Two arrays: "Enemies" (1D, 4 records: x s16, kind u8, pos vector) and
// "Grid" (2D, 3 x 2 records: v s32).
class FakeArrays : public TableArrays {
 public:
  std::map<std::tuple<int, int, int, int>, std::vector<std::int32_t>> written;
  int FindArray(std::string_view name) const override {
    return name == "Enemies" ? 0 : name == "Grid" ? 1 : -1;
  }
  bool Is2D(int a) const override { return a == 1; }
  int DimX(int a) const override { return a == 0 ? 4 : 3; }
  int DimY(int a) const override { return a == 0 ? 0 : 2; }
  int FindElement(int a, std::string_view name) const override {
    if (a == 1) return name == "v" ? 0 : -1;
    return name == "x" ? 0 : name == "kind" ? 1 : name == "pos" ? 2 : -1;
  }
  int ElementType(int a, int e) const override {
    if (a == 1) return kElemS32;
    return e == 0 ? kElemS16 : e == 1 ? kElemU8 : kElemVector;
  }
  void WriteElement(int a, int x, int y, int e, const std::int32_t* v, int n) override {
    written[{a, x, y, e}] = std::vector<std::int32_t>(v, v + n);
  }
};

std::string TableFailure(const std::string& main) {
  ScriptRig g(main);
  FakeArrays arrays;
  g.pre.setTableArrays(&arrays);
  EXPECT_FALSE(g.preprocess()) << main;
  EXPECT_TRUE(arrays.written.empty());  // the first pass writes nothing
  return g.notes();
}

}  // namespace

TEST(PreprocessorTables, RecordsAreWrittenInTheSecondPass) {
  ScriptRig g(
      "##TYPE 3\n"
      "TableDefine Enemies 1 x kind pos ; comment\n"
      "TableData -5 #TYPE 1 2 3\n"
      "TableFill 2 7 8 0 0 0\n"
      "TableDefine2D Grid 1 1 v\n"
      "TableData 100\n"
      "TableData 200\n"
      "Return\n");
  FakeArrays arrays;
  g.pre.setTableArrays(&arrays);
  ASSERT_TRUE(g.run()) << g.notes();
  EXPECT_EQ(arrays.written.size(), 11u);  // 3 + 2 x 3 elements, 2 grid cells
  using V = std::vector<std::int32_t>;
  EXPECT_EQ((arrays.written[{0, 1, 0, 0}]), V{-5});
  EXPECT_EQ((arrays.written[{0, 1, 0, 1}]), V{3});
  EXPECT_EQ((arrays.written[{0, 1, 0, 2}]), (V{1, 2, 3}));
  EXPECT_EQ((arrays.written[{0, 2, 0, 0}]), V{7});
  EXPECT_EQ((arrays.written[{0, 3, 0, 1}]), V{8});
  EXPECT_EQ((arrays.written[{1, 1, 1, 0}]), V{100});
  EXPECT_EQ((arrays.written[{1, 2, 1, 0}]), V{200});
}

TEST(PreprocessorTables, Messages) {
  const std::string tail = "!! Preproceso falló en línea 2 !!\n";
  EXPECT_EQ(TableFailure("Return\nTableDefine Grid 0 v\n"),
            "ERROR: Utilice 'TableDefine2D' para arreglos 2D, línea 2\n" + tail);
  EXPECT_EQ(TableFailure("Return\nTableDefine2D Enemies 0 0 x\n"),
            "ERROR: Utilice 'TableDefine' para arreglos 1D, línea 2\n" + tail);
  EXPECT_EQ(TableFailure("Return\nTableDefine Enemies 4 x\n"),
            "ERROR: El índice está fuera de los límites del arreglo (índice = 4, límites 4), línea 2\n" + tail);
  EXPECT_EQ(TableFailure("Return\nTableDefine2D Grid 0 uno v\n"),
            "ERROR: El comando 'TableDefine2D' esperaba un entero (índice Y), línea 2\n" + tail);
  EXPECT_EQ(TableFailure("Return\nTableDefine2D Grid 0 2 v\n"),
            "ERROR: El índice Y está fuera de los límites del arreglo (índice = 2, límites 2), línea 2\n" + tail);
  EXPECT_EQ(TableFailure("TableDefine Enemies 0 x\nTableData 1 2\n"),
            "ERROR: Se hallaron más elementos de datos de los definidos en 'TableDefine', línea 2\n" + tail);
  EXPECT_EQ(TableFailure("TableDefine Enemies 0 x pos\nTableData 1 2\n"),
            "ERROR: No se hallaron suficientes elementos de datos para rellenar los elementos del arreglo "
            "definidos en 'TableDefine', línea 2\n" + tail);
  EXPECT_EQ(TableFailure("TableDefine Enemies 0 kind\nTableData 256\n"),
            "ERROR: El elemento 256 tiene un valor que está fuera del rango designado, línea 2\n" + tail);
  EXPECT_EQ(TableFailure("TableDefine Enemies 0 x\nTableFill\n"),
            "ERROR: Falta el parámetro 'cantidad' de 'TableFill', en columna 10, línea 2\n" + tail);
  EXPECT_EQ(TableFailure("TableDefine Enemies 0 x\nTableFill 0 1\n"),
            "ERROR: El índice está fuera de los límites de la tabla (cantidad = 0, índice = 0, límites 4), "
            "línea 2\n" + tail);
  EXPECT_EQ(TableFailure("TableDefine Enemies 2 x\nTableFill 3 1\n"),
            "ERROR: El índice está fuera de los límites de la tabla (cantidad = 3, índice = 2, límites 4), "
            "línea 2\n" + tail);
  EXPECT_EQ(TableFailure("TableDefine Enemies 3 x\nTableData 1\nTableData 2\n"),
            "ERROR: El índice está fuera de los límites del arreglo (índice = 4, límites 4), línea 3\n"
            "!! Preproceso falló en línea 3 !!\n");
  EXPECT_EQ(TableFailure("Return\nTableDefine Nadie 0 x\n"), "Nombre del Arreglo desconocido o mal escrito\n" + tail);
}

}  // namespace tarvolin::script::test
