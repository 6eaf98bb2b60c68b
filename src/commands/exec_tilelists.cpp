// The tile-list commands: loading a group's images into tile memory and
// reading or copying their attributes.
#include "machine/machine_state.h"
#include "project/project.h"
#include "project/resource_ops.h"
#include "script/interpreter.h"
#include "script/operand_parse.h"
#include "commands/world_commands.h"
#include "script/commands.h"

namespace tarvolin::commands {

using namespace script;

namespace {
constexpr int kCollideTiles = 1024;

// Attribute `which` of the image (kind 0) or of its tile `tile` (kind 1; 0
// when the image has no per-tile data for it).
int attributeOf(const project::TileListImage& image, int kind, int which, int tile) {
  if (kind == 0) return image.attributes[std::size_t(which)];
  const std::size_t at = std::size_t(tile - image.firstTile) * 4 + std::size_t(which);
  return at < image.tileAttributes.size() ? image.tileAttributes[at] : 0;
}
}  // namespace

bool WorldCommands::TileLists(std::int32_t command, const std::int32_t* p, std::int32_t* out,
                              int& outCount, ErrorState& err) {
  auto fail = [&](ErrorCode code) {
    err.SetError(code);
    return false;
  };
  const project::TileList* list =
      project_ && p[0] >= 0 ? project_->tileLists().get(std::size_t(p[0])) : nullptr;
  if (!list) return fail(AssetErrorCodes(AssetKind::TileList).outOfRange);

  if (command == cmd::TilelistGroupLoad) {  // TilelistGroupLoad list [target] group offset
    if (p[1] < 0 || p[1] > 1 || p[2] < 0 || p[2] > 0xFFFF) return fail(err::kTileAttributeOutOfRange);
    if (!machine_) return fail(err::kTileAttributeOutOfRange);
    const project::ResourceContext context = project::resourceContextOf(*project_, rangeIndex_, nullptr);
    const project::TileArea area = p[1] == 0 ? project::TileArea::Background : project::TileArea::Sprite;
    for (const project::TileListImage& image : list->images) {
      if (image.group != p[2]) continue;
      const int index = project_->resources().find(image.resourceName);
      if (index < 0) {
        err.SetErrorDetail("Recurso <" + image.resourceName + ">");
        return fail(err::kResourceFile);
      }
      if (!project::resourceLoadTiles(*project_->resources().get(std::size_t(index)), context, err, area,
                                      machine_->tileArea(p[1]),
                                      std::int64_t(p[3]) + image.firstTile, 0,
                                      [&](int tile) { machine_->markTileUsed(p[1], tile); }))
        return false;
    }
    machine_->notify(machine::ChangeKind::Tiles);
    return true;
  }

  // The attribute commands: group, image (0) or tile (1), attribute 0..3.
  if (p[1] < 0 || p[1] > 0xFFFF || p[3] < 0 || p[3] > 3) return fail(err::kTileAttributeOutOfRange);
  if (p[2] != 0 && p[2] != 1) return fail(err::kFlagExpected);
  const int group = p[1], kind = p[2], which = p[3];

  if (command == cmd::TilelistGetAttrib) {  // TilelistGetAttrib list group kind attr tile V1
    if (p[4] < 0 || p[4] > 1023) return fail(err::kTileAttributeOutOfRange);
    const project::TileListImage* image = list->imageCovering(group, p[4]);
    out[outCount++] = image ? attributeOf(*image, kind, which, p[4]) : -1;
    return true;
  }

  // 127: TilelistCopyAttribToCollide list group kind attr offset
  // 128: TilelistCopyAttribToArray list group kind attr offset Array.Element start
  // Tile t of an entry goes to index offset + the entry's first tile + t,
  // below 1024; the array takes it at start + that index.
  if (command == cmd::TilelistCopyAttribToCollide && !machine_) return fail(err::kTileAttributeOutOfRange);
  project::ArrayList* arrays = command == cmd::TilelistCopyAttribToArray ? &project_->arrays() : nullptr;
  const int array = p[5] / 4096, element = p[5] % 4096;
  auto eachTile = [&](auto&& visit) {
    for (const project::TileListImage& image : list->images) {
      if (image.group != group) continue;
      for (int i = 0; i < image.tileCount; ++i) {
        const std::int64_t index = std::int64_t(p[4]) + image.firstTile + i;
        if (index >= kCollideTiles) break;
        if (index < 0) continue;
        if (!visit(index, attributeOf(image, kind, which, image.firstTile + i))) return false;
      }
    }
    return true;
  };
  if (arrays) {
    const project::ArrayDef* a = p[5] >= 0 ? arrays->at(array) : nullptr;
    if (!a) return fail(err::kBadArrayId);
    if (a->twoDimensional()) return fail(err::kWrongArrayDimensions);
    // Every place is read first: a copy that does not fit changes nothing.
    const bool fits = eachTile([&](std::int64_t index, int) {
      std::int32_t old = 0;
      return arrays->getElement(array, element, std::int64_t(p[6]) + index, 0, old, err);
    });
    if (!fits) return false;
  }
  return eachTile([&](std::int64_t index, int value) {
    if (!arrays) {
      machine_->setTileProperty(int(index), value);
      return true;
    }
    return arrays->setElement(array, element, std::int64_t(p[6]) + index, 0, value, err);
  });
}

}  // namespace tarvolin::commands
