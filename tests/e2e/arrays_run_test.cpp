// Games with arrays run through `tarvolin run`, and through a workbench to
// see the modelled memory afterwards.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/in_process.h"
#include "common/temp_dir.h"
#include "e2e/run_tool.h"
#include "project/recording_host.h"
#include "common/errors.h"
#include "workbench/workbench.h"

namespace tarvolin::test {
namespace {

// "arrays.txt" of the test game: a 1D table of enemies (x s32 at 0, kind u8
// at 4 after reordering), a 2D grid, a read-only table and a fixed array.
const char* kArrays =
    ";;; Tarvolin array script file - automatically generated\n"
    ";;; any changes made by hand will be lost\n\n\n"
    "#Enemy\nOne dimensional\n6\n0\n$kind\n$8 bit unsigned\nclase\n$x\n$32 bit signed\nposición\n"
    "*false\nRO\n#\nWorkRAM\nAnyAdd\nArray\n0\n0\n\n"
    "#Grid\nTwo dimensional\n3\n2\n$cell\n$16 bit signed\n\n"
    "*false\nRO\n#\nWorkRAM\nAnyAdd\nArray\n0\n0\n\n"
    "#Speeds\nOne dimensional\n4\n0\n$speed\n16 bit\n"
    "*true\nRO\n#\nWorkRAM\nAnyAdd\nArray\n0\n0\n\n"
    "#Fast\nOne dimensional\n2\n0\n$v\n$32 bit signed\n\n"
    "*false\nRO\n#\nFastRAM\nFixedAdd\nArray\n256\n0\n\n"
    "#Space\nOne dimensional\n2\n0\n$v\n$3D vector\n\n$m\n$3D matrix\n\n"
    "*false\nRO\n#\nWorkRAM\nAnyAdd\nArray\n0\n0\n\n"
    "#Handlers\nOne dimensional\n256\n0\n$fn\n$8 bit signed\nfunción por valor\n"
    "*true\nRO\n#\nWorkRAM\nAnyAdd\nArray\n0\n0\n\n";

// A game made by `tarvolin new` whose main script is `main` (LF lines are
// written as CR LF, as the editor saves them).
// `inProcess`: made by the tool's own core functions inside the test (for the
// error tables).
std::string MakeGame(TempDir& dir, const std::string& main, bool inProcess = false) {
  const std::string path = dir.file("Juego.tvp");
  EXPECT_EQ((inProcess ? runInProcess({"new", path}) : runTool({"new", path})).exitCode, 0);
  dir.write("Juego/arrays.txt", kArrays);
  std::string crlf;
  for (char c : main) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  dir.write("Juego/Script/main.txt", crlf);
  return path;
}

const char* kGame =
    "TableDefine Enemy 0 x kind\n"
    "TableData 100 1\n"
    "TableData -20 2\n"
    "TableFill 3 55 9\n"
    "TableDefine Speeds 0 speed\n"
    "TableData 300\nTableData -4\nTableData 12\nTableData 7\n"
    "TableDefine2D Grid 0 1 cell\n"
    "TableData 1\nTableData 2\nTableData 3\n"
    "TableDefine Handlers 1 fn\n"
    "TableFill 3 0 ; values 1..3 call function 0: Add\n"
    "Enemy.x[5] = 77\n"
    "V_LV0 = Enemy.x[1]\n"
    "Array1DGetElement Speeds.speed 0 V_LV1\n"
    "Array1DFind 0 0 Enemy.kind == 9 V_LV2\n"
    "Array1DFind 0 0 Enemy.kind == 200 V_LV3\n"
    "Log \"x1=%d s0=%d found=%d none=%d\" V_LV0 V_LV1 V_LV2 V_LV3\n"
    "Array1DSort Enemy.x 0 5 0\n"
    "Log \"sorted %d %d %d\" Enemy.x[0] Enemy.x[1] Enemy.x[5]\n"
    "Array1DCopy Enemy Enemy\n"
    "G_VAR00 = 0\n"
    "Array2DIterateTable Grid.cell 0 1 3 1 Handlers.fn\n"
    "Log \"sum=%d\" G_VAR00\n"
    "Fast.v[1] = 0x1234567\n"
    "V_LV5 = 0x2F000\n"
    "ERAM.u8[V_LV5] = 0xAB\n"
    "Return\n"
    "Function Add 3\n"
    "G_VAR00 += V_EV0\n"
    "Return\n";

TEST(ArraysRun, TablesVariablesSortFindAndIteration) {
  TempDir dir;
  const std::string path = MakeGame(dir, kGame);
  const ToolResult r = runTool({"run", path, "--frames", "2"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("x1=-20 s0=300 found=2 none=-1"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("sorted -20 55 100"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("sum=6"), std::string::npos) << r.out;
}

TEST(ArraysRun, ErrorsStopTheGameWithTheirCodes) {
  const std::pair<const char*, const char*> faults[] = {
      {"Speeds.speed[0] = 1\n", "<Error de Ciclo: <No se puede modificar la tabla, los datos están guardados en la ROM> en la línea 1"},
      {"V_LV0 = Enemy.x[6]\n", "El índice especificado (valor de variable posible) está fuera de los límites del arreglo> en la línea 1"},
      {"V_LV0 = Grid.cell[0]\n", "Solo pueden usarse arreglos 1D como variable de arreglo> en la línea 1"},
      {"Array1DGetElement Enemy.x 6 V_LV0\n", "El índice está fuera de los límites del arreglo> en la línea 1"},
      {"Array1DSort Enemy.x 4 1 0\n", "Rango inválido para ordenar> en la línea 1"},
      {"Array1DCopy Enemy Grid\n", "Tipo de arreglo para la función ilegal (es decir, 2D en lugar de 1D)> en la línea 1"},
      {"Array1DCopy Enemy Speeds\n", "No se pueden copiar arreglos - tamaños diferentes> en la línea 1"},
      {"Array1DGetElement Enemy.x 0 V_LV0\nV_LV0 = Fast.v[0]\nArrayPeek ERAM [s16] 3 V_LV0\n",
       "Mala alineación de memoria en los arreglos del sistema> en la línea 3"},
      {"Array1DFind 0 0 Enemy.x <> 1 2 V_LV0\n", "no pueden utilizar operadores ternarios"},
      {"VectorSet Enemy.x 0 1 2 3\n", "Se ha pasado un tipo 3D incorrecto"},
      {"Array2DIterate Grid 0 0 1 1 Missing\n", "<Error de Ciclo: <Función no definida> en la línea 1"},
  };
  for (const auto& [text, expected] : faults) {
    SCOPED_TRACE(text);
    TempDir dir;
    const std::string path = MakeGame(dir, std::string(text) + "Return\n", true);
    const ToolResult r = runInProcess({"run", path, "--frames", "2"});
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_NE(r.out.find(expected), std::string::npos) << r.out;
  }
  // A table block fault fails the preprocess with its line.
  TempDir dir;
  const std::string path = MakeGame(dir, "Return\nTableDefine Enemy 0 kind\nTableFill 0 1\n");
  const ToolResult r = runTool({"run", path, "--frames", "2"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("ERROR: El índice está fuera de los límites de la tabla (cantidad = 0, índice = 0, límites 6), línea 3"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("!! Preproceso falló en línea 3 !!"), std::string::npos) << r.out;
}

TEST(ArraysRun, OperandAndIterationErrorsWithTheirCodes) {
  struct Fault {
    const char* text;
    ErrorCode code;
    int line;
  };
  const Fault faults[] = {
      {"ArrayGetSize\n", 124, 1},
      {"ArrayPeek Nothing [u8] 0 V_LV0\n", 125, 1},
      {"Array1DGetElement Enemy 0 V_LV0\n", 126, 1},
      {"Array1DGetElement Enemy.zz 0 V_LV0\n", 127, 1},
      {"Array1DGetElement Space.v 0 V_LV0\n", 131, 1},
      {"MatrixIdentity Space.v 0\n", 132, 1},
      {"V_LV1 = 99\nArrayGetSize V_LV1 V_LV0\n", 141, 2},
      {"V_LV0 = ERAM\n", 142, 1},
      {"V_LV0 = Enemy.x[2\n", 144, 1},
      {"V_LV0 = Enemy.x[V_LV1+5]\n", 147, 1},
      {"V_LV0 = Enemy.x[1024]\n", 148, 1},
      {"V_LV0 = Enemy.x[F_GetButtonPressed]\n", 149, 1},
      {"ArrayPeek Enemy [u32] 0 V_LV0\n", 154, 1},
      {"Array2DIterate Grid 0 0 1 1 Two\nReturn\nFunction Two 2\n", 17, 1},
      {"V_LV0 = 0\nArray2DIterate Grid 0 0 1 1 Deep\nReturn\nFunction Deep 3\n"
       "Array2DIterate Grid 0 0 1 1 Deep\n",
       8, 5},
  };
  for (const Fault& f : faults) {
    SCOPED_TRACE(f.text);
    TempDir dir;
    const std::string path = MakeGame(dir, std::string(f.text) + "Return\n", true);
    const ToolResult r = runInProcess({"run", path, "--frames", "2"});
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    const std::string expected = "<Error de Ciclo: <" + std::string(MessageFor(f.code)) +
                                 "> en la línea " + std::to_string(f.line);
    EXPECT_NE(r.out.find(expected), std::string::npos) << r.out;
  }
}

TEST(ArraysRun, ScriptsWriteTheModelledMemoryAtThePlacedOffsets) {
  TempDir dir;
  const std::string path = MakeGame(dir, kGame);
  RecordingHost host;
  Workbench bench(host);
  ASSERT_TRUE(bench.project().open(path, false));
  project::ArrayList& arrays = bench.project().arrays();
  const project::ArrayDef* enemy = arrays.at(arrays.find("Enemy"));
  const project::ArrayDef* grid = arrays.at(arrays.find("Grid"));
  const project::ArrayDef* fast = arrays.at(arrays.find("Fast"));
  ASSERT_TRUE(enemy && grid && fast);
  // Enemy: x (s32) before kind (u8), record 8 bytes, 48 in all, at 0; Grid
  // after it; the fixed array in internal RAM at 256.
  EXPECT_EQ(enemy->recordSize, 8);
  EXPECT_EQ(enemy->placedOffset, 0);
  EXPECT_EQ(grid->placedOffset, 48);
  EXPECT_EQ(fast->storageOffset, 256);
  EXPECT_EQ(fast->memoryKind, project::kMemoryIram);

  ASSERT_TRUE(bench.scripts().Preprocess(bench.project(), false)) << host.lines.size();
  bench.game().Start();
  for (int f = 0; f < 2; ++f) ASSERT_NE(bench.game().RunFrame(), FrameOutcome::Failed);

  auto eram = bench.machine().memory(project::kMemoryEram, 0);
  // After the sort: -20, 55, 55, 55, 77, 100 in x; record 0 holds -20 and kind 2.
  EXPECT_EQ(eram[0], 0xEC);
  EXPECT_EQ(eram[3], 0xFF);
  EXPECT_EQ(eram[4], 2);
  EXPECT_EQ(eram[5 * 8], 100);
  // Grid row 1 (records 3..5) holds 1, 2, 3.
  EXPECT_EQ(eram[48 + 3 * 2], 1);
  EXPECT_EQ(eram[48 + 5 * 2], 3);
  EXPECT_EQ(eram[48 + 5 * 2 + 1], 0);
  EXPECT_EQ(eram[0x2F000], 0xAB);
  auto iram = bench.machine().memory(project::kMemoryIram, 256 + 4);
  EXPECT_EQ(iram[0], 0x67);
  EXPECT_EQ(iram[3], 0x01);
  // The read-only table lives apart from the modelled memory.
  EXPECT_EQ(arrays.at(arrays.find("Speeds"))->storage, project::StorageKind::Table);
}

TEST(ArraysRun, DataFilesThroughTheProjectsResources) {
  TempDir dir;
  const std::string path = MakeGame(dir,
                                    "Array1DSetElement Enemy.x 2 -9\n"
                                    "Array1DSave EnemySave Enemy\n"
                                    "Array1DSetElement Enemy.x 2 0\n"
                                    "Array1DLoad 0 Enemy\n"
                                    "Log \"x2=%d\" Enemy.x[2]\n"
                                    "Array1DLoad 1 Enemy\n"
                                    "Return\n");
  RecordingHost host;
  Workbench bench(host);
  ASSERT_TRUE(bench.project().open(path, false));
  project::Resource saved;
  saved.name = "EnemySave";
  saved.file = dir.file("Juego/Resources/enemy.sav");
  saved.kind = project::ResourceKind::Binary;
  project::Resource wrong = saved;
  wrong.name = "Short";
  wrong.file = dir.write("Juego/Resources/short.sav", std::string(47, '\0'));
  ASSERT_TRUE(bench.project().resources().add(saved));
  ASSERT_TRUE(bench.project().resources().add(wrong));
  ASSERT_TRUE(bench.scripts().Preprocess(bench.project(), false));
  bench.game().Start();
  FrameOutcome outcome = FrameOutcome::Failed;
  for (int f = 0; f < 2; ++f) outcome = bench.game().RunFrame();
  EXPECT_EQ(outcome, FrameOutcome::Failed);
  EXPECT_EQ(bench.scripts().interpreter().errors().GetError(), 136);
  EXPECT_TRUE(host.saw("x2=-9"));
  EXPECT_EQ(TempDir::read(dir.file("Juego/Resources/enemy.sav")).size(), 48u);

  // Loading resolves the file with the must-exist check (160 from the
  // resources when it is missing); a file that cannot be written gives 135.
  const std::pair<const char*, ErrorCode> faults[] = {{"Array1DLoad 2 Enemy\n", 160},
                                                               {"Array1DSave 3 Enemy\n", 135}};
  for (const auto& [text, code] : faults) {
    SCOPED_TRACE(text);
    TempDir other;
    const std::string game = MakeGame(other, std::string(text) + "Return\n", true);
    RecordingHost h;
    Workbench b(h);
    ASSERT_TRUE(b.project().open(game, false));
    for (int i = 0; i < 4; ++i) {
      project::Resource res = saved;
      res.name = "R" + std::to_string(i);
      res.file = i == 2 ? other.path() : i == 3 ? other.file("Juego/none/x.sav") : other.file("x.sav");
      ASSERT_TRUE(b.project().resources().add(res));
    }
    ASSERT_TRUE(b.scripts().Preprocess(b.project(), false));
    b.game().Start();
    b.game().RunFrame();
    EXPECT_EQ(b.game().RunFrame(), FrameOutcome::Failed);
    EXPECT_EQ(b.scripts().interpreter().errors().GetError(), code);
  }
}

TEST(ArraysRun, ACancelledFileChoice) {
  // The resource asks for its file and the user cancels: the 2D save does
  // nothing and sets no error; the 1D save goes on with the resource's own file.
  for (const bool twoD : {true, false}) {
    SCOPED_TRACE(twoD);
    TempDir dir;
    const std::string path =
        MakeGame(dir, std::string(twoD ? "Array2DSave Asked Grid\n" : "Array1DSave Asked Enemy\n") +
                          "Log \"saved\"\nReturn\n");
    RecordingHost host;  // answers every file choice with cancel
    Workbench bench(host);
    ASSERT_TRUE(bench.project().open(path, false));
    project::Resource asked;
    asked.name = "Asked";
    asked.file = dir.file("Juego/own.sav");
    asked.kind = project::ResourceKind::Binary;
    asked.ask = true;
    ASSERT_TRUE(bench.project().resources().add(asked));
    ASSERT_TRUE(bench.scripts().Preprocess(bench.project(), false));
    bench.game().Start();
    for (int f = 0; f < 2; ++f) ASSERT_NE(bench.game().RunFrame(), FrameOutcome::Failed);
    EXPECT_TRUE(host.saw("saved"));
    if (twoD) EXPECT_FALSE(std::filesystem::exists(dir.file("Juego/own.sav")));
    else EXPECT_EQ(TempDir::read(dir.file("Juego/own.sav")).size(), 48u);
  }
}

// A host that answers the file dialog with a preset file.
class ChoosingHost : public RecordingHost {
 public:
  std::string chosen;
  bool chooseFile(std::string_view, std::string_view, std::string& path) override {
    path = chosen;
    return !chosen.empty();
  }
};

TEST(ArraysRun, ScriptsWriteOnlyInTheProjectsOwnFolders) {
  TempDir dir;
  std::filesystem::create_directories(dir.file("Juego/Resources"));
  std::filesystem::create_directories(dir.file("casa"));
  std::filesystem::create_symlink(dir.file("casa"), dir.file("Juego/Resources/enlace"));
  struct Case {
    std::string line;
    std::string file;    // the resource's file (relative to the resource root when it starts with "..")
    std::string target;  // the file that must (not) be written
    bool written;
  };
  const Case cases[] = {
      {"Array1DSave Dato Enemy", dir.file("Juego/Resources/bien.sav"), dir.file("Juego/Resources/bien.sav"), true},
      {"Array2DSave Dato Grid", dir.file("Juego/Script/bien2.sav"), dir.file("Juego/Script/bien2.sav"), true},
      {"Array1DSave Dato Enemy", dir.file("fuera.sav"), dir.file("fuera.sav"), false},
      {"Array2DSave Dato Grid", dir.file("casa/.profile"), dir.file("casa/.profile"), false},
      {"Array1DSave Dato Enemy", "..\\..\\casa\\x.sav", dir.file("casa/x.sav"), false},
      {"Array1DSave Dato Enemy", dir.file("Juego/Resources/enlace/y.sav"), dir.file("casa/y.sav"), false},
      {"LogFile \"Juego\\notas.txt\" \"hola\"", "", dir.file("Juego/notas.txt"), true},
      {"LogFile \"notas.txt\" \"hola\"", "", dir.file("notas.txt"), false},
      {"LogFile \"" + dir.file("casa/.bashrc") + "\" \"rm\"", "", dir.file("casa/.bashrc"), false},
  };
  const std::string game = MakeGame(dir, "Return\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line + " " + c.file);
    dir.write("Juego/Script/main.txt", c.line + "\r\nReturn\r\n");
    RecordingHost host;
    Workbench bench(host);
    ASSERT_TRUE(bench.project().open(game, false));
    project::Resource data;
    data.name = "Dato";
    data.kind = project::ResourceKind::Binary;
    data.relative = c.file.rfind("..", 0) == 0;
    data.file = c.file;
    ASSERT_TRUE(bench.project().resources().add(data));
    ASSERT_TRUE(bench.scripts().Preprocess(bench.project(), false));
    bench.game().Start();
    bench.game().RunFrame();
    const FrameOutcome outcome = bench.game().RunFrame();
    EXPECT_EQ(std::filesystem::exists(c.target), c.written);
    if (c.written) {
      EXPECT_NE(outcome, FrameOutcome::Failed);
    } else {
      EXPECT_EQ(outcome, FrameOutcome::Failed);
      EXPECT_EQ(bench.scripts().interpreter().errors().GetError(), err::kResourceFile);
      std::string detail;
      ASSERT_TRUE(bench.scripts().interpreter().errors().ErrorDetail(detail));
      EXPECT_EQ(detail.rfind("No se escribe fuera de las carpetas del proyecto: <", 0), 0u) << detail;
    }
  }

  // A file the user picks in the dialog is the user's choice.
  dir.write("Juego/Script/main.txt", "Array1DSave Pedido Enemy\r\nReturn\r\n");
  ChoosingHost host;
  host.chosen = dir.file("casa/elegido.sav");
  Workbench bench(host);
  ASSERT_TRUE(bench.project().open(game, false));
  project::Resource asked;
  asked.name = "Pedido";
  asked.kind = project::ResourceKind::Binary;
  asked.file = dir.file("fuera.sav");
  asked.ask = true;
  ASSERT_TRUE(bench.project().resources().add(asked));
  ASSERT_TRUE(bench.scripts().Preprocess(bench.project(), false));
  bench.game().Start();
  bench.game().RunFrame();
  EXPECT_NE(bench.game().RunFrame(), FrameOutcome::Failed);
  EXPECT_TRUE(std::filesystem::exists(dir.file("casa/elegido.sav")));
}

}  // namespace
}  // namespace tarvolin::test
