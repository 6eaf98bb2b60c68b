// Strings, paths, levels and tile lists end to end: a project written into a
// temporary folder with every asset file, run through `tarvolin run`, and
// checked by the game's Log lines.
#include <gtest/gtest.h>

#include <string>

#include "common/temp_dir.h"
#include "e2e/in_process.h"
#include "e2e/run_tool.h"
#include "project/images/image.h"
#include "project/level_body.h"
#include "project/tilelists.h"

namespace tarvolin::test {

namespace {

class WorldGame {
 public:
  explicit WorldGame(const std::string& main) {
    dir_.write("game.tvp", "");
    dir_.write("game/Script/main.txt", main);
    dir_.write("game/string_table.txt",
               ";;; Tarvolin script file - automatically generated\n;;; any changes made by hand will be lost\n\n\n"
               "#greeting\nEN : \"ABBA\"\nSP : \"DCA\"\n\n");
    dir_.write("game/fontmaps.txt",
               ";;; Tarvolin fontmap script file - automatically generated\n;;; any changes made by hand will be "
               "lost\n\n\n#Letters\nAscii\ntrue\n$65\n68\n0\n#\n1\n1\n#v1.40b\ntrue\nFontImg\n"
               "3\n8\n5\n8\n8\n8\n2\n8\n\n");
    dir_.write("game/paths.txt", "#Walk\n$0,0,1.000000\n$30,40,2.000000\n$30,40,1.000000\n\n");
    project::LevelBody body;
    body.resize(40, 30, 1);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) body.at(x, y, 0) = std::uint16_t(100 * y + x);
    dir_.write("game/level_info.txt", "}LevelInfo\n]\n|World\n[\n{\n");
    dir_.write("game/LevelData/LevBody_World.dat", project::writeLevelBody(body));
    std::vector<std::uint8_t> attributes;
    for (int tile = 0; tile < 4; ++tile)
      for (int a = 0; a < 4; ++a) attributes.push_back(std::uint8_t(tile * 10 + a));
    dir_.write("game/tilelists.txt",
               "}Tilelist\n]\n|Fonts\n|0\n|fonts.txt\n|F_\n|0\n}TilelistEntry\n]\n|letters\n|FontImg\n|0\n|1\n"
               "|0\n|0\n|9\n|8\n|7\n|6\n|0\n|16\n|" +
                   project::encodeTileAttributes(attributes) + "\n[\n{\n}Attributes\n{\n[\n{\n");
    dir_.write("game/arrays.txt",
               ";;; Tarvolin array script file - automatically generated\n"
               ";;; any changes made by hand will be lost\n\n\n"
               "#Attribs\nOne dimensional\n10\n0\n$v\n$8 bit unsigned\n\n$w\n$16 bit signed\n\n"
               "*false\nRO\n#\nWorkRAM\nAnyAdd\nArray\n0\n0\n\n"
               "#Grid\nTwo dimensional\n3\n2\n$cell\n$16 bit signed\n\n"
               "*false\nRO\n#\nWorkRAM\nAnyAdd\nArray\n0\n0\n\n");
    dir_.write("game/resource.txt",
               ";;; Tarvolin resource script file - automatically generated\n;;; any changes made by hand will be "
               "lost\n\n\n#FontImg\n.\\font.bmp\nBitmap16\nNone\ntrue\n#Decimal0\n0\nfalse\nfalse\n\n");
    project::IndexedImage font = project::IndexedImage::blank(32, 8, 4);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 32; ++x) font.pixels[std::size_t(y * 32 + x)] = std::uint8_t(x / 8 + 1);
    std::string error;
    dir_.write("game/Resources/.keep", "");
    EXPECT_TRUE(project::writeImageFile(dir_.file("game/Resources/font.bmp"), font, error)) << error;
  }
  ToolResult run(int frames) const {
    return runTool({"run", dir_.file("game.tvp"), "--frames", std::to_string(frames)});
  }
  // The same run inside the test process (for the error table).
  ToolResult runHere(int frames) const {
    return runInProcess({"run", dir_.file("game.tvp"), "--frames", std::to_string(frames)});
  }
  static std::string Body(const ToolResult& r) {
    const std::size_t nl = r.out.find('\n');
    return r.out.compare(0, 17, "Abriendo nuevo pr") == 0 && nl != std::string::npos ? r.out.substr(nl + 1) : r.out;
  }

 private:
  TempDir dir_;
};

}  // namespace

TEST(WorldRun, StringsInTwoLanguagesPathLevelAndTileList) {
  WorldGame g(
      "PathGetPos Walk G_TICKS V_LV0 V_LV1\n"
      "Log \"paso %d %d %d\" G_TICKS V_LV0 V_LV1\n"
      "V_LV2 = G_TICKS\n"
      "V_LV2 *= 8\n"
      "V_LV3 = V_LV2\n"
      "V_LV3 -= 8\n"
      "LevelScroll World 1 V_LV3 0 V_LV2 0 0\n"
      "Return\n"
      "Function Initialise 0\n"
      "TilelistGroupLoad Fonts [BG] 0 1\n"
      "TilelistGetAttrib Fonts 0 1 1 2 V_LV0\n"
      "TilelistGetAttrib Fonts 0 0 3 2 V_LV1\n"
      "TilelistGetAttrib Fonts 0 0 3 9 V_LV2\n"
      "Log \"atributos %d %d %d\" V_LV0 V_LV1 V_LV2\n"
      "StringDisplaySetTarget 0 Letters 1\n"
      "StringDisplay 2 1 greeting\n"
      "V_LV0 StringGetLength greeting\n"
      "StringGetCharacter greeting 1 V_LV1\n"
      "Log \"EN %d %c\" V_LV0 V_LV1\n"
      "StringSetLanguage #_LANG_SP\n"
      "StringGetLanguage V_LV2\n"
      "V_LV0 StringGetLength greeting\n"
      "StringGetCharacter greeting 1 V_LV1\n"
      "Log \"SP %d %d %c\" V_LV2 V_LV0 V_LV1\n"
      "StringRenderSetTarget 300 1 1 0 0 0 0 1\n"
      "StringDisplay 2 2 greeting\n"
      "StringRenderGetInfo V_LV0 V_LV1 V_LV2\n"
      "Log \"cursor %d %d %d\" V_LV0 V_LV1 V_LV2\n"
      "LevelGetDimensionX World V_LV0\n"
      "LevelGetDimensionY World V_LV1\n"
      "LevelGetTile World 3 2 V_LV2\n"
      "Log \"nivel %d %d %d\" V_LV0 V_LV1 V_LV2\n"
      "LevelSetPos World 1 0 0 0\n"
      "PathGetLength Walk V_LV0\n"
      "PathGetDelta Walk 0 10 V_LV1 V_LV2\n"
      "Log \"recorrido %d %d %d\" V_LV0 V_LV1 V_LV2\n"
      "Return\n");
  const ToolResult r = g.run(4);
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  // Spanish "DCA" renders D (2 px) + 1, C (8) + 1, A (3) + 1 = 16 pixels:
  // the cursor stands in strip column 2 at pixel 0, tile 302.
  EXPECT_EQ(WorldGame::Body(r),
            "atributos 21 6 -1\n"
            "EN 4 B\n"
            "SP 5 3 C\n"
            "cursor 302 2 0\n"
            "nivel 40 30 203\n"
            "recorrido 26 12 16\n"
            "paso 1 1 1\n"
            "paso 2 2 3\n"
            "paso 3 3 4\n");
}

TEST(WorldRun, TileListAttributesCopyIntoAnArrayElement) {
  // Tiles 0..3 of group 0 carry per-tile attribute 1 = 1, 11, 21, 31 and
  // image attribute 0 = 9. Offset 2 and start 3 put them at records 5..8;
  // offset -2 drops the tiles that would land below index 0.
  WorldGame g(
      "ArrayClear Attribs 0\n"
      "TilelistCopyAttribToArray Fonts 0 1 1 2 Attribs.v 3\n"
      "TilelistCopyAttribToArray Fonts 0 0 0 -2 Attribs.w 0\n"
      "V_LV0 = Attribs.v[4]\nV_LV1 = Attribs.v[5]\nV_LV2 = Attribs.v[6]\n"
      "V_LV3 = Attribs.v[7]\nV_LV4 = Attribs.v[8]\nV_LV5 = Attribs.v[9]\n"
      "Log \"v %d %d %d %d %d %d\" V_LV0 V_LV1 V_LV2 V_LV3 V_LV4 V_LV5\n"
      "V_LV0 = Attribs.w[0]\nV_LV1 = Attribs.w[1]\nV_LV2 = Attribs.w[2]\n"
      "Log \"w %d %d %d\" V_LV0 V_LV1 V_LV2\n"
      "Return\n");
  const ToolResult r = g.run(2);  // the main body runs from the second frame
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(WorldGame::Body(r), "v 0 1 11 21 31 0\nw 9 9 0\n");
}

TEST(WorldRun, ErrorsStopTheGameWithTheirMessages) {
  struct Case {
    const char* line;
    const char* message;
  } cases[] = {
      {"LevelScroll World 0 0 0 9 0 0", "Desplazamiento del nivel demasiado grande"},
      {"LevelSelectLayer 4", "Capa de nivel fuera de límite (limitado de 0..3)"},
      {"LevelDrawRect World 4 0 0 0 0 1 1 0", "Índice del Mapa de Pantalla fuera de los límites"},
      {"StringDisplay 0 0 greeting", "Índice del Mapa de Pantalla fuera de los límites"},
      {"StringSetLanguage 6", "Tipo de lenguaje inválido"},
      {"StringDisplaySetTarget 0 Letters 2048", "Índice de tile del Mapa de Pantalla fuera de los límites"},
      {"StringRenderSetTarget 0 0 0 0 0 8 0 0", "Desplazamiento fuera de límite (solo de 0..7)"},
      {"TilelistGetAttrib Fonts 0 0 4 0 V_LV0", "Atributo de Tile fuera de los límites"},
      {"PathGetPos Nowhere 0 V_LV0 V_LV1", "Nombre del Recorrido desconocido o mal escrito"},
      {"PathGetPos 3 0 V_LV0 V_LV1", "El índice que identifica al Recorrido está fuera de rango"},
      {"TilelistCopyAttribToArray Fonts 0 1 1 2 Attribs.v 7", "El índice está fuera de los límites del arreglo"},
      {"TilelistCopyAttribToArray Fonts 0 1 1 2 Grid.cell 0", "Tipo de arreglo para la función ilegal"},
      {"TilelistCopyAttribToArray Fonts 0 1 1 2 Nothing.v 0", "Nombre del Arreglo desconocido o mal escrito"},
      {"TilelistCopyAttribToArray Fonts 0 1 1 2 Attribs.zz 0", "No se encontró el elemento en la definición del arreglo"},
      {"TilelistCopyAttribToArray Fonts 0 1 1 2 Attribs 0", "Formato para el elemento del arreglo incorrecto"},
  };
  for (const Case& c : cases) {
    WorldGame g(std::string(c.line) + "\nLog \"no\"\nReturn\n");
    const ToolResult r = g.runHere(3);
    EXPECT_EQ(r.exitCode, 1) << c.line << "\n" << r.out;
    EXPECT_NE(r.out.find(c.message), std::string::npos) << c.line << "\n" << r.out;
    EXPECT_EQ(r.out.find("no\n"), std::string::npos) << c.line;
  }
}

}  // namespace tarvolin::test
