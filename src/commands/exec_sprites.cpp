// The palette, sprite and sprite rotation-bank commands.
#include "machine/machine_state.h"
#include "commands/hardware_commands.h"
#include "script/commands.h"

namespace tarvolin::commands {

using namespace script;

namespace {

}  // namespace

bool HardwareCommands::Palettes(std::int32_t command, const std::int32_t* p, std::int32_t* out,
                                int& outCount, ErrorState& err) {
  auto fail = [&](ErrorCode code) {
    err.SetError(code);
    return false;
  };
  machine::MachineState& m = *machine_;
  // The palette target comes from its attribute table (0 BG, 1 SPRITE).
  if (p[0] < 0 || p[0] > 1) return fail(err::kPaletteIndexOutOfRange);
  machine::PaletteBank& bank = m.palette(p[0]);
  if (p[1] < 0 || p[1] > 255) return fail(err::kPaletteIndexOutOfRange);
  const int index = p[1];
  const std::uint16_t colour = bank.colour(index) & 0x7FFF;
  switch (command) {
    case cmd::PaletteCycle: {  // PaletteCycle [target] first last
      const int first = index, last = p[2];
      if (last < 0 || last > 255) return fail(err::kPaletteIndexOutOfRange);
      if (first == last) return true;
      const std::uint16_t moved = bank.colour(last);
      if (first < last) {
        for (int i = last; i > first; --i) bank.setColour(i, bank.colour(i - 1));
      } else {
        for (int i = last; i < first; ++i) bank.setColour(i, bank.colour(i + 1));
      }
      bank.setColour(first, moved);
      m.notify(machine::ChangeKind::Palette);
      return true;
    }
    case cmd::PaletteGetR: case cmd::PaletteGetG: case cmd::PaletteGetB:  // PaletteGetR / G / B
      out[outCount++] = colour >> (5 * (command - 146)) & 31;
      return true;
    case cmd::PaletteGetColour:
      out[outCount++] = bank.colour(index);
      return true;
    case cmd::PaletteSetR: case cmd::PaletteSetG: case cmd::PaletteSetB: {  // PaletteSetR / G / B
      if (p[2] < 0 || p[2] > 31) return fail(err::kPaletteColourOutOfRange);
      const int shift = 5 * (command - 149);
      const int value = (colour & ~(31 << shift)) | (p[2] << shift);
      return m.setPaletteColour(p[0], index, value) || fail(err::kPaletteColourOutOfRange);
    }
    case cmd::PaletteSetColour:
      return m.setPaletteColour(p[0], index, p[2]) || fail(err::kPaletteColourOutOfRange);
    default:
      return fail(err::kUnknownCommand);
  }
}

bool HardwareCommands::Sprites(std::int32_t command, const std::int32_t* p, std::int32_t* out,
                               int& outCount, ErrorState& err) {
  auto fail = [&](ErrorCode code) {
    err.SetError(code);
    return false;
  };
  machine::MachineState& m = *machine_;
  switch (command) {
    case cmd::SpriteSetAttribute:  // SpriteSetAttribute sprite [AtributoSprite] value
    case cmd::SpriteGetAttribute: {  // SpriteGetAttribute sprite [AtributoSprite] V1
      if (p[0] < 0 || p[0] > 127) return fail(err::kSpriteIndexOutOfRange);
      if (p[1] < 0 || p[1] > static_cast<int>(machine::SpriteAttribute::TileIndex)) return fail(err::kSpriteAttributeOutOfRange);
      const auto attr = static_cast<machine::SpriteAttribute>(p[1]);
      if (command == cmd::SpriteSetAttribute) return m.setSpriteAttribute(p[0], attr, p[2]) || fail(err::kSpriteAttributeOutOfRange);
      int value = 0;
      if (!m.spriteAttribute(p[0], attr, value)) return fail(err::kSpriteAttributeOutOfRange);
      out[outCount++] = value;
      return true;
    }
    case cmd::RotateSetValue:  // RotateSetValue bank [AtributoRot] value
      if (p[0] < 0 || p[0] > 31) return fail(err::kRotationIndexOutOfRange);
      if (p[1] < 0 || p[1] > static_cast<int>(machine::RotationAttribute::Yshear)) return fail(err::kRotationScaleOutOfRange);
      return m.setRotationValue(p[0], static_cast<machine::RotationAttribute>(p[1]), p[2]) || fail(err::kRotationScaleOutOfRange);
    case cmd::RotateAndScale:  // RotateAndScale bank angle scale
      if (p[0] < 0 || p[0] > 31) return fail(err::kRotationIndexOutOfRange);
      return m.rotateAndScale(p[0], p[1], p[2]) || fail(err::kRotationScaleOutOfRange);
    default:
      return fail(err::kUnknownCommand);
  }
}

}  // namespace tarvolin::commands
