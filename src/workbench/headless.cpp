#include "workbench/headless.h"

#include "platform/paths.h"
#include "platform/shipped_data.h"

namespace tarvolin {

bool OpenHeadless(Workbench& bench, const std::string& projectPath, const std::string& dataFolder,
                  std::string& error) {
  project::Project& project = bench.project();
  const std::string absolute = project.absolutePath(projectPath);
  if (!platform::fileExists(absolute)) {
    error = "no existe el proyecto " + absolute;
    return false;
  }
  if (!project.open(absolute, false) || !project.isOpen()) {
    error = "no se puede abrir el proyecto " + absolute;
    return false;
  }
  bench.scripts().Reset(ScriptRuntime::FindTimingDatabase(platform::executableFolder(), dataFolder));
  return true;
}

HeadlessOutcome RunHeadlessFrames(Workbench& bench, int frames, const FrameHooks& hooks) {
  GameRunner& game = bench.game();
  game.stopOnError = true;
  Host& host = bench.host();
  game.onStatus = [&host](std::string_view text) { host.outputLine(text); };
  game.Start();
  for (int f = 1; f <= frames; ++f) {
    if (hooks.before) hooks.before(f);
    if (game.RunFrame() == FrameOutcome::Failed) return HeadlessOutcome::Failed;
    if (hooks.after && !hooks.after(f)) return HeadlessOutcome::Stopped;
  }
  return HeadlessOutcome::Ran;
}

}  // namespace tarvolin
