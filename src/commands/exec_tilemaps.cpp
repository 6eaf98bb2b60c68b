// The tile-map commands: one cell attribute read or written, rectangles
// filled, copied and counted up, and the layers' settings.
#include "machine/machine_state.h"
#include "commands/hardware_commands.h"
#include "script/commands.h"

namespace tarvolin::commands {

using namespace script;

namespace {

enum CellAttribute { kTile = 0, kFlipH = 1, kFlipV = 2, kPalette = 3, kAll = 4 };

bool Rotational(const machine::MachineState& m, int layer) {
  return m.layer(layer).kind == machine::LayerKind::Rotational;
}

// The largest value of a cell attribute on a layer; -1 when the attribute
// cannot be written there (rotational layers hold only a tile number).
int AttributeMax(const machine::MachineState& m, int layer, int attr) {
  if (Rotational(m, layer)) return attr == kTile ? 255 : -1;
  switch (attr) {
    case kTile: return 1023;
    case kFlipH: case kFlipV: return 1;
    case kPalette: return 15;
    case kAll: return 0xFFFF;
    default: return -1;
  }
}

int ReadAttribute(const machine::MachineState& m, int layer, int x, int y, int attr) {
  std::uint16_t cell = 0;
  m.mapCell(layer, x, y, cell);
  if (Rotational(m, layer)) return attr == kTile ? cell & 255 : 0;
  switch (attr) {
    case kTile: return cell & 1023;
    case kFlipH: return cell >> 10 & 1;
    case kFlipV: return cell >> 11 & 1;
    case kPalette: return cell >> 12 & 15;
    default: return cell;
  }
}

// Writes the attribute's field with the low bits of `value` (the caller has
// checked the attribute is writable on the layer).
void WriteAttribute(machine::MachineState& m, int layer, int x, int y, int attr, int value) {
  if (Rotational(m, layer)) {
    m.setMapCell(layer, x, y, static_cast<std::uint16_t>(value & 255));
    return;
  }
  std::uint16_t cell = 0;
  m.mapCell(layer, x, y, cell);
  unsigned mask = 0, shift = 0;
  switch (attr) {
    case kTile: mask = 1023; break;
    case kFlipH: mask = 1; shift = 10; break;
    case kFlipV: mask = 1; shift = 11; break;
    case kPalette: mask = 15; shift = 12; break;
    default: mask = 0xFFFF; break;
  }
  cell = static_cast<std::uint16_t>((cell & ~(mask << shift)) | ((unsigned(value) & mask) << shift));
  m.setMapCell(layer, x, y, cell);
}

}  // namespace

bool HardwareCommands::TileMaps(std::int32_t command, const std::int32_t* p, std::int32_t* out,
                                int& outCount, ErrorState& err) {
  auto fail = [&](ErrorCode code) {
    err.SetError(code);
    return false;
  };
  machine::MachineState& m = *machine_;
  auto layerOk = [](std::int32_t layer) { return layer >= 0 && layer <= 3; };
  // A cell inside the layer's map, or the coordinate's error.
  auto checkCell = [&](int layer, std::int64_t x, std::int64_t y) {
    if (x < 0 || x >= m.mapWidth(layer)) return fail(err::kScreenMapXOutOfRange);
    if (y < 0 || y >= m.mapHeight(layer)) return fail(err::kScreenMapYOutOfRange);
    return true;
  };
  auto checkAttribute = [&](int layer, std::int32_t attr, std::int32_t value) {
    const int hi = AttributeMax(m, layer, attr);
    return (hi >= 0 && value >= 0 && value <= hi) || fail(err::kScreenMapAttributeOutOfRange);
  };

  if (command >= cmd::TileMapSetColourMode) {  // the layer settings, in LayerAttribute order
    if (!layerOk(p[0])) return fail(err::kScreenMapIndexOutOfRange);
    return m.setLayerAttribute(p[0], static_cast<machine::LayerAttribute>(command - 135), p[1]) ||
           fail(err::kScreenMapAttributeOutOfRange);
  }
  switch (command) {
    case cmd::TileMapGetAttribute: {  // TileMapGetAttribute layer x y [atributo] V1
      if (!layerOk(p[0])) return fail(err::kScreenMapIndexOutOfRange);
      if (!checkCell(p[0], p[1], p[2])) return false;
      if (p[3] < kTile || p[3] > kAll) return fail(err::kScreenMapAttributeOutOfRange);
      out[outCount++] = ReadAttribute(m, p[0], p[1], p[2], p[3]);
      return true;
    }
    case cmd::TileMapSetAttribute:  // TileMapSetAttribute layer x y [atributo] value
      if (!layerOk(p[0])) return fail(err::kScreenMapIndexOutOfRange);
      if (!checkCell(p[0], p[1], p[2]) || !checkAttribute(p[0], p[3], p[4])) return false;
      WriteAttribute(m, p[0], p[1], p[2], p[3], p[4]);
      return true;
    case cmd::TileMapFillRect:    // TileMapFillRect layer [atributo] x y w h value
    case cmd::TileMapIncRect: {  // TileMapIncRect: the value's low 10 bits count up cell by cell
      const int layer = p[0], attr = p[1], x = p[2], y = p[3], w = p[4], h = p[5];
      if (!layerOk(layer)) return fail(err::kScreenMapIndexOutOfRange);
      if (!checkAttribute(layer, attr, p[6])) return false;
      if (w <= 0 || h <= 0) return true;
      if (!checkCell(layer, x, y) || !checkCell(layer, std::int64_t(x) + w - 1, std::int64_t(y) + h - 1))
        return false;
      int value = p[6];
      for (int row = y; row < y + h; ++row) {
        for (int col = x; col < x + w; ++col) {
          WriteAttribute(m, layer, col, row, attr, value);
          if (command == cmd::TileMapIncRect) value = (value & ~1023) | ((value + 1) & 1023);
        }
      }
      return true;
    }
    case cmd::TileMapCopyRect: {  // TileMapCopyRect from to [atributo] fx fy tx ty w h
      const int from = p[0], to = p[1], attr = p[2], fx = p[3], fy = p[4], tx = p[5], ty = p[6];
      const int w = p[7], h = p[8];
      if (!layerOk(from) || !layerOk(to)) return fail(err::kScreenMapIndexOutOfRange);
      if (attr < kTile || attr > kAll || AttributeMax(m, to, attr) < 0) return fail(err::kScreenMapAttributeOutOfRange);
      if (w <= 0 || h <= 0) return true;
      if (!checkCell(from, fx, fy) || !checkCell(from, std::int64_t(fx) + w - 1, std::int64_t(fy) + h - 1) ||
          !checkCell(to, tx, ty) || !checkCell(to, std::int64_t(tx) + w - 1, std::int64_t(ty) + h - 1))
        return false;
      // Order so that overlapping rectangles on one layer come out as if
      // copied through a buffer.
      const bool up = ty > fy, left = ty == fy && tx > fx;
      for (int i = 0; i < h; ++i) {
        const int r = up ? h - 1 - i : i;
        for (int j = 0; j < w; ++j) {
          const int c = left ? w - 1 - j : j;
          WriteAttribute(m, to, tx + c, ty + r, attr, ReadAttribute(m, from, fx + c, fy + r, attr));
        }
      }
      return true;
    }
    default:
      return fail(err::kUnknownCommand);
  }
}

}  // namespace tarvolin::commands
