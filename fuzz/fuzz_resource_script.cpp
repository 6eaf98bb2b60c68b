// Scripts that use the resource commands and the resource loads against a
// small set of resource files (tiles, a palette, tile maps, raw data, a
// ranged series and broken files): any text, run for a few frames, must end
// in success or a clean error and keep every write inside the machine.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "common/host.h"
#include "script_fuzz.h"
#include "machine/machine_state.h"
#include "project/images/image.h"
#include "project/images/tilemap_file.h"
#include "project/project.h"
#include "commands/resource_commands.h"

namespace {

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The resource files, made once in a temporary folder.
const std::string& resourceFolder() {
  static const std::string folder = [] {
    using namespace tarvolin::project;
    char name[] = "/tmp/tarvolin-fuzz-res-XXXXXX";
    std::string dir = ::mkdtemp(name) ? name : "/tmp";
    std::string error;
    IndexedImage tiles = IndexedImage::blank(24, 17, 4);
    for (std::size_t i = 0; i < tiles.pixels.size(); ++i) tiles.pixels[i] = std::uint8_t(i % 16);
    writeImageFile(dir + "/tiles.bmp", tiles, error);
    IndexedImage big = IndexedImage::blank(16, 16, 8);
    for (std::size_t i = 0; i < big.pixels.size(); ++i) big.pixels[i] = std::uint8_t(i);
    writeImageFile(dir + "/big.png", big, error);
    writeImageFile(dir + "/frame02.bmp", tiles, error);
    std::string pal = "JASC-PAL\n0100\n16\n";
    for (int i = 0; i < 16; ++i) pal += std::to_string(i * 16) + " 0 255\n";
    writeFile(dir + "/colours.pal", pal);
    for (std::uint16_t version : {kTileMapVersionWide, kTileMapVersionNarrow}) {
      TileMapFile map;
      map.version = version;
      map.width = 40;
      map.height = 3;
      for (int i = 0; i < 120; ++i) map.entries.push_back(std::uint16_t(i));
      Bytes bytes;
      writeTileMap(map, bytes, error);
      writeFile(dir + (version == kTileMapVersionWide ? "/wide.tvm" : "/narrow.tvm"),
                std::string(bytes.begin(), bytes.end()));
    }
    writeFile(dir + "/data.bin", std::string("\x01\x02\x03\x04\x05", 5));
    writeFile(dir + "/broken.bmp", "BM\x10");
    return dir;
  }();
  return folder;
}

void addResources(tarvolin::project::Project& p) {
  using namespace tarvolin::project;
  const std::string& dir = resourceFolder();
  auto add = [&](const char* name, const char* file, ResourceKind kind) {
    Resource r;
    r.name = name;
    r.file = dir + "/" + file;
    r.kind = kind;
    p.resources().add(r);
  };
  add("tiles", "tiles.bmp", ResourceKind::Bitmap16);
  add("big", "big.png", ResourceKind::Bitmap256);
  add("colours", "colours.pal", ResourceKind::PaletteRaw16);
  add("all", "colours.pal", ResourceKind::PaletteRaw256);
  add("wide", "wide.tvm", ResourceKind::Tilemap);
  add("narrow", "narrow.tvm", ResourceKind::Tilemap);
  add("data", "data.bin", ResourceKind::Binary);
  add("broken", "broken.bmp", ResourceKind::Bitmap16);
  add("gone", "gone.bin", ResourceKind::SoundEffect);
  Resource frame;
  frame.name = "frame";
  frame.file = dir + "/frame.bmp";
  frame.kind = ResourceKind::Bitmap16;
  frame.range = true;
  frame.rangeFormat = 1;
  frame.rangeMax = 4;
  p.resources().add(frame);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvolin::script;
  using namespace tarvolin::commands;
  tarvolin::QuietHost host;
  std::string working;
  tarvolin::project::Project project(host, working);
  addResources(project);
  tarvolin::machine::MachineState machine;
  // A rotational layer too, so both map kinds are reached.
  machine.setDisplayAttribute(tarvolin::machine::DisplayAttribute::VideoMode, 1);
  ResourceCommands resources;
  resources.bind(&project, &machine, &host);
  tarvolin::fuzz::RunFamilyScript(host, &resources, std::string(reinterpret_cast<const char*>(data), size), 3);
  return 0;
}
