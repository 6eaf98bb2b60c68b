// Writes the seed corpus of every fuzz target: small valid inputs made by the
// program's own writers (images, tile maps, level bodies, samples, music
// modules, asset files) or taken from the sample project, one folder per
// target. `make fuzz-run` starts each target from its folder.
//   make_seeds OUTPUT_FOLDER SOURCE_FOLDER
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "project/arrays.h"
#include "project/fontmaps.h"
#include "project/global_sets.h"
#include "project/images/image.h"
#include "project/images/tilemap_file.h"
#include "project/level_body.h"
#include "project/levels.h"
#include "project/macros.h"
#include "project/paths.h"
#include "project/strings.h"
#include "project/tilelists.h"
#include "sound/mod_writer.h"
#include "sound/music_builders.h"
#include "sound/sample_data.h"
#include "sound/xm_writer.h"

namespace {

using namespace tarvolin;
namespace fs = std::filesystem;

std::string out;
int failures = 0;

void seed(const std::string& target, const std::string& name, std::string_view bytes) {
  const fs::path folder = fs::path(out) / target;
  fs::create_directories(folder);
  if (!platform::safeWrite((folder / name).string(), bytes)) {
    std::fprintf(stderr, "make_seeds: cannot write %s/%s\n", target.c_str(), name.c_str());
    ++failures;
  }
}
void seed(const std::string& target, const std::string& name, const std::vector<std::uint8_t>& bytes) {
  seed(target, name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}
void seedFile(const std::string& target, const fs::path& file) {
  std::string bytes;
  if (!platform::readWholeFile(file.string(), bytes)) {
    std::fprintf(stderr, "make_seeds: cannot read %s\n", file.string().c_str());
    ++failures;
    return;
  }
  seed(target, file.filename().string(), bytes);
}

// An 8x8 PCX, 8 bits, run-length coded, with its 256-colour palette.
std::vector<std::uint8_t> smallPcx() {
  std::vector<std::uint8_t> b(128, 0);
  b[0] = 10; b[1] = 5; b[2] = 1; b[3] = 8;   // maker, version, encoding, bits
  b[8] = 7; b[10] = 7;                        // x and y maximum
  b[65] = 1; b[66] = 8;                       // planes, bytes per line
  for (int i = 0; i < 64; ++i) b.push_back(std::uint8_t(i % 16));
  b.push_back(0x0C);
  for (int i = 0; i < 768; ++i) b.push_back(std::uint8_t(i));
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "Uso: make_seeds CARPETA_DE_SALIDA CARPETA_DEL_CÓDIGO\n");
    return 2;
  }
  out = argv[1];
  const fs::path source = argv[2];
  std::string error;

  // Images, palettes, tile maps.
  project::IndexedImage image = project::IndexedImage::blank(16, 8, 4);
  for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = std::uint8_t(i % 16);
  project::Bytes bytes;
  if (project::writeBmp(image, bytes, error)) seed("fuzz_bmp", "four_bits.bmp", bytes);
  if (project::writePng(image, bytes, error)) seed("fuzz_png", "four_bits.png", bytes);
  image = project::IndexedImage::blank(8, 8, 8);
  if (project::writeBmp(image, bytes, error)) seed("fuzz_bmp", "eight_bits.bmp", bytes);
  if (project::writePng(image, bytes, error)) seed("fuzz_png", "eight_bits.png", bytes);
  seed("fuzz_pcx", "small.pcx", smallPcx());
  seed("fuzz_palette", "jasc.pal", "JASC-PAL\r\n0100\r\n3\r\n0 0 0\r\n255 0 0\r\n0 255 255\r\n");
  project::TileMapFile map;
  map.width = 4;
  map.height = 2;
  map.entries = {1, 2, 3, 4, 0x400, 0x800, 0x1003, 7};
  if (project::writeTileMap(map, bytes, error)) seed("fuzz_tvm", "wide.tvm", bytes);

  // Levels and the other asset files.
  project::LevelBody body;
  if (body.resize(4, 3, 2)) {
    for (std::size_t i = 0; i < body.map.size(); ++i) body.map[i] = std::uint16_t(i);
    seed("fuzz_level_body", "small.dat", project::writeLevelBody(body));
  }
  project::Level level;
  level.settings.name = "Cueva";
  seed("fuzz_level_info", "level_info.txt", project::writeLevelInfo({level}));
  project::StringRecord text;
  text.identifier = "Saludo";
  text.texts[0] = "Hello";
  text.texts[5] = "Hola";
  seed("fuzz_string_table", "string_table.txt", project::writeStrings({text}));
  project::MotionPath path;
  path.name = "Vuelta";
  seed("fuzz_paths", "paths.txt", project::writePaths({path}));
  project::TileList list;
  list.name = "Bloques";
  seed("fuzz_tilelists", "tilelists.txt", project::writeTileLists({list}));
  project::FontMap font;
  font.name = "Letras";
  font.ranges = {project::CharRange{'A', 'Z', 0}};
  seed("fuzz_fontmaps", "fontmaps.txt", project::writeFontMaps({font}));
  seed("fuzz_global_sets", "global_names.txt", project::writeGlobalSets({project::defaultGlobalSet()}));
  project::ArrayList arrays;
  seed("fuzz_arrays", "empty.txt", project::writeArrays(arrays.items()));

  // Sound.
  seed("fuzz_wav", "mono8.wav", sound::EncodeWav(sound::SampleData::Blank(64, 8, 11025, 1)));
  seed("fuzz_wav", "stereo16.wav", sound::EncodeWav(sound::SampleData::Blank(64, 16, 22050, 2)));
  std::string module;
  if (sound::writeMod(sound::test::makeMod(4), module)) seed("fuzz_mod", "four.mod", module);
  if (sound::writeXm(sound::test::makeXm(4), module)) seed("fuzz_xm", "four.xm", module);

  // Scripts and settings from the sample project and the shipped data.
  const fs::path demo = source / "examples" / "demo";
  for (const char* target : {"fuzz_script_run", "fuzz_hardware_script", "fuzz_resource_script",
                             "fuzz_sound_script", "fuzz_world_script", "fuzz_script_copy"})
    for (const auto& script : fs::directory_iterator(demo / "demo" / "Script")) seedFile(target, script.path());
  seedFile("fuzz_macros", demo / "demo" / "macro.txt");
  seedFile("fuzz_project_file", demo / "demo.tvp");
  seedFile("fuzz_timing_database", source / "data" / "timing_database.txt");
  seed("fuzz_script_line", "assign.txt", "V_LV0 += #_TILEMAP_FLIPH|V_LV1 ; sum");
  seed("fuzz_script_line", "family.txt", "SpriteSetAttribute V_LV2 [Xpos] Table.Item[V_LV0+1]");
  seed("fuzz_log_format", "log.txt", "\"%d %5x %-3s\" V_LV0 7 Title");
  seed("fuzz_block_layout", "block.txt", "}Tilelist\n]\n|uno\n|2\n[\n{\n");
  seed("fuzz_startup_arguments", "args.txt", "-P\"juego.tvp\" -S\"main.txt\"");
  seed("fuzz_program_settings", "settings.txt", "#DISPLAY_RATE\n60\n\n#EDITOR_COL_DEFAULT_BG\n255,255,255\n\n");
  return failures == 0 ? 0 : 1;
}
