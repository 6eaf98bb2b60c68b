// Dispatch of the string, path, level and tile-list commands.
#include "commands/world_commands.h"
#include "script/commands.h"

#include "project/project.h"

namespace tarvolin::commands {

using namespace script;

namespace {
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

bool WorldCommands::handles(std::int32_t command) { return GroupOf(command) == CommandGroup::World; }

void WorldCommands::reset() {
  language_ = 0;
  text_ = TextTarget{};
  render_ = RenderTarget{};
  levelLayer_ = 0;
}

bool WorldCommands::Execute(std::int32_t command, const std::int32_t* p, int count,
                            std::int32_t* out, int& outCount, ErrorState& err) {
  outCount = 0;
  const int needed = InputOperandCount(command);
  if (!handles(command)) {
    err.SetError(err::kUnknownCommand);
    return false;
  }
  if (count < needed) {
    err.SetError(err::kMissingParameters);
    return false;
  }
  if (command >= cmd::LevelDrawRect && command <= cmd::LevelSelectLayer) return Levels(command, p, out, outCount, err);
  if (command >= cmd::PathGetPos && command <= cmd::PathGetDelta) return Paths(command, p, out, outCount, err);
  if (command >= cmd::TilelistGroupLoad && command <= cmd::TilelistCopyAttribToArray) return TileLists(command, p, out, outCount, err);
  return Strings(command, p, out, outCount, err);
}

}  // namespace tarvolin::commands
