// The resource commands and the resource loads into tile data, tile maps and
// palettes (see resource_commands.h).
#include "machine/machine_state.h"
#include "project/project.h"
#include "project/resource_ops.h"
#include "script/commands.h"
#include "script/operand_parse.h"
#include "commands/resource_commands.h"

namespace tarvolin::commands {

using namespace script;

namespace {


bool fail(ErrorState& err, ErrorCode code) {
  err.SetError(code);
  return false;
}
}  // namespace

bool ResourceCommands::handles(std::int32_t command) { return GroupOf(command) == CommandGroup::Resources; }

void ResourceCommands::Reset() { SetRangeIndex(0); }

void ResourceCommands::SetRangeIndex(std::int64_t index) {
  rangeIndex_ = index;
  if (rangeListener_) rangeListener_(index);
}

int ResourceCommands::FindAsset(AssetKind kind, std::string_view name) const {
  if (!project_ || kind != AssetKind::Resource) return -1;
  return project_->resources().find(name);
}

const project::Resource* ResourceCommands::ResourceAt(std::int32_t index, ErrorState& err) const {
  const project::Resource* r =
      project_ && index >= 0 ? project_->resources().get(std::size_t(index)) : nullptr;
  if (!r) err.SetError(AssetErrorCodes(AssetKind::Resource).outOfRange);
  return r;
}

bool ResourceCommands::Execute(std::int32_t command, const std::int32_t* p, int count,
                               std::int32_t* out, int& outCount, ErrorState& err) {
  outCount = 0;
  const int needed = InputOperandCount(command);
  if (!handles(command)) return fail(err, err::kUnknownCommand);
  if (count < needed) return fail(err, err::kMissingParameters);
  switch (command) {
    case cmd::ResourceSetIndex:
      SetRangeIndex(p[0]);
      return true;
    case cmd::TileDataLoad: return LoadTiles(p, err);
    case cmd::TileMapLoad: return LoadTileMap(p, err);
    case cmd::PaletteLoad: return LoadPalette(p, err);
    default: break;
  }
  // 99..101: resource first.
  const project::Resource* r = ResourceAt(p[0], err);
  if (!r) return false;
  const project::ResourceContext context = project::resourceContextOf(*project_, rangeIndex_, host_);
  switch (command) {
    case cmd::ResourceFileExists:
      out[outCount++] = project::resourceExists(*r, context) ? 1 : 0;
      return true;
    case cmd::ResourceGetSize: {
      std::int64_t bytes = 0;
      if (!project::resourceSize(*r, context, err, bytes)) return false;
      // Files past 2 GB report the largest size a variable holds.
      out[outCount++] = bytes > 0x7FFFFFFF ? 0x7FFFFFFF : std::int32_t(bytes);
      return true;
    }
    case cmd::ResourcePeek: {
      std::int32_t value = 0;
      if (!project::resourceReadValue(*r, context, err, p[1], p[2], value)) return false;
      out[outCount++] = value;
      return true;
    }
  }
  return fail(err, err::kUnknownCommand);
}

// TileDataLoad [target] resource first stride: the first tile must lie in
// the target area at the resource's depth; the stride only spaces the rows
// (a stride below the image's width in tiles counts as that width).
bool ResourceCommands::LoadTiles(const std::int32_t* p, ErrorState& err) {
  if (p[0] != 0 && p[0] != 1) return fail(err, err::kTileAttributeOutOfRange);
  const project::Resource* r = ResourceAt(p[1], err);
  if (!r) return false;
  if (!machine_) return fail(err, err::kTileAttributeOutOfRange);
  const project::TileArea area = p[0] == 0 ? project::TileArea::Background : project::TileArea::Sprite;
  const int bits = r->kind == project::ResourceKind::Bitmap16    ? 4
                   : r->kind == project::ResourceKind::Bitmap256 ? 8
                                                                 : 0;
  // Other kinds are refused by the load (155).
  if (bits != 0 && (p[2] < 0 || p[2] >= project::tileAreaCapacity(area, bits))) return fail(err, err::kTileAttributeOutOfRange);
  const project::ResourceContext context = project::resourceContextOf(*project_, rangeIndex_, host_);
  const int target = p[0];
  if (!project::resourceLoadTiles(*r, context, err, area, machine_->tileArea(target), p[2], p[3],
                                  [&](int tile) { machine_->markTileUsed(target, tile); }))
    return false;
  machine_->notify(machine::ChangeKind::Tiles);
  return true;
}

// TileMapLoad layer resource x y: the file's entry (0, 0) goes to cell (x, y),
// which must lie inside the layer's map; entries past its edges are dropped.
bool ResourceCommands::LoadTileMap(const std::int32_t* p, ErrorState& err) {
  if (p[0] < 0 || p[0] > 3) return fail(err, err::kScreenMapIndexOutOfRange);
  const project::Resource* r = ResourceAt(p[1], err);
  if (!r) return false;
  if (!machine_) return fail(err, err::kScreenMapIndexOutOfRange);
  const int layer = p[0];
  project::TileMapTarget target;
  target.width = machine_->mapWidth(layer);
  target.height = machine_->mapHeight(layer);
  if (p[2] < 0 || p[2] >= target.width) return fail(err, err::kScreenMapXOutOfRange);
  if (p[3] < 0 || p[3] >= target.height) return fail(err, err::kScreenMapYOutOfRange);
  target.rotation = machine_->layer(layer).kind == machine::LayerKind::Rotational;
  // The machine raises the tile-map notification for each cell that changes.
  target.set = [&](int x, int y, std::uint16_t value) { machine_->setMapCell(layer, x, y, value); };
  const project::ResourceContext context = project::resourceContextOf(*project_, rangeIndex_, host_);
  return project::resourceLoadTileMap(*r, context, err, target, p[2], p[3]);
}

// PaletteLoad [target] resource palette: a 16-colour palette goes to colours
// palette x 16 .. +15 of the target bank, a 256-colour one over the whole
// bank; the palette number is checked for both.
bool ResourceCommands::LoadPalette(const std::int32_t* p, ErrorState& err) {
  if (p[0] != 0 && p[0] != 1) return fail(err, err::kPaletteIndexOutOfRange);
  const project::Resource* r = ResourceAt(p[1], err);
  if (!r) return false;
  if (p[2] < 0 || p[2] > 15) return fail(err, err::kPaletteIndexOutOfRange);
  if (!machine_) return fail(err, err::kPaletteIndexOutOfRange);
  machine::PaletteBank& bank = machine_->palette(p[0]);
  const project::ResourceContext context = project::resourceContextOf(*project_, rangeIndex_, host_);
  if (!project::resourceLoadPalette(*r, context, err, p[2],
                                    [&](int index, std::uint16_t colour) { bank.setColour(index, colour); }))
    return false;
  machine_->notify(machine::ChangeKind::Palette);
  return true;
}

}  // namespace tarvolin::commands
