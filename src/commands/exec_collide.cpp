// The collision commands: the tile property table and the tests of a
// rectangle or a sprite against a layer's tiles or against a sprite. The
// result values are described in hardware_commands.h.
#include <algorithm>

#include "machine/machine_state.h"
#include "commands/hardware_commands.h"
#include "script/commands.h"

namespace tarvolin::commands {

using namespace script;

namespace {

struct Rect {
  std::int64_t x = 0, y = 0, w = 0, h = 0;
};

// A sprite's drawing area on screen, with the wrap the renderer uses; false
// for a hidden sprite.
bool SpriteRect(const machine::MachineState& m, int index, Rect& r) {
  const machine::SpriteEntry& s = m.sprite(index);
  if (!s.shown()) return false;
  const int scale = s.rotScale && s.sdFold ? 2 : 1;
  r.w = s.width() * scale;
  r.h = s.height() * scale;
  r.x = s.x + r.w >= 512 ? s.x - 512 : s.x;
  r.y = s.y + r.h > 256 ? s.y - 256 : s.y;
  return true;
}

bool Overlap(const Rect& a, const Rect& b) {
  return a.w > 0 && a.h > 0 && b.w > 0 && b.h > 0 && a.x < b.x + b.w && b.x < a.x + a.w &&
         a.y < b.y + b.h && b.y < a.y + a.h;
}

std::int64_t FloorDiv8(std::int64_t v) { return v >= 0 ? v / 8 : -((-v + 7) / 8); }

// The OR of the properties of the tiles of the layer's map cells that the
// screen rectangle touches.
int TileProperties(const machine::MachineState& m, int layer, const Rect& r) {
  const machine::BackgroundLayer& l = m.layer(layer);
  if (l.kind == machine::LayerKind::Unavailable || r.w <= 0 || r.h <= 0) return 0;
  const bool rotational = l.kind == machine::LayerKind::Rotational;
  const bool wraps = !rotational || l.tiled;
  const int mapW = m.mapWidth(layer), mapH = m.mapHeight(layer);
  const std::int64_t x0 = rotational ? r.x : r.x + l.scrollX;
  const std::int64_t y0 = rotational ? r.y : r.y + l.scrollY;
  std::int64_t c0 = FloorDiv8(x0), c1 = FloorDiv8(x0 + r.w - 1);
  std::int64_t r0 = FloorDiv8(y0), r1 = FloorDiv8(y0 + r.h - 1);
  if (wraps) {
    // A wrapping map repeats, so no more than one map's worth of cells counts.
    c1 = c0 + std::min<std::int64_t>(c1 - c0, mapW - 1);
    r1 = r0 + std::min<std::int64_t>(r1 - r0, mapH - 1);
  } else {
    // Cells off the map hold nothing: the walk stays on the map.
    c0 = std::max<std::int64_t>(c0, 0);
    c1 = std::min<std::int64_t>(c1, mapW - 1);
    r0 = std::max<std::int64_t>(r0, 0);
    r1 = std::min<std::int64_t>(r1, mapH - 1);
  }
  int result = 0;
  for (std::int64_t j = r0; j <= r1; ++j) {
    const std::int64_t cy = wraps ? ((j % mapH) + mapH) % mapH : j;
    for (std::int64_t i = c0; i <= c1; ++i) {
      const std::int64_t cx = wraps ? ((i % mapW) + mapW) % mapW : i;
      std::uint16_t cell = 0;
      m.mapCell(layer, int(cx), int(cy), cell);
      result |= m.tileProperty(rotational ? cell & 255 : cell & 1023);
      if (result == 255) return result;
    }
  }
  return result;
}

}  // namespace

bool HardwareCommands::Collision(std::int32_t command, const std::int32_t* p, std::int32_t* out,
                                 int& outCount, ErrorState& err) {
  auto fail = [&](ErrorCode code) {
    err.SetError(code);
    return false;
  };
  machine::MachineState& m = *machine_;
  auto spriteOk = [](std::int32_t s) { return s >= 0 && s <= 127; };
  switch (command) {
    case cmd::CollideSetTileProperty:  // CollideSetTileProperty tile property
      if (p[0] < 0 || p[0] > 1023) return fail(err::kCollisionIndexInvalid);
      if (p[1] < 0 || p[1] > 255) return fail(err::kCollisionValueNotByte);
      m.setTileProperty(p[0], p[1]);
      return true;
    case cmd::CollideTestRegionVrsTiles: {  // CollideTestRegionVrsTiles layer x y w h mask V1
      if (p[0] < 0 || p[0] > 3) return fail(err::kScreenMapIndexOutOfRange);
      if (p[5] < 0 || p[5] > 255) return fail(err::kCollisionValueNotByte);
      out[outCount++] = TileProperties(m, p[0], Rect{p[1], p[2], p[3], p[4]}) & p[5];
      return true;
    }
    case cmd::CollideTestSpriteVrsTiles: {  // CollideTestSpriteVrsTiles sprite layer mask dx dy V1
      if (!spriteOk(p[0])) return fail(err::kSpriteIndexOutOfRange);
      if (p[1] < 0 || p[1] > 3) return fail(err::kScreenMapIndexOutOfRange);
      if (p[2] < 0 || p[2] > 255) return fail(err::kCollisionValueNotByte);
      Rect r;
      int value = 0;
      if (SpriteRect(m, p[0], r)) {
        r.x += p[3];
        r.y += p[4];
        value = TileProperties(m, p[1], r) & p[2];
      }
      out[outCount++] = value;
      return true;
    }
    case cmd::CollideTestRegionVrsSprite: {  // CollideTestRegionVrsSprite sprite x y w h V1
      if (!spriteOk(p[0])) return fail(err::kSpriteIndexOutOfRange);
      Rect s;
      out[outCount++] = SpriteRect(m, p[0], s) && Overlap(s, Rect{p[1], p[2], p[3], p[4]}) ? 1 : 0;
      return true;
    }
    case cmd::CollideTestSpriteVrsSprite: {  // CollideTestSpriteVrsSprite a b V1
      if (!spriteOk(p[0]) || !spriteOk(p[1])) return fail(err::kSpriteIndexOutOfRange);
      Rect a, b;
      out[outCount++] = SpriteRect(m, p[0], a) && SpriteRect(m, p[1], b) && Overlap(a, b) ? 1 : 0;
      return true;
    }
    default:
      return fail(err::kUnknownCommand);
  }
}

}  // namespace tarvolin::commands
