// Dispatch of the hardware commands; the display registers, the scan-line
// counter and the back-page drawing.
#include "machine/back_page.h"
#include "machine/machine_state.h"
#include "commands/hardware_commands.h"
#include "script/timing.h"

namespace tarvolin::commands {

using namespace script;

namespace {

// Operands each command takes (values, not result variables); -1 for the
// commands of other families.
int OperandCount(std::int32_t command) {
  switch (command) {
    case 102: case 103: case 105: case 106: return 2;
    case 104: case 107: return 1;
    case 108: return 3;
    case 109: return 8;
    case 110: return 5;
    case 111: return 3;
    case 112: return 0;
    case 117: return 11;
    case 118: return 6;
    case 119: return 6;
    case 120: return 9;
    case 121: return 10;
    case 122: return 5;
    case 123: return 6;
    case 124: return 5;
    case 130: return 4;
    case 131: return 5;
    case 132: case 134: return 7;
    case 133: return 9;
    case 135: case 136: case 137: case 138: case 139: case 140: case 141: case 142: case 143:
      return 2;
    case 145: return 3;
    case 146: case 147: case 148: case 152: return 2;
    case 149: case 150: case 151: case 153: return 3;
    case 154: case 156: case 157: return 3;
    case 155: return 2;
    case 176: return 5;
    case 177: return 7;
    case 178: return 3;
    case 179: case 183: return 2;
    case 180: return 6;
    case 181: case 182: return 5;
    default: return -1;
  }
}

// Cycles in one scan line, and the line the counter reads at cycle 0.
constexpr std::uint32_t kCyclesPerLine = 1268;
constexpr std::uint32_t kFirstLine = 220;
constexpr std::uint32_t kLinesPerFrame = 228;

}  // namespace

bool HardwareCommands::handles(std::int32_t command) { return OperandCount(command) >= 0; }

bool HardwareCommands::Execute(std::int32_t command, const std::int32_t* p, int count,
                               std::int32_t* out, int& outCount, ErrorState& err) {
  outCount = 0;
  const int needed = OperandCount(command);
  if (needed < 0 || !machine_) {
    err.SetError(err::kUnknownCommand);
    return false;
  }
  if (count < needed) {
    err.SetError(err::kMissingParameters);
    return false;
  }
  if (command <= 112) return Display(command, p, out, outCount, err);
  if (command <= 124) return TileData(command, p, out, outCount, err);
  if (command <= 143) return TileMaps(command, p, out, outCount, err);
  if (command <= 153) return Palettes(command, p, out, outCount, err);
  if (command <= 157) return Sprites(command, p, out, outCount, err);
  if (command <= 178) {
    // Drawing on the bitmap page that is not shown.
    if (command == 176) {
      machine::drawLine(*machine_, p[0], p[1], p[2], p[3], p[4]);
    } else if (command == 177) {
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
    case 102:  // DisplaySetAttribute [AtributoVisual] value
      if (p[0] < 0 || p[0] > static_cast<int>(DisplayAttribute::EnableSpriteWindow))
        return fail(err::kDisplayAttributeOutOfRange);
      return m.setDisplayAttribute(static_cast<DisplayAttribute>(p[0]), p[1]) || fail(err::kDisplayAttributeOutOfRange);
    case 103:  // DisplaySetMosaic [atributo de mosaico] value
      if (p[0] < 0 || p[0] > 3) return fail(err::kMosaicAttributeOutOfRange);
      return m.setMosaic(static_cast<MosaicAttribute>(p[0]), p[1]) || fail(err::kMosaicAttributeOutOfRange);
    case 104:
      return m.setBlendMode(p[0]) || fail(err::kBlendAttributeOutOfRange);
    case 105:
      return m.setBlendAttribute(p[0], p[1]) || fail(err::kBlendAttributeOutOfRange);
    case 106:
      return m.setAlphaLevels(p[0], p[1]) || fail(err::kBlendAttributeOutOfRange);
    case 107:
      return m.setTintLevel(p[0]) || fail(err::kBlendAttributeOutOfRange);
    case 108:  // DisplaySetBGRotAttribute set [atributo de rotación] value
      if (p[0] < 0 || p[0] > 1) return fail(err::kBadRotationLayer);
      if (p[1] < 0 || p[1] > static_cast<int>(BgRotationAttribute::OffsetY)) return fail(err::kRotationLayerAttributeOutOfRange);
      return m.setBgRotationAttribute(p[0], static_cast<BgRotationAttribute>(p[1]), p[2]) ||
             fail(err::kRotationLayerAttributeOutOfRange);
    case 109:  // DisplayBGRotateAndScale set sx sy mapx mapy screenx screeny angle
      if (p[0] < 0 || p[0] > 1) return fail(err::kBadRotationLayer);
      return m.bgRotateAndScale(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]) || fail(err::kRotationLayerAttributeOutOfRange);
    case 110:  // DisplaySetWindowRegion window left top right bottom
      if (p[0] < 0 || p[0] > 1) return fail(err::kBadWindow);
      return m.setWindowRegion(p[0], p[1], p[2], p[3], p[4]) || fail(err::kWindowAttributeOutOfRange);
    case 111:  // DisplaySetWindowAttribute window [atributo de ventana] value
      if (p[0] < 0 || p[0] > 3) return fail(err::kBadWindow);
      if (p[1] < 0 || p[1] > static_cast<int>(WindowAttribute::WindowBlends)) return fail(err::kWindowAttributeOutOfRange);
      return m.setWindowAttribute(p[0], static_cast<WindowAttribute>(p[1]), p[2]) || fail(err::kWindowAttributeOutOfRange);
    case 112: {  // DisplayGetScanLine V1: from the frame's estimated cycles, unsigned
      const std::uint32_t cycles = timing_ ? static_cast<std::uint32_t>(timing_->FrameTotal()) : 0u;
      out[outCount++] = static_cast<std::int32_t>((cycles / kCyclesPerLine + kFirstLine) % kLinesPerFrame);
      return true;
    }
    default:
      return fail(err::kUnknownCommand);
  }
}

}  // namespace tarvolin::commands
