// Project import end to end: a library project (scripts with a global
// function, a font map, a string and its font image) is imported into a
// game with `tarvolin import` with a prefix and a folder; the game, whose
// own resource and string carry the same names as the library's, then runs
// through `tarvolin run` and shows the library's text in the library's font.
#include <string>

#include "e2e/picture_game.h"
#include "project/images/image.h"

namespace tarvolin::test {
namespace {

constexpr const char* kResourceHeader =
    ";;; Tarvolin resource script file - automatically generated\n;;; any changes made by hand will be lost\n\n\n";
constexpr const char* kGenericHeader =
    ";;; Tarvolin script file - automatically generated\n;;; any changes made by hand will be lost\n\n\n";

// Pixel (x, y) of glyph tile k: colour 0 on the diagonal, else 1..15.
int glyphPixel(int k, int x, int y) { return x == y ? 0 : 1 + (k * 3 + x + 2 * y) % 15; }

project::IndexedImage glyphImage() {
  project::IndexedImage image = project::IndexedImage::blank(32, 16, 4);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x)
      image.pixels[std::size_t(y * 32 + x)] = std::uint8_t(glyphPixel((y / 8) * 4 + x / 8, x % 8, y % 8));
  return image;
}

// The library: its global set names G_SHOWN, its main script reaches the
// title script through ExternScript, whose global function draws "greeting"
// with the font map Letters (A..D, cells of 1 x 2 tiles) over FontImg.
void writeLibrary(const TempDir& dir) {
  dir.write("lib.tvp", "");
  dir.write("lib/resource.txt", std::string(kResourceHeader) +
                                    "#FontImg\n.\\font.bmp\nBitmap16\nNone\ntrue\n#Decimal0\n0\nfalse\nfalse\n\n");
  std::string error;
  dir.write("lib/Resources/.keep", "");
  EXPECT_TRUE(project::writeImageFile(dir.file("lib/Resources/font.bmp"), glyphImage(), error)) << error;
  dir.write("lib/fontmaps.txt",
            ";;; Tarvolin fontmap script file - automatically generated\n;;; any changes made by hand will be "
            "lost\n\n\n#Letters\nAscii\nfalse\n$65\n68\n0\n#\n1\n2\n#v1.40b\nfalse\nFontImg\n\n");
  dir.write("lib/string_table.txt", std::string(kGenericHeader) + "#greeting\nEN : \"ABBA\"\n\n");
  std::string sets = "#1\nDefault\n";
  for (int i = 0; i < 32; ++i)
    sets += std::string(i == 31 ? "true\n" : "false\n") +
            (i == 0 ? std::string("G_SHOWN") : i == 31 ? std::string("G_TICKS") : "G_LIB" + std::to_string(i)) + "\n";
  dir.write("lib/global_names.txt", sets);
  dir.write("lib/Script/main.txt", "; the library\nExternScript \"title.txt\"\nReturn\n");
  dir.write("lib/Script/title.txt",
            "; Title of the library\n; drawn in its own font\n"
            "FunctionGlobal ShowTitle 0 ; shows the greeting\n"
            "TileDataLoad [BG] FontImg 1 4\n"
            "StringDisplaySetTarget 0 Letters 1\n"
            "StringDisplay 2 1 greeting ; greeting\n"
            "G_SHOWN = 7\n"
            "Log \"titulo %d\" G_SHOWN\n"
            "Return\n");
}

// The game's own resource and string of the same names: a font of colour 1
// everywhere and the text "DDDD".
void writeGameAssets(const TempDir& dir) {
  dir.write("game/resource.txt", std::string(kResourceHeader) +
                                     "#FontImg\n.\\mine.bmp\nBitmap16\nNone\ntrue\n#Decimal0\n0\nfalse\nfalse\n\n");
  project::IndexedImage plain = project::IndexedImage::blank(32, 16, 4);
  for (auto& p : plain.pixels) p = 1;
  std::string error;
  dir.write("game/Resources/.keep", "");
  EXPECT_TRUE(project::writeImageFile(dir.file("game/Resources/mine.bmp"), plain, error)) << error;
  dir.write("game/string_table.txt", std::string(kGenericHeader) + "#greeting\nEN : \"DDDD\"\n\n");
}

// "ABBA" from glyph tile 1 at cells (2..5, 1..2) on layer 0 over the
// backdrop.
std::uint32_t expectedPixel(int x, int y) {
  const int cx = x / 8, cy = y / 8;
  if (cy >= 1 && cy <= 2 && cx >= 2 && cx <= 5) {
    const int tile = ("ABBA"[cx - 2] - 'A') * 2 + cy - 1;
    const int v = glyphPixel(tile, x % 8, y % 8);
    if (v) return shown(bgColour(v));
  }
  return shown(bgColour(0));
}

}  // namespace

TEST(ImportRun, LibraryImportedWithPrefixAndFolderRunsInTheGame) {
  PictureGame g("TileMapSetMapBank 0 31\nCall ShowTitle\nDisplaySetAttribute [EnableBG0] 1\n",
                "ExternScript \"lib\\main.txt\"\nReturn\n");
  const TempDir& dir = g.dir();
  writeLibrary(dir);
  writeGameAssets(dir);

  const ToolResult imported =
      runTool({"import", dir.file("lib.tvp"), dir.file("game.tvp"), "--prefix", "lib_", "--folder", "lib"});
  ASSERT_EQ(imported.exitCode, 0) << imported.out << imported.err;
  EXPECT_NE(imported.out.find("Archivo copiado <" + dir.file("game/Resources/lib/font.bmp") + ">"),
            std::string::npos)
      << imported.out;
  // The copied title script uses the prefixed names, after the set block.
  EXPECT_EQ(TempDir::read(dir.file("game/Script/lib/title.txt")),
            "; Title of the library\r\n; drawn in its own font\r\n\r\n; Auto agregar\r\nApplyGlobalSet lib\r\n\r\n"
            "FunctionGlobal ShowTitle 0 ; shows the lib_greeting\r\n"
            "TileDataLoad [BG] lib_FontImg 1 4\r\n"
            "StringDisplaySetTarget 0 lib_Letters 1\r\n"
            "StringDisplay 2 1 lib_greeting ; lib_greeting\r\n"
            "G_SHOWN = 7\r\n"
            "Log \"titulo %d\" G_SHOWN\r\n"
            "Return");
  EXPECT_NE(TempDir::read(dir.file("game/Script/lib/main.txt")).find("ExternScript \"lib\\title.txt\""),
            std::string::npos);

  const std::string shot = dir.file("shot.png");
  const ToolResult run = runTool({"run", dir.file("game.tvp"), "--frames", "2", "--screenshot", shot});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("titulo 7"), std::string::npos) << run.out;
  expectPicture(readPicture(shot), expectedPixel, "imported title");

  // A second import finds every record already there: each is reported and
  // skipped, a copied script the user has changed since is kept (no --yes),
  // and the game still runs.
  dir.write("game/Script/lib/main.txt", "; mine\r\nExternScript \"lib\\title.txt\"\r\nReturn\r\n");
  const ToolResult again =
      runTool({"import", dir.file("lib.tvp"), dir.file("game.tvp"), "--prefix", "lib_", "--no-global-set"});
  EXPECT_EQ(again.exitCode, 0) << again.err;
  EXPECT_NE(again.err.find("El recurso 'lib_FontImg' ya existe en el proyecto"), std::string::npos) << again.err;
  EXPECT_NE(again.err.find("no (sin --yes)"), std::string::npos) << again.err;
  EXPECT_EQ(TempDir::read(dir.file("game/Script/lib/main.txt")), "; mine\r\nExternScript \"lib\\title.txt\"\r\nReturn\r\n");
  EXPECT_EQ(runTool({"run", dir.file("game.tvp"), "--frames", "1"}).exitCode, 0);
}

TEST(ImportRun, CommandLineUsageEarlyStopsAndSingleFamily) {
  TempDir dir;
  writeLibrary(dir);
  dir.write("game.tvp", "");
  writeGameAssets(dir);
  EXPECT_EQ(runTool({"import"}).exitCode, 2);
  EXPECT_EQ(runTool({"import", dir.file("lib.tvp")}).exitCode, 2);
  EXPECT_EQ(runTool({"import", dir.file("lib.tvp"), dir.file("game.tvp"), "--only", "sprites"}).exitCode, 2);
  EXPECT_EQ(runTool({"import", dir.file("lib.tvp"), dir.file("none.tvp")}).exitCode, 2);

  // An early stop saves nothing.
  const std::string before = TempDir::read(dir.file("game/resource.txt"));
  const ToolResult missing = runTool({"import", dir.file("gone.tvp"), dir.file("game.tvp")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("No se especifico un nombre o el proyecto no pudo hallarse"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.file("game/global_names.txt")));

  // Only the strings, without prefix: the duplicate is skipped and nothing
  // else changes.
  const ToolResult strings =
      runTool({"import", dir.file("lib.tvp"), dir.file("game.tvp"), "--family", "strings"});
  EXPECT_EQ(strings.exitCode, 0) << strings.err;
  EXPECT_NE(strings.err.find("La cadena 'greeting' ya existe en el proyecto"), std::string::npos);
  EXPECT_EQ(TempDir::read(dir.file("game/resource.txt")), before);

  // Only resources, prefixed, no scripts: the folder defaults to the other
  // project's name.
  const ToolResult resources = runTool({"import", dir.file("lib.tvp"), dir.file("game.tvp"), "--only",
                                        "resources", "--prefix", "x_", "--no-global-set"});
  EXPECT_EQ(resources.exitCode, 0) << resources.err;
  EXPECT_NE(TempDir::read(dir.file("game/resource.txt")).find("#x_FontImg\n.\\lib\\font.bmp\n"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(dir.file("game/Resources/lib/font.bmp")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("game/Script/lib")));
}

}  // namespace tarvolin::test
