// The level commands: reading and writing level tiles, and drawing a level
// into a tile map, whole, as a rectangle, or by scrolling. The layout rules
// are in world_commands.h.
#include <algorithm>
#include <cstdlib>

#include "machine/machine_state.h"
#include "project/project.h"
#include "script/operand_parse.h"
#include "commands/world_commands.h"
#include "script/commands.h"

namespace tarvolin::commands {

using namespace script;

namespace {
// Cells of the screen a level position shows: 240 / 8 + 1 by 160 / 8 + 1.
constexpr int kViewColumns = 31;
constexpr int kViewRows = 21;

int wrap(int v, int size) {
  const int r = v % size;
  return r < 0 ? r + size : r;
}
int floorDiv8(int v) { return int((std::int64_t(v) - (v < 0 ? 7 : 0)) / 8); }
}  // namespace

bool WorldCommands::Levels(std::int32_t command, const std::int32_t* p, std::int32_t* out,
                           int& outCount, ErrorState& err) {
  auto fail = [&](ErrorCode code) {
    err.SetError(code);
    return false;
  };
  if (command == cmd::LevelSelectLayer) {  // LevelSelectLayer
    if (p[0] < 0 || p[0] > 3) return fail(err::kLevelLayerOutOfRange);
    levelLayer_ = p[0];
    return true;
  }
  project::Level* level = project_ && p[0] >= 0 ? project_->levels().get(std::size_t(p[0])) : nullptr;
  if (!level) return fail(AssetErrorCodes(AssetKind::Level).outOfRange);
  project::LevelBody& body = level->body;

  switch (command) {
    case cmd::LevelGetDimensionX:
      out[outCount++] = body.width;
      return true;
    case cmd::LevelGetDimensionY:
      out[outCount++] = body.height;
      return true;
    case cmd::LevelGetTile: case cmd::LevelSetTile: {  // LevelGetTile level x y V1 / LevelSetTile level x y value
      if (levelLayer_ >= body.layers) return fail(err::kLevelLayerOutOfRange);
      if (p[1] < 0 || p[1] >= body.width) return fail(err::kScreenMapXOutOfRange);
      if (p[2] < 0 || p[2] >= body.height) return fail(err::kScreenMapYOutOfRange);
      if (command == cmd::LevelGetTile) {
        out[outCount++] = body.at(p[1], p[2], levelLayer_);
      } else {
        body.at(p[1], p[2], levelLayer_) = std::uint16_t(p[3]);
        level->bodyLoaded = true;
      }
      return true;
    }
  }

  // The drawing commands: a tile map layer as P1.
  if (p[1] < 0 || p[1] > 3) return fail(err::kScreenMapIndexOutOfRange);
  if (levelLayer_ >= body.layers) return fail(err::kLevelLayerOutOfRange);
  if (!machine_) return fail(err::kScreenMapIndexOutOfRange);
  machine::MachineState& m = *machine_;
  const int layer = p[1];
  const int mapW = m.mapWidth(layer), mapH = m.mapHeight(layer);
  if (mapW <= 0 || mapH <= 0) return true;
  const bool rotational = m.layer(layer).kind == machine::LayerKind::Rotational;
  const int levelLayer = levelLayer_;

  // Writes level cell (lx, ly) at map cell (mx, my), both taken as a ring.
  auto put = [&](int lx, int ly, int mx, int my, std::int32_t offset) {
    if (!body.inside(lx, ly, levelLayer)) return;
    const std::uint16_t entry = body.at(lx, ly, levelLayer);
    std::uint16_t value;
    if (rotational) value = std::uint16_t((entry + offset) & 0xFF);
    else value = std::uint16_t((entry & 0xFC00) | ((entry + offset) & 0x3FF));
    m.setMapCell(layer, wrap(mx, mapW), wrap(my, mapH), value);
  };
  auto follow = [&](int x, int y) {  // the layer's scroll shows pixel (x, y) of the level
    m.setLayerAttribute(layer, machine::LayerAttribute::OffsetX, wrap(x, mapW * 8) & 511);
    m.setLayerAttribute(layer, machine::LayerAttribute::OffsetY, wrap(y, mapH * 8) & 511);
  };

  switch (command) {
    case cmd::LevelDrawRect: {  // LevelDrawRect level layer lx ly mx my w h offset
      // Only the part of the rectangle that lies inside the level is drawn.
      const std::int64_t col0 = std::max<std::int64_t>(0, -std::int64_t(p[2]));
      const std::int64_t col1 = std::min<std::int64_t>(p[6], std::int64_t(body.width) - p[2]);
      const std::int64_t row0 = std::max<std::int64_t>(0, -std::int64_t(p[3]));
      const std::int64_t row1 = std::min<std::int64_t>(p[7], std::int64_t(body.height) - p[3]);
      for (std::int64_t row = row0; row < row1; ++row)
        for (std::int64_t col = col0; col < col1; ++col)
          put(int(p[2] + col), int(p[3] + row), int(std::int64_t(p[4]) + col),
              int(std::int64_t(p[5]) + row), p[8]);
      break;
    }
    case cmd::LevelSetPos: {  // LevelSetPos level layer x y offset
      const int tx = floorDiv8(p[2]), ty = floorDiv8(p[3]);
      for (int row = 0; row < kViewRows; ++row)
        for (int col = 0; col < kViewColumns; ++col) put(tx + col, ty + row, tx + col, ty + row, p[4]);
      follow(p[2], p[3]);
      break;
    }
    case cmd::LevelScroll: {  // LevelScroll level layer oldX oldY newX newY offset
      const std::int64_t dx = std::int64_t(p[4]) - p[2], dy = std::int64_t(p[5]) - p[3];
      if (std::llabs(dx) > 8 || std::llabs(dy) > 8) return fail(err::kLevelScrollTooFar);
      const int ox = floorDiv8(p[2]), oy = floorDiv8(p[3]);
      const int nx = floorDiv8(p[4]), ny = floorDiv8(p[5]);
      for (int row = 0; row < kViewRows; ++row)
        for (int col = 0; col < kViewColumns; ++col) {
          const int lx = nx + col, ly = ny + row;
          const bool wasShown = lx >= ox && lx < ox + kViewColumns && ly >= oy && ly < oy + kViewRows;
          if (!wasShown) put(lx, ly, lx, ly, p[6]);
        }
      follow(p[4], p[5]);
      break;
    }
    default:
      return fail(err::kUnknownCommand);
  }
  m.notify(machine::ChangeKind::TileMap);
  return true;
}

}  // namespace tarvolin::commands
