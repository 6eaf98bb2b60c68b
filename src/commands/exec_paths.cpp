// The path commands: positions along a path at a frame, and its duration.
#include "project/project.h"
#include "script/operand_parse.h"
#include "commands/world_commands.h"
#include "script/commands.h"

namespace tarvolin::commands {

using namespace script;

bool WorldCommands::Paths(std::int32_t command, const std::int32_t* p, std::int32_t* out,
                          int& outCount, ErrorState& err) {
  const project::MotionPath* path =
      project_ && p[0] >= 0 ? project_->paths().get(std::size_t(p[0])) : nullptr;
  if (!path) {
    err.SetError(AssetErrorCodes(AssetKind::Path).outOfRange);
    return false;
  }
  switch (command) {
    case cmd::PathGetPos: {  // PathGetPos path frame V1 V2
      const project::PathPosition at = path->positionAt(p[1]);
      out[outCount++] = at.x;
      out[outCount++] = at.y;
      return true;
    }
    case cmd::PathGetLength: {  // PathGetLength path V1
      const std::int64_t d = path->duration();
      out[outCount++] = d > INT32_MAX ? INT32_MAX : std::int32_t(d);
      return true;
    }
    case cmd::PathGetDelta: {  // PathGetDelta path from to V1 V2
      const project::PathPosition a = path->positionAt(p[1]);
      const project::PathPosition b = path->positionAt(p[2]);
      out[outCount++] = std::int32_t(std::uint32_t(b.x) - std::uint32_t(a.x));
      out[outCount++] = std::int32_t(std::uint32_t(b.y) - std::uint32_t(a.y));
      return true;
    }
  }
  err.SetError(err::kUnknownCommand);
  return false;
}

}  // namespace tarvolin::commands
