// Scripts that use the string, path, level and tile-list commands against a
// small project: any text, run for a few frames, must end in success or a
// clean error, and leave the machine's memory in bounds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/host.h"
#include "script_fuzz.h"
#include "machine/machine_state.h"
#include "project/project.h"
#include "commands/world_commands.h"

namespace {

void addAssets(tarvolin::project::Project& p) {
  using namespace tarvolin::project;
  StringRecord s;
  s.identifier = "hello";
  s.texts[0] = "HELLO";
  s.texts[4] = "\x82\xA0\x82\xA2";
  p.strings().add(s);
  FontMap ascii;
  ascii.name = "ascii";
  ascii.ranges = {CharRange{32, 127, 0}};
  ascii.cellWidth = 2;
  ascii.cellHeight = 3;
  ascii.rendered = true;
  ascii.updateSizeTable();
  p.fontMaps().add(ascii);
  FontMap kanji;
  kanji.name = "kanji";
  kanji.type = FontMapType::Kanji;
  kanji.ranges = {CharRange{0x8140, 0x82FF, 100}};
  p.fontMaps().add(kanji);
  MotionPath path;
  path.name = "walk";
  path.points = {{0, 0, 1.0}, {100, -50, 0.5}, {7, 7, 3.0}};
  p.paths().add(path);
  p.levels().add(Level::makeNew("world", 50, 40, 3));
  TileList list;
  list.name = "tiles";
  TileListImage image;
  image.resourceName = "missing";
  image.tileCount = 600;
  image.tileAttributes.assign(16, 3);
  list.images = {image};
  p.tileLists().add(list);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvolin::script;
  using namespace tarvolin::commands;
  tarvolin::QuietHost host;
  std::string working;
  tarvolin::project::Project project(host, working);
  addAssets(project);
  tarvolin::machine::MachineState machine;
  WorldCommands world;
  world.bind(&project, &machine);
  tarvolin::fuzz::RunFamilyScript(host, &world, std::string(reinterpret_cast<const char*>(data), size), 3);
  return 0;
}
