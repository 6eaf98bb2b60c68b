// The resource commands end to end: a project with image, palette, tile-map
// and data resources written into a temporary folder, run through
// `tarvolin run`, and checked by the game's Log lines, its error messages
// and its screenshot.
#include <gtest/gtest.h>

#include <string>

#include "e2e/resource_game.h"
#include "e2e/in_process.h"
#include "e2e/run_tool.h"
#include "project/images/image.h"

namespace tarvolin::test {

namespace {

ToolResult RunGame(const ResourceGame& g, int frames, const std::vector<std::string>& extra = {}) {
  std::vector<std::string> args = {"run", g.ProjectFile(), "--frames", std::to_string(frames)};
  args.insert(args.end(), extra.begin(), extra.end());
  return runTool(args);
}

// The game's own lines, without the line the project prints on opening.
std::string Body(const ToolResult& r) {
  const std::size_t nl = r.out.find('\n');
  return r.out.compare(0, 17, "Abriendo nuevo pr") == 0 && nl != std::string::npos ? r.out.substr(nl + 1) : r.out;
}

}  // namespace

TEST(ResourceRun, SizesValuesExistenceAndLoads) {
  ResourceGame g(
      "Return\n"
      "Function Initialise 0\n"
      "ResourceFileExists Tiles V_LV0\n"
      "ResourceFileExists Gone V_LV1\n"
      "ResourceFileExists Frame V_LV2\n"
      "Log \"existe %d %d %d\" V_LV0 V_LV1 V_LV2\n"
      "ResourceGetSize Data V_LV0\n"
      "ResourceGetSize Colours V_LV1\n"
      "ResourceGetSize AllColours V_LV2\n"
      "ResourceGetSize Tiles V_LV3\n"
      "Log \"tamaño %d %d %d %d\" V_LV0 V_LV1 V_LV2 V_LV3\n"
      "ResourcePeek Data [u8] 1 V_LV0\n"
      "ResourcePeek Data [s8] 1 V_LV1\n"
      "ResourcePeek Data [u16] 2 V_LV2\n"
      "ResourcePeek Data [S16] 4 V_LV3\n"
      "Log \"valores %d %d %d %d\" V_LV0 V_LV1 V_LV2 V_LV3\n"
      "V_LV5 = 4\n"
      "ResourcePeek 4 [u8] V_LV5 V_LV0\n"
      "Log \"por número %d\" V_LV0\n"
      // The ranged file frame0a.bmp exists only for index 10.
      "ResourceSetIndex 10\n"
      "ResourceFileExists Frame V_LV0\n"
      "TileDataLoad [BG] Frame 2047 0\n"
      "ResourceSetIndex 16\n"
      "ResourceFileExists Frame V_LV1\n"
      "Log \"rango %d %d\" V_LV0 V_LV1\n"
      "TileDataLoad [SPRITE] Big 511 0\n"
      "TileDataLoad [BG] Tiles 2047 4\n"
      "PaletteLoad [SPRITE] Colours 15\n"
      "PaletteLoad [BG] AllColours 0\n"
      "TileMapLoad 3 Screen 31 31\n"
      "TileMapLoad 0 Narrow 0 0\n"
      "Log \"cargado\"\n"
      "Return\n");
  const ToolResult r = RunGame(g, 2);
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(Body(r),
            "existe 1 0 0\n"
            "tamaño 6 32 512 0\n"
            "valores 255 -1 4660 -2\n"
            "por número 254\n"
            "rango 1 0\n"
            "cargado\n");
}

TEST(ResourceRun, ErrorsStopTheGameWithTheirMessages) {
  struct Case {
    const char* lines;
    const char* message;
  } cases[] = {
      {"ResourceGetSize", "Falta el nombre del Recurso"},
      {"ResourceGetSize 99 V_LV0", "El índice que identifica al recurso está fuera del rango"},
      {"V_LV1 = -1\nResourceFileExists V_LV1 V_LV0", "El índice que identifica al recurso está fuera del rango"},
      {"ResourceSetIndex 16\nTileDataLoad [BG] Frame 0 0", "El rango del recurso está por debajo"},
      {"ResourceSetIndex -1\nResourceGetSize Frame V_LV0", "El rango del recurso está por debajo"},
      {"ResourcePeek Data [u16] 3 V_LV0", "Mala alineación de memoria"},
      {"ResourcePeek Data [s16] 5 V_LV0", "Mala alineación de memoria"},
      {"ResourcePeek Data u8 0 V_LV0", "Atributo de MemTamaño de forma incorrecta"},
      {"ResourcePeek Data [u32] 0 V_LV0", "Atributo de MemTamaño desconocido"},
      {"TileDataLoad [BG] Data 0 0", "el tipo del recurso especificado no puede usarse para esta operación"},
      {"PaletteLoad [BG] Tiles 0", "el tipo del recurso especificado no puede usarse para esta operación"},
      {"TileMapLoad 0 Colours 0 0", "el tipo del recurso especificado no puede usarse para esta operación"},
      {"ResourcePeek Data [u8] 6 V_LV0", "error al manipular el archivo de recurso"},
      {"ResourcePeek Data [u16] 4 V_LV0\nResourcePeek Data [u16] 6 V_LV0", "error al manipular el archivo de recurso"},
      {"ResourcePeek Tiles [u8] 0 V_LV0", "error al manipular el archivo de recurso"},
      {"TileDataLoad [BG] Broken 0 0", "error al manipular el archivo de recurso> en la línea 1, BMP: "},
      {"TileMapLoad 0 BadMap 0 0", "el tipo de recurso no se puede decodificar"},
      {"TileDataLoad [BG] Truecolour 0 0", "no soporta el formato de imagen"},
      {"TileDataLoad [SPRITE] TilesAs256 0 0", "no soporta el formato de imagen"},
      {"ResourceGetSize Gone V_LV0", "el archivo no existe> en la línea 1, Archivo <"},
      {"ResourceSetIndex 3\nTileDataLoad [BG] Frame 0 0", "posible índice de recuso ilegal> en la línea 2, Archivo <"},
      {"TileDataLoad [BG] Tiles 2048 0", "Atributo de Tile fuera de los límites"},
      {"TileDataLoad [SPRITE] Big 512 0", "Atributo de Tile fuera de los límites"},
      {"TileDataLoad [BG] Tiles -1 0", "Atributo de Tile fuera de los límites"},
      {"TileMapLoad 4 Screen 0 0", "Índice del Mapa de Pantalla fuera de los límites"},
      {"TileMapLoad 0 Screen 32 0", "Coordenada X del Mapa de Pantalla fuera de los límites"},
      {"TileMapLoad 0 Screen 0 -1", "Coordenada Y del Mapa de Pantalla fuera de los límites"},
      {"PaletteLoad [BG] Colours 16", "Índice de Paleta fuera de los límites"},
      {"PaletteLoad [BG] AllColours -1", "Índice de Paleta fuera de los límites"},
      {"ResourceSetIndex 16\nTilelistGroupLoad Frames [BG] 0 0", "El rango del recurso está por debajo"},
  };
  for (const Case& c : cases) {
    ResourceGame g(std::string(c.lines) + "\nLog \"no\"\nReturn\n");
    const ToolResult r = runInProcess({"run", g.ProjectFile(), "--frames", "2"});
    EXPECT_EQ(r.exitCode, 1) << c.lines << "\n" << r.out;
    EXPECT_NE(r.out.find(c.message), std::string::npos) << c.lines << "\n" << r.out;
    EXPECT_EQ(r.out.find("no\n"), std::string::npos) << c.lines;
  }
}

TEST(ResourceRun, AFileErrorWithoutDetailShowsNoEmptyDetail) {
  ResourceGame g("ResourcePeek Tiles [u8] 0 V_LV0\nReturn\n");
  const ToolResult r = RunGame(g, 2);
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_NE(r.out.find("error al manipular el archivo de recurso> en la línea 1\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("ext:"), std::string::npos) << r.out;
}

// The loaded scene as `tarvolin run --screenshot` saves it.
TEST(ResourceRun, ScreenshotShowsTheLoadedScene) {
  ResourceGame g(
      "Return\n"
      "Function Initialise 0\n"
      "TileDataLoad [BG] Tiles 100 4\n"
      "PaletteLoad [BG] Colours 2\n"
      "TileMapLoad 0 Screen 1 1\n"
      "DisplaySetAttribute [VideoMode] 0\n"
      "DisplaySetAttribute [EnableBG0] 1\n"
      "DisplaySetAttribute [BlankDisplay] 0\n"
      "Return\n");
  const std::string shot = g.dir().file("shot.png");
  const ToolResult r = RunGame(g, 2, {"--screenshot", shot});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  project::IndexedImage picture;
  std::string error;
  ASSERT_TRUE(project::readImageFile(shot, picture, error)) << error;
  ASSERT_EQ(picture.width, 240);
  ASSERT_EQ(picture.height, 160);
  ASSERT_EQ(picture.bits, project::kTruecolourBits);
  int bad = 0;
  for (int y = 0; y < 160; ++y)
    for (int x = 0; x < 240; ++x) {
      const std::uint8_t* p = &picture.pixels[std::size_t(y * 240 + x) * 3];
      const std::uint32_t got = std::uint32_t(p[0]) << 16 | p[1] << 8 | p[2];
      const std::uint32_t want = ResourceGame::ExpectedPixel(x, y);
      if (got != want && ++bad <= 5)
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << got << ", expected " << want;
    }
  EXPECT_EQ(bad, 0);
}

}  // namespace tarvolin::test
