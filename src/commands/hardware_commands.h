// The commands that drive the modelled display hardware: display registers,
// windows, blending, mosaic and background rotation (CommandId 102..112),
// tile data (117..124), tile maps (130..143), palettes (145..153), sprites and
// sprite rotation banks (154..157), back-page drawing (176..178) and the
// collision tests (179..183). The resource loads (116, 129, 144) and the tile
// lists (125..128) are other families'.
//
// The interpreter evaluates a line's operands in signature order (bracketed
// attributes as their index in their table) and hands them to Execute, which
// checks them, changes the machine through its setters (which raise the
// changed notifications) and gives the values for the result variables.
//
// Collision. The machine holds one property byte per tile number
// (CollideSetTileProperty). The results a game reads back:
// - CollideTestRegionVrsTiles layer x y w h mask: the OR of the properties of
//   every map cell the rectangle touches, ANDed with the mask; 0 when nothing
//   matches. The rectangle is in screen pixels: on a text layer the layer's
//   scroll is added and the map wraps as on screen; on a rotational layer the
//   rectangle is in map pixels (the affine transform is not applied), cells
//   outside the map count as 0 unless the layer is tiled (then it wraps). An
//   unavailable layer, or a width or height of 0 or less, gives 0. The tile
//   number of a text cell is its low 10 bits, of a rotational cell its byte.
// - CollideTestSpriteVrsTiles sprite layer mask dx dy: the same for the
//   sprite's screen rectangle (its drawing area, doubled for a double-size
//   rotating sprite, with the screen's 512 / 256 wrap) moved by (dx, dy), so
//   a game can test a move before making it. A hidden sprite gives 0.
// - CollideTestRegionVrsSprite sprite x y w h and CollideTestSpriteVrsSprite
//   a b: 1 when the rectangles overlap (share at least one pixel), else 0;
//   a hidden sprite overlaps nothing.
#pragma once

#include <cstdint>

#include "script/command_family.h"
#include "common/errors.h"

namespace tarvolin::machine { class MachineState; }
namespace tarvolin::script { class TimingEngine; }

namespace tarvolin::commands {


class HardwareCommands final : public script::CommandFamily {
 public:
  // What the commands act on; with no machine every command fails (error 3);
  // with no timing engine the scan line reads as at cycle 0.
  void bind(machine::MachineState* machine, const script::TimingEngine* timing) {
    machine_ = machine;
    timing_ = timing;
  }

  static bool handles(std::int32_t command);

  bool Handles(std::int32_t command) const override { return handles(command); }
  void Reset() override {}
  int FindAsset(script::AssetKind, std::string_view) const override { return -1; }
  // Runs one command. `p` holds `count` evaluated operands; the results for
  // the line's variables go to `out` and their number to `outCount`. False
  // with the error set when a check fails (nothing is changed then).
  bool Execute(std::int32_t command, const std::int32_t* p, int count, std::int32_t* out,
               int& outCount, ErrorState& err) override;

 private:
  bool Display(std::int32_t command, const std::int32_t* p, std::int32_t* out, int& outCount,
               ErrorState& err);
  bool TileData(std::int32_t command, const std::int32_t* p, std::int32_t* out, int& outCount,
                ErrorState& err);
  bool TileMaps(std::int32_t command, const std::int32_t* p, std::int32_t* out, int& outCount,
                ErrorState& err);
  bool Palettes(std::int32_t command, const std::int32_t* p, std::int32_t* out, int& outCount,
                ErrorState& err);
  bool Sprites(std::int32_t command, const std::int32_t* p, std::int32_t* out, int& outCount,
               ErrorState& err);
  bool Collision(std::int32_t command, const std::int32_t* p, std::int32_t* out, int& outCount,
                 ErrorState& err);

  machine::MachineState* machine_ = nullptr;
  const script::TimingEngine* timing_ = nullptr;
};

}  // namespace tarvolin::commands
