// Dispatch of the string, path, level and tile-list commands.
#include "commands/world_commands.h"

#include "project/project.h"

namespace tarvolin::commands {

using namespace script;

namespace {
// Operands each command takes (values and asset indices, not results).
int OperandCount(std::int32_t command) {
  switch (command) {
    case 90: return 9;
    case 91: return 3;
    case 92: return 7;
    case 93: return 4;
    case 94: return 5;
    case 95: case 96: return 1;
    case 97: return 1;
    case 113: return 2;
    case 114: return 1;
    case 115: return 3;
    case 125: return 4;
    case 126: return 5;
    case 127: return 5;
    case 128: return 7;
    case 158: return 3;
    case 159: return 4;
    case 160: return 3;
    case 161: return 5;
    case 162: return 3;
    case 163: return 4;
    case 164: return 2;
    case 165: return 1;
    case 166: return 2;
    case 167: return 0;
    case 168: return 1;
    case 169: return 8;
    case 170: return 0;
    default: return -1;
  }
}
}  // namespace

int WorldCommands::FindAsset(AssetKind kind, std::string_view name) const {
  if (!project_) return -1;
  switch (kind) {
    case AssetKind::String: return project_->strings().find(name);
    case AssetKind::FontMap: return project_->fontMaps().find(name);
    case AssetKind::Path: return project_->paths().find(name);
    case AssetKind::Level: return project_->levels().find(name);
    case AssetKind::TileList: return project_->tileLists().find(name);
    case AssetKind::Resource: return project_->resources().find(name);
    default: return -1;
  }
}

bool WorldCommands::handles(std::int32_t command) { return OperandCount(command) >= 0; }

void WorldCommands::reset() {
  language_ = 0;
  text_ = TextTarget{};
  render_ = RenderTarget{};
  levelLayer_ = 0;
}

bool WorldCommands::Execute(std::int32_t command, const std::int32_t* p, int count,
                            std::int32_t* out, int& outCount, ErrorState& err) {
  outCount = 0;
  const int needed = OperandCount(command);
  if (needed < 0) {
    err.SetError(err::kUnknownCommand);
    return false;
  }
  if (count < needed) {
    err.SetError(err::kMissingParameters);
    return false;
  }
  if (command >= 90 && command <= 97) return Levels(command, p, out, outCount, err);
  if (command >= 113 && command <= 115) return Paths(command, p, out, outCount, err);
  if (command >= 125 && command <= 128) return TileLists(command, p, out, outCount, err);
  return Strings(command, p, out, outCount, err);
}

}  // namespace tarvolin::commands
