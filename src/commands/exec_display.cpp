// Dispatch of the hardware commands; the display registers, the scan-line
// counter and the back-page drawing.
#include "machine/back_page.h"
#include "machine/machine_state.h"
#include "commands/hardware_commands.h"
#include "script/commands.h"
#include "script/timing.h"

namespace tarvolin::commands {

using namespace script;

namespace {


// Cycles in one scan line, and the line the counter reads at cycle 0.
constexpr std::uint32_t kCyclesPerLine = 1268;
constexpr std::uint32_t kFirstLine = 220;
constexpr std::uint32_t kLinesPerFrame = 228;

}  // namespace

bool HardwareCommands::handles(std::int32_t command) { return GroupOf(command) == CommandGroup::Hardware; }

bool HardwareCommands::Execute(std::int32_t command, const std::int32_t* p, int count,
                               std::int32_t* out, int& outCount, ErrorState& err) {
  outCount = 0;
  const int needed = InputOperandCount(command);
  if (!handles(command) || !machine_) {
    err.SetError(err::kUnknownCommand);
    return false;
  }
  if (count < needed) {
    err.SetError(err::kMissingParameters);
    return false;
  }
  if (command <= cmd::DisplayGetScanLine) return Display(command, p, out, outCount, err);
  if (command <= cmd::TileDataPixelGet) return TileData(command, p, out, outCount, err);
  if (command <= cmd::TileMapSetTiled) return TileMaps(command, p, out, outCount, err);
  if (command <= cmd::PaletteSetColour) return Palettes(command, p, out, outCount, err);
  if (command <= cmd::RotateAndScale) return Sprites(command, p, out, outCount, err);
  if (command <= cmd::DrawSetColour) {
    // Drawing on the bitmap page that is not shown.
    if (command == cmd::DrawLine) {
      machine::drawLine(*machine_, p[0], p[1], p[2], p[3], p[4]);
    } else if (command == cmd::DrawTriangle) {
      machine::drawTriangle(*machine_, p[0], p[1], p[2], p[3], p[4], p[5], p[6]);
    } else {
      // DrawSetColour r g b V1: the 15-bit colour of the three channels.
      out[outCount++] = (p[0] & 31) + (p[1] & 31) * 32 + (p[2] & 31) * 1024;
      return true;
    }
    if (machine_->backPage().pixels) machine_->notify(machine::ChangeKind::Tiles);
    return true;
  }
  return Collision(command, p, out, outCount, err);
}

bool HardwareCommands::Display(std::int32_t command, const std::int32_t* p, std::int32_t* out,
                               int& outCount, ErrorState& err) {
  using namespace machine;
  auto fail = [&](ErrorCode code) {
    err.SetError(code);
    return false;
  };
  MachineState& m = *machine_;
  switch (command) {
    case cmd::DisplaySetAttribute:  // DisplaySetAttribute [AtributoVisual] value
      if (p[0] < 0 || p[0] > static_cast<int>(DisplayAttribute::EnableSpriteWindow))
        return fail(err::kDisplayAttributeOutOfRange);
      return m.setDisplayAttribute(static_cast<DisplayAttribute>(p[0]), p[1]) || fail(err::kDisplayAttributeOutOfRange);
    case cmd::DisplaySetMosaic:  // DisplaySetMosaic [atributo de mosaico] value
      if (p[0] < 0 || p[0] > 3) return fail(err::kMosaicAttributeOutOfRange);
      return m.setMosaic(static_cast<MosaicAttribute>(p[0]), p[1]) || fail(err::kMosaicAttributeOutOfRange);
    case cmd::DisplaySetBlendMode:
      return m.setBlendMode(p[0]) || fail(err::kBlendAttributeOutOfRange);
    case cmd::DisplaySetBlendAttribute:
      return m.setBlendAttribute(p[0], p[1]) || fail(err::kBlendAttributeOutOfRange);
    case cmd::DisplaySetBlendAlphaLevel:
      return m.setAlphaLevels(p[0], p[1]) || fail(err::kBlendAttributeOutOfRange);
    case cmd::DisplaySetBlendTintLevel:
      return m.setTintLevel(p[0]) || fail(err::kBlendAttributeOutOfRange);
    case cmd::DisplaySetBGRotAttribute:  // DisplaySetBGRotAttribute set [atributo de rotación] value
      if (p[0] < 0 || p[0] > 1) return fail(err::kBadRotationLayer);
      if (p[1] < 0 || p[1] > static_cast<int>(BgRotationAttribute::OffsetY)) return fail(err::kRotationLayerAttributeOutOfRange);
      return m.setBgRotationAttribute(p[0], static_cast<BgRotationAttribute>(p[1]), p[2]) ||
             fail(err::kRotationLayerAttributeOutOfRange);
    case cmd::DisplayBGRotateAndScale:  // DisplayBGRotateAndScale set sx sy mapx mapy screenx screeny angle
      if (p[0] < 0 || p[0] > 1) return fail(err::kBadRotationLayer);
      return m.bgRotateAndScale(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]) || fail(err::kRotationLayerAttributeOutOfRange);
    case cmd::DisplaySetWindowRegion:  // DisplaySetWindowRegion window left top right bottom
      if (p[0] < 0 || p[0] > 1) return fail(err::kBadWindow);
      return m.setWindowRegion(p[0], p[1], p[2], p[3], p[4]) || fail(err::kWindowAttributeOutOfRange);
    case cmd::DisplaySetWindowAttribute:  // DisplaySetWindowAttribute window [atributo de ventana] value
      if (p[0] < 0 || p[0] > 3) return fail(err::kBadWindow);
      if (p[1] < 0 || p[1] > static_cast<int>(WindowAttribute::WindowBlends)) return fail(err::kWindowAttributeOutOfRange);
      return m.setWindowAttribute(p[0], static_cast<WindowAttribute>(p[1]), p[2]) || fail(err::kWindowAttributeOutOfRange);
    case cmd::DisplayGetScanLine: {  // DisplayGetScanLine V1: from the frame's estimated cycles, unsigned
      const std::uint32_t cycles = timing_ ? static_cast<std::uint32_t>(timing_->FrameTotal()) : 0u;
      out[outCount++] = static_cast<std::int32_t>((cycles / kCyclesPerLine + kFirstLine) % kLinesPerFrame);
      return true;
    }
    default:
      return fail(err::kUnknownCommand);
  }
}

}  // namespace tarvolin::commands
