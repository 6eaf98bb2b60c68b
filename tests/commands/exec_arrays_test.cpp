#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "project/array_math.h"
#include "commands/exec_arrays.h"
#include "script/script_rig.h"
#include "script/timing.h"

#include <sstream>

namespace tarvolin::commands {

using namespace script;
namespace {

using project::ArrayDef;
using project::ArrayElement;

ArrayDef MakeArray(std::string name, int dimX, int dimY, std::vector<std::pair<int, std::string>> elements,
                   bool table = false) {
  ArrayDef a;
  a.name = std::move(name);
  a.arrayType = dimY > 0 ? project::kTwoDimensional : project::kOneDimensional;
  a.dimX = dimX;
  a.dimY = dimY;
  a.table = table;
  for (auto& [type, n] : elements) a.elements.push_back({type, n, "", 0});
  return a;
}

class Files final : public ResourceFiles {
 public:
  std::vector<std::string> paths;
  bool ResolveFile(int resource, bool, std::string& path, bool&, ErrorState& err) override {
    if (resource < 0 || std::size_t(resource) >= paths.size()) {
      err.SetError(20);
      return false;
    }
    path = paths[std::size_t(resource)];
    return true;
  }
};

// A rig with the project's arrays in memory and the array commands attached.
struct ArrayRig : script::test::ScriptRig {
  project::BufferMemory memory;
  project::ArrayList arrays;
  ArrayCommands commands{arrays};
  Files files;

  explicit ArrayRig(const std::string& main) : ScriptRig(main) {
    arrays.setMemory(&memory);
    arrays.items() = {
        MakeArray("Enemy", 8, 0, {{project::kU8, "kind"}, {project::kS32, "x"}, {project::kS16, "y"}}),
        MakeArray("Grid", 4, 3, {{project::kU16, "cell"}}),
        MakeArray("Rom", 4, 0, {{project::kS8, "v"}, {project::kU8, "w"}}, true),
        MakeArray("Copy", 8, 0, {{project::kU8, "kind"}, {project::kS32, "x"}, {project::kS16, "y"}}),
        MakeArray("Space", 2, 0, {{project::kMatrix, "m"}, {project::kVector, "v"}, {project::kVector, "w"}}),
        MakeArray("Funcs", 4, 0, {{project::kS8, "fn"}}),
        MakeArray("Funcs2D", 2, 2, {{project::kS8, "fn"}}),
    };
    arrays.layout();
    commands.Attach(interp, pre);
    commands.setResourceFiles(&files);
  }
  std::int32_t get(const char* array, const char* element, int x, int y = 0) {
    const int a = arrays.find(array);
    std::int32_t v = 0;
    ErrorState err;
    EXPECT_TRUE(arrays.getElement(a, arrays.at(a)->findElement(element), x, y, v, err)) << err.GetError();
    return v;
  }
};

TEST(ArrayCommands, TablesElementsAndVariables) {
  ArrayRig g(
      "##FAST 7\n"
      "TableDefine Enemy 2 kind x\n"
      "TableData 1 -100\n"
      "TableFill 2 #FAST 0x10 ; two records\n"
      "TableDefine2D Grid 1 2 cell\n"
      "TableData 65535\n"
      "TableDefine Rom 0 v w\n"
      "TableData -1 200\n"
      "V_LV0 = Enemy.x[3]\n"
      "Enemy.y[V_LV0+2] = 5\n"  // index -16 + 2: out of range
      "Return\n");
  EXPECT_FALSE(g.run());
  EXPECT_EQ(g.error(), 151);
  EXPECT_EQ(g.line(), 10);
  EXPECT_EQ(g.local(0), 16);
  EXPECT_EQ(g.get("Enemy", "kind", 2), 1);
  EXPECT_EQ(g.get("Enemy", "x", 2), -100);
  EXPECT_EQ(g.get("Enemy", "kind", 3), 7);
  EXPECT_EQ(g.get("Enemy", "kind", 4), 7);
  EXPECT_EQ(g.get("Enemy", "x", 5), 0xFF'FF'FF'FF);  // not filled: still 0xFF bytes
  EXPECT_EQ(g.get("Grid", "cell", 1, 2), 65535);
  EXPECT_EQ(g.get("Rom", "v", 0), -1);   // read-only tables take their constant data
  EXPECT_EQ(g.get("Rom", "w", 0), 200);

  ArrayRig h(
      "V_LV1 = 3\n"
      "Enemy.x[V_LV1-1] = 1234\n"
      "Enemy.kind[V_LV1] = 999\n"       // kept within the u8 range
      "V_LV2 = Enemy.x[2]\n"
      "V_LV3 = Enemy.kind[V_LV1]\n"
      "V_LV4 = Enemy.kind\n"
      "Array1DGetElement Enemy.x 2 V_LV5\n"
      "Return\n");
  ASSERT_TRUE(h.run()) << h.error();
  EXPECT_EQ(h.local(2), 1234);
  EXPECT_EQ(h.local(3), 255);
  EXPECT_EQ(h.local(4), 255);  // record 0: 0xFF as the storage began
  EXPECT_EQ(h.local(5), 1234);

  // A macro parameter may stand for the index variable.
  ArrayRig m(
      "V_LV1 = 4\n"
      "Enemy.x[4] = 44\n"
      "Enemy.x[5] = 55\n"
      "%Get V_LV1\n"
      "Return\n");
  m.macro("Get", {"V_LV2 = Enemy.x[%0]", "Enemy.y[%0+1] = 7", "V_LV3 = Enemy.x[%0+1]"}, 1);
  ASSERT_TRUE(m.run()) << m.error();
  EXPECT_EQ(m.local(2), 44);
  EXPECT_EQ(m.local(3), 55);
  EXPECT_EQ(m.get("Enemy", "y", 5), 7);

  // Index forms: a variable with an offset, a global, a folded definition.
  ArrayRig forms(
      "##SPEED 12\n"
      "TableDefine Enemy 0 x\n"
      "TableData 10\nTableData 11\nTableData 12\nTableData 13\n"
      "TableData 14\nTableData 15\nTableData 16\nTableData 17\n"
      "V_LV0 = 3\n"
      "G_VAR03 = 6\n"
      "V_LV1 = Enemy.x[V_LV0+4]\n"
      "V_LV2 = Enemy.x[V_LV0-3]\n"
      "V_LV3 = Enemy.x[G_VAR03]\n"
      "V_LV4 = Enemy.x[#SPEED-5]\n"
      "V_LV5 = enemy.X[2]\n"
      "Return\n");
  ASSERT_TRUE(forms.run()) << forms.error() << forms.notes();
  EXPECT_EQ(forms.local(1), 17);
  EXPECT_EQ(forms.local(2), 10);
  EXPECT_EQ(forms.local(3), 16);
  EXPECT_EQ(forms.local(4), 17);
  EXPECT_EQ(forms.local(5), 12);

  // Variable errors, each with its code.
  const std::pair<const char*, ErrorCode> faults[] = {
      {"V_LV0 = Enemy.x[-1]\nReturn\n", 148},
      {"V_LV0 = Enemy.x[V_LV0+12]\nReturn\n", 147},
      {"V_LV0 = Enemy.x[Enemy.kind]\nReturn\n", 149},
      {"V_LV0 = Enemy.x[]\nReturn\n", 144},
      {"V_LV0 = Enemy.x[G_NONE]\nReturn\n", 38},
      {"V_LV0 = -5\nV_LV1 = Enemy.x[V_LV0+1]\nReturn\n", 151},
      {"Rom.v[1] = 3\nReturn\n", 137},
      {"V_LV0 = Grid.cell[0]\nReturn\n", 150},
      {"V_LV0 = Enemy.x[8]\nReturn\n", 151},
      {"V_LV0 = Enemy.x[1024]\nReturn\n", 148},
      {"V_LV0 = Enemy.x[V_LV0+5]\nReturn\n", 147},
      {"V_LV0 = Enemy.x[V_LV0*2]\nReturn\n", 147},
      {"V_LV0 = Enemy.x[F_GetButtonPressed]\nReturn\n", 149},
      {"V_LV0 = Enemy.x[2\nReturn\n", 144},
      {"V_LV0 = Enemy.x[2]z\nReturn\n", 144},
      {"V_LV0 = Space.m[0]\nReturn\n", 131},
  };
  for (const auto& [text, code] : faults) {
    SCOPED_TRACE(text);
    ArrayRig f(text);
    EXPECT_FALSE(f.run());
    EXPECT_EQ(f.error(), code);
  }
}

TEST(ArrayCommands, TableBlockMessages) {
  const std::pair<const char*, const char*> faults[] = {
      {"TableDefine Grid 0 cell\n", "ERROR: Utilice 'TableDefine2D' para arreglos 2D, línea 1"},
      {"TableDefine2D Enemy 0 0 kind\n", "ERROR: Utilice 'TableDefine' para arreglos 1D, línea 1"},
      {"TableDefine Enemy 8 kind\n",
       "ERROR: El índice está fuera de los límites del arreglo (índice = 8, límites 8), línea 1"},
      {"TableDefine2D Grid 0 y cell\n", "ERROR: El comando 'TableDefine2D' esperaba un entero (índice Y), línea 1"},
      {"TableDefine2D Grid 0 3 cell\n",
       "ERROR: El índice Y está fuera de los límites del arreglo (índice = 3, límites 3), línea 1"},
      {"TableDefine Enemy 0 kind\nTableData 1 2\n",
       "ERROR: Se hallaron más elementos de datos de los definidos en 'TableDefine', línea 2"},
      {"TableDefine Enemy 0 kind x\nTableData 1\n",
       "ERROR: No se hallaron suficientes elementos de datos para rellenar los elementos del arreglo "
       "definidos en 'TableDefine', línea 2"},
      {"TableDefine Enemy 0 kind\nTableData 256\n",
       "ERROR: El elemento 256 tiene un valor que está fuera del rango designado, línea 2"},
      {"TableDefine Enemy 0 kind\nTableFill\n",
       "ERROR: Falta el parámetro 'cantidad' de 'TableFill', en columna 10, línea 2"},
      {"TableDefine Enemy 0 kind\nTableFill 0 1\n",
       "ERROR: El índice está fuera de los límites de la tabla (cantidad = 0, índice = 0, límites 8), línea 2"},
      {"TableDefine Enemy 6 kind\nTableFill 3 1\n",
       "ERROR: El índice está fuera de los límites de la tabla (cantidad = 3, índice = 6, límites 8), línea 2"},
      {"TableDefine Enemy 7 kind\nTableData 1\nTableData 2\n",
       "ERROR: El índice está fuera de los límites del arreglo (índice = 8, límites 8), línea 3"},
  };
  for (const auto& [text, message] : faults) {
    SCOPED_TRACE(text);
    ArrayRig g(std::string(text) + "Return\n");
    EXPECT_FALSE(g.preprocess());
    EXPECT_NE(g.notes().find(message), std::string::npos) << g.notes();
  }
  // The first pass checks everything before anything is written.
  ArrayRig g("TableDefine Enemy 0 kind\nTableData 9\nTableData 300\nReturn\n");
  EXPECT_FALSE(g.preprocess());
  EXPECT_EQ(g.get("Enemy", "kind", 0), 255);
  // Vectors take three values and matrices twelve.
  ArrayRig s("TableDefine Space 1 v m\nTableData 1 2 3  1 0 0 4  0 1 0 5  0 0 1 6\nReturn\n");
  ASSERT_TRUE(s.preprocess()) << s.notes();
  std::int32_t m[12] = {};
  ErrorState err;
  ASSERT_TRUE(s.arrays.getValues(s.arrays.find("Space"), s.arrays.at(4)->findElement("m"), 1, 0, m, err));
  EXPECT_EQ(m[3], 4);
  EXPECT_EQ(m[11], 6);
}

TEST(ArrayCommands, InformationPeekPokeClearAndCopies) {
  ArrayRig g(
      "ArrayGetSize Enemy V_LV0\n"
      "ArrayGetDimensionX Grid V_LV1\n"
      "ArrayGetDimensionY Enemy V_LV2\n"
      "ArrayGetInstanceSize Enemy V_LV3\n"
      "ArrayClear Enemy 0\n"
      "ArrayPoke Enemy [s16] 8 -2\n"
      "ArrayPeek Enemy [u16] 8 V_LV4\n"
      "ArrayPoke ERAM [u8] 0x20000 77\n"
      "ArrayPeek ERAM [u8] 0x20000 V_LV5\n"
      "Array1DSetElement Enemy.x 1 42\n"
      "Array1DIndexCopy Enemy 1 5\n"
      "Array1DSwap Enemy 5 6\n"
      "Array1DCopy Copy Enemy\n"
      "Array2DSetElement Grid.cell 3 2 9\n"
      "Array2DGetElement Grid.cell 3 2 V_RV0\n"
      "V_RV1 = 0\n"
      "ArrayBlockPoke Enemy 6 0 Copy V_RV1 1\n"
      "V_RV2 = Grid\n"                      // an array's name as a value: its number
      "ArrayGetDimensionY V_RV2 V_RV3\n"
      "Return\n");
  ASSERT_TRUE(g.run()) << g.error();
  EXPECT_EQ(g.local(0), 8 * 8);
  EXPECT_EQ(g.local(1), 4);
  EXPECT_EQ(g.local(2), 0);
  EXPECT_EQ(g.local(3), 8);
  EXPECT_EQ(g.local(4), 0xFFFE);
  EXPECT_EQ(g.local(5), 77);
  EXPECT_EQ(g.memory.memories[project::kMemoryEram][0x20000], 77);
  EXPECT_EQ(g.get("Enemy", "x", 6), 42);
  EXPECT_EQ(g.get("Copy", "x", 6), 42);
  EXPECT_EQ(g.get("Copy", "x", 0), 42);  // record 6 poked over Copy's first bytes
  EXPECT_EQ(g.rv(0), 9);
  EXPECT_EQ(g.rv(1), 8);  // the offset moved past the record
  EXPECT_EQ(g.rv(2), 1);
  EXPECT_EQ(g.rv(3), 3);

  const std::pair<const char*, ErrorCode> faults[] = {
      {"V_LV0 = ERAM\n", 142},
      {"V_LV0 = 99\nArrayGetSize V_LV0 V_LV1\n", 141},
      {"Array1DCopy Copy Grid\n", 130},
      {"Array1DCopy Space Enemy\n", 138},
      {"Array2DCopy Enemy Copy\n", 130},
      {"Array1DGetElement Grid.cell 0 V_LV0\n", 130},
      {"Array2DGetElement Enemy.x 0 0 V_LV0\n", 130},
      {"Array1DGetElement Enemy.x 8 V_LV0\n", 128},
      {"Array1DSetElement Space.v 0 1\n", 131},
      {"Array1DSort Enemy.x 5 2 0\n", 129},
      {"ArrayPoke Rom [u8] 0 1\n", 137},
      {"ArrayClear Rom 0\n", 137},
      {"Array1DSwap Rom 0 1\n", 137},
      {"ArrayPeek ERAM [u16] 1 V_LV0\n", 140},
      {"ArrayPeek Enemy [u32] 1 V_LV0\n", 154},
      {"ArrayPeek Enemy u8 1 V_LV0\n", 153},
      {"ArrayPeek Nothing [u8] 1 V_LV0\n", 125},
      {"ArrayPeek 99 [u8] 1 V_LV0\n", 141},
      {"Array1DGetElement Enemy 0 V_LV0\n", 126},
      {"Array1DGetElement Enemy.z 0 V_LV0\n", 127},
      {"Array1DFind 0 0 Enemy.x >=< 1 2 V_LV0\n", 139},
      {"Array2DFind 0 0 0 0 0 Enemy.x == 1 V_LV0 V_LV1\n", 130},
      {"VectorGet Space.m 0 V_LV0 V_LV1 V_LV2\n", 132},
      {"MatrixIdentity Space.v 0\n", 132},
      {"MatrixApplyToVector Space.v 0 Space.m 0 Space.m 0\n", 132},
  };
  for (const auto& [text, code] : faults) {
    SCOPED_TRACE(text);
    ArrayRig f(std::string(text) + "Return\n");
    EXPECT_FALSE(f.run());
    EXPECT_EQ(f.error(), code);
  }
}

TEST(ArrayCommands, SortFindAndNotFound) {
  ArrayRig g(
      "TableDefine Enemy 0 y kind\n"
      "TableData 30 0\nTableData -5 1\nTableData 12 2\nTableData 30 3\nTableData 7 4\n"
      "TableData 0 5\nTableData 0 6\nTableData 0 7\n"
      "Array1DFind 0 0 Enemy.y == 30 V_LV0\n"
      "Array1DFind 1 0 Enemy.y == 30 V_LV1\n"
      "Array1DFind 0 0 Enemy.y == 99 V_LV2\n"
      "Array1DSort Enemy.y 0 4 0\n"
      "Array1DFind 0 4 Enemy.y > 10 V_LV3\n"
      "Array1DSort Enemy.y 0 4 1\n"
      "V_LV4 = Enemy.kind[0]\n"
      "V_LV5 = Enemy.kind[1]\n"
      "TableDefine2D Grid 0 0 cell\n"
      "Array2DSetElement Grid.cell 2 1 50\n"
      "Array2DFind 0 0 0 0 0 Grid.cell == 50 V_RV0 V_RV1\n"
      "Array2DFind 0 0 0 0 0 Grid.cell == 51 V_RV2 V_RV3\n"
      "Return\n");
  ASSERT_TRUE(g.run()) << g.error() << g.notes();
  EXPECT_EQ(g.local(0), 0);
  EXPECT_EQ(g.local(1), 3);
  EXPECT_EQ(g.local(2), -1);
  EXPECT_EQ(g.local(3), 2);  // ascending: -5 7 12 30 30
  EXPECT_EQ(g.local(4), 0);  // descending keeps the two 30s in order: kinds 0 then 3
  EXPECT_EQ(g.local(5), 3);
  EXPECT_EQ(g.rv(0), 2);
  EXPECT_EQ(g.rv(1), 1);
  EXPECT_EQ(g.rv(2), -1);
  EXPECT_EQ(g.rv(3), -1);
}

TEST(ArrayCommands, IterateThroughTheCallMechanism) {
  // Functions by number (their place in the script's table, by name):
  // Count 0, Sum 1, Visit 2.
  ArrayRig g(
      "TableDefine2D Grid 0 0 cell\n"
      "TableData 1\nTableData 2\nTableData 3\nTableData 4\n"
      "TableDefine2D Grid 0 1 cell\n"
      "TableData 1\nTableData 2\nTableData 1\nTableData 2\n"
      "TableDefine Funcs 0 fn\n"
      "TableData -1\nTableData 1\nTableData 0\nTableData 9\n"
      "G_VAR00 = 0\n"
      "G_VAR01 = 0\n"
      "G_VAR02 = 0\n"
      "Array2DIterate Grid 1 0 2 2 Visit\n"
      "Array2DIterateTable Grid.cell 0 1 4 1 Funcs.fn\n"
      "V_LV0 = G_VAR00\n"
      "V_LV1 = G_VAR01\n"
      "V_LV2 = G_VAR02\n"
      "Return\n"
      "Function Visit 3\n"
      "G_VAR00 *= 100\n"
      "G_VAR00 += V_EV0\n"
      "Return\n"
      "Function Sum 3\n"
      "G_VAR01 += V_EV0\n"
      "G_VAR01 += V_EV1\n"
      "Return\n"
      "Function Count 3\n"
      "G_VAR02 += 1\n"
      "Return\n");
  ASSERT_TRUE(g.run()) << g.error() << g.notes();
  // Records (1,0) (2,0) (1,1) (2,1): numbers 1, 2, 5, 6.
  EXPECT_EQ(g.local(0), ((1 * 100 + 2) * 100 + 5) * 100 + 6);
  // Values 1 2 1 2 in row 1: Funcs.fn[1] = Sum for the 1s (value + x), Funcs.fn[2] = Count.
  EXPECT_EQ(g.local(1), (1 + 0) + (1 + 2));
  EXPECT_EQ(g.local(2), 2);

  const char* kFunctions = "Return\nFunction Three 3\nReturn\nFunction Two 2\nReturn\n";
  const std::pair<std::string, ErrorCode> faults[] = {
      {"Array2DIterate Grid 0 0 1 1 Two\n", 17},
      {"Array2DIterate Grid 0 0 1 1 Missing\n", 5},
      {"Array2DIterate Grid 0 0 1 1 5\n", 14},
      {"Array2DIterate Grid 0 0 1 1 -1\n", 16},
      {"Array2DIterate Grid 3 0 2 1 Three\n", 128},
      // The table of functions: a value past it, a number naming no
      // function, a function with other parameters, a 2D table.
      {"Array2DSetElement Grid.cell 0 0 7\nArray2DIterateTable Grid.cell 0 0 1 1 Funcs.fn\n", 128},
      {"Array2DSetElement Grid.cell 0 0 1\nArray1DSetElement Funcs.fn 1 5\n"
       "Array2DIterateTable Grid.cell 0 0 1 1 Funcs.fn\n", 16},
      {"Array2DSetElement Grid.cell 0 0 1\nArray1DSetElement Funcs.fn 1 1\n"
       "Array2DIterateTable Grid.cell 0 0 1 1 Funcs.fn\n", 17},
      {"Array2DIterateTable Grid.cell 0 0 1 1 Funcs2D.fn\n", 130},
  };
  for (const auto& [text, code] : faults) {
    SCOPED_TRACE(text);
    ArrayRig f(text + kFunctions);
    EXPECT_FALSE(f.run());
    EXPECT_EQ(f.error(), code);
  }
  // Each call of a recursing iteration counts against the call limit.
  ArrayRig deep("Array2DIterate Grid 0 0 1 1 Deep\nReturn\nFunction Deep 3\nArray2DIterate Grid 0 0 1 1 Deep\nReturn\n");
  EXPECT_FALSE(deep.run());
  EXPECT_EQ(deep.error(), 8);
  // A macro body may not iterate: its later lines would run before the calls.
  ArrayRig m("%Walk Grid\nReturn\nFunction Three 3\nReturn\n");
  m.macro("Walk", {"Array2DIterate %0 0 0 1 1 0"}, 1);
  EXPECT_FALSE(m.run());
  EXPECT_EQ(m.error(), 172);
}

TEST(ArrayCommands, IterateCallsGlobalFunctionsByName) {
  // A FunctionGlobal of another script, named as Call names it; a global
  // of the same name as a script function is the one called, as by Call.
  ArrayRig g(
      "ExternScript \"lib\"\n"
      "G_VAR00 = 0\n"
      "Array2DIterate Grid 1 1 2 1 Visit\n"
      "V_LV0 = G_VAR00\n"
      "Call Visit 0 0 0\n"
      "V_LV1 = G_VAR00\n"
      "Return\n"
      "Function Visit 3\n"
      "G_VAR00 = -1\n"
      "Return\n");
  g.file("lib.txt", "Return\nFunctionGlobal Visit 3\nG_VAR00 *= 100\nG_VAR00 += V_EV0\nReturn\n");
  ASSERT_TRUE(g.run()) << g.error() << g.notes();
  // Records (1,1) and (2,1) of the 4-wide grid: numbers 5 and 6.
  EXPECT_EQ(g.local(0), 5 * 100 + 6);
  EXPECT_EQ(g.local(1), 506 * 100);

  // A global with other parameters is refused as a script function is.
  ArrayRig two("ExternScript \"lib\"\nArray2DIterate Grid 0 0 1 1 Two\nReturn\n");
  two.file("lib.txt", "Return\nFunctionGlobal Two 2\nReturn\n");
  EXPECT_FALSE(two.run());
  EXPECT_EQ(two.error(), 17);
}

TEST(ArrayCommands, MatricesAndVectors) {
  constexpr std::int32_t F = project::kFixedOne;
  ArrayRig g(
      "MatrixIdentity Space.m 0\n"
      "VectorSet Space.v 0 0 0 0x10000\n"          // the Z axis
      "MatrixRotate Space.m 0 64 Space.v 0\n"      // a quarter turn
      "VectorSet Space.v 1 0x30000 0 0\n"
      "MatrixTranslate Space.m 0 Space.v 1\n"
      "MatrixScale Space.m 0 0x20000 0x20000 0x10000\n"
      "VectorSet Space.w 0 0x10000 0 0\n"
      "MatrixApplyToVector Space.w 1 Space.w 0 Space.m 0\n"
      "VectorGet Space.w 1 V_LV0 V_LV1 V_LV2\n"
      "Return\n");
  ASSERT_TRUE(g.run()) << g.error();
  // (1,0,0) rotated to (0,1,0), moved to (3,1,0), scaled to (6,2,0).
  EXPECT_EQ(g.local(0), 6 * F);
  EXPECT_EQ(g.local(1), 2 * F);
  EXPECT_EQ(g.local(2), 0);
}

TEST(ArrayCommands, DataFilesThroughResources) {
  tarvolin::test::TempDir dir;
  ArrayRig g(
      "Array1DSetElement Enemy.x 3 -7\n"
      "Array1DSave 0 Enemy\n"
      "Array1DSetElement Enemy.x 3 0\n"
      "Array1DLoad 0 Enemy\n"
      "V_LV0 = Enemy.x[3]\n"
      "Return\n");
  g.files.paths = {dir.file("enemy.bin"), dir.file("short.bin")};
  ASSERT_TRUE(g.run()) << g.error();
  EXPECT_EQ(g.local(0), -7);
  EXPECT_EQ(tarvolin::test::TempDir::read(dir.file("enemy.bin")).size(), 64u);
  dir.write("short.bin", std::string(63, 'x'));

  const std::pair<const char*, ErrorCode> faults[] = {
      {"Array1DLoad 1 Enemy\n", 136},
      {"Array2DLoad 0 Enemy\n", 130},
      {"Array1DSave 0 Grid\n", 130},
      {"Array1DLoad 2 Enemy\n", 20},
      {"Array1DLoad 0 Rom\n", 137},
  };
  for (const auto& [text, code] : faults) {
    SCOPED_TRACE(text);
    ArrayRig f(std::string(text) + "Return\n");
    f.files.paths = g.files.paths;
    EXPECT_FALSE(f.run());
    EXPECT_EQ(f.error(), code);
  }
  ArrayRig missing("Array1DLoad 0 Enemy\nReturn\n");
  missing.files.paths = {dir.file("none.bin")};
  EXPECT_FALSE(missing.run());
  EXPECT_EQ(missing.error(), 134);
  ArrayRig unwritable("Array1DSave 0 Enemy\nReturn\n");
  unwritable.files.paths = {dir.file("no/folder/e.bin")};
  EXPECT_FALSE(unwritable.run());
  EXPECT_EQ(unwritable.error(), 135);
}

TEST(ArrayCommands, SizeDependentCommandsCostTheBytesTheyMove) {
  tarvolin::test::TempDir dir;
  dir.write("enemy.bin", std::string(64, 'e'));  // Enemy: 8 records of 8 bytes
  dir.write("grid.bin", std::string(24, 'g'));   // Grid: 4 x 3 of 2 bytes
  const char* names[] = {"ArrayClear", "Array1DCopy", "Array1DLoad", "Array2DLoad", "Array2DCopy"};
  std::string db;
  for (const char* n : names) db += std::string(n) + " 16 100\n";
  db += "ArrayGetSize 7\n";
  // Each command with the cycles it adds: 100 + bytes x 16 / 16; a fixed
  // command beside them for comparison.
  const std::pair<std::string, std::int32_t> lines[] = {
      {"ArrayClear Enemy 0", 164},    {"Array1DCopy Copy Enemy", 164}, {"Array1DLoad 0 Enemy", 164},
      {"Array2DLoad 1 Grid", 124},    {"Array2DCopy Grid Grid", 124},  {"ArrayGetSize Enemy V_LV0", 7},
  };
  for (const auto& [text, cycles] : lines) {
    SCOPED_TRACE(text);
    ArrayRig g(text + "\nReturn\n");
    TimingEngine timing;
    std::istringstream in(db);
    ASSERT_TRUE(timing.LoadTimingDatabase(in, [](std::string_view) {}));
    g.interp.setTiming(&timing);
    g.files.paths = {dir.file("enemy.bin"), dir.file("grid.bin")};
    ASSERT_TRUE(g.run()) << g.error();
    EXPECT_EQ(timing.FrameTotal(), cycles);
  }
}

}  // namespace
}  // namespace tarvolin::commands
