#include "workbench/script_runtime.h"

#include "platform/paths.h"
#include "platform/shipped_data.h"
#include "project/project.h"

namespace tarvolin {

void ScriptRuntime::PadSource::mousePosition(int& x, int& y) {
  std::int32_t px = -1, py = -1;
  pad_.MousePosition(px, py);
  x = px;
  y = py;
}

ScriptRuntime::ScriptRuntime(Host& host) : host_(host), interp_(host) {
  interp_.setDocuments(docs_);
  interp_.setInput(&padSource_);
  interp_.setTiming(&timing_);
}

void ScriptRuntime::setDocuments(script::ScriptDocuments* docs) {
  docs_ = docs ? docs : ownDocs_.get();
  interp_.ForgetScripts();
  interp_.setDocuments(docs_);
}

void ScriptRuntime::Reset(const std::string& databasePath) {
  interp_.ResetInterpreter();
  if (!timing_.LoadTimingDatabase(databasePath, [&](std::string_view line) { host_.outputLine(line); }))
    host_.outputLine(script::kTimingInitFailedMessage);
  interp_.RefreshCosts();
}

bool ScriptRuntime::Preprocess(project::Project& project, bool report) {
  if (docs_ == ownDocs_.get() && ownDocs_->folder() != project.scriptFolderPath()) {
    // Another project: its scripts replace the ones read before.
    ownDocs_ = std::make_unique<script::FolderScriptDocuments>(project.scriptFolderPath());
    setDocuments(nullptr);
  }
  script::PreprocessInput in;
  in.mainScript = project.settings().mainScript;
  in.noMainScript = project.settings().noMainScript;
  for (const project::Macro& m : project.macros().items())
    in.macros.push_back({m.name, m.body, m.parameterCount()});
  for (const project::GlobalSet& s : project.globalSets().sets()) {
    script::GlobalSet set;
    set.name = s.name;
    for (int i = 0; i < script::kGlobalsPerSet; ++i) {
      set.names[static_cast<std::size_t>(i)] = s.variables[static_cast<std::size_t>(i)].name;
      set.shared[static_cast<std::size_t>(i)] = s.variables[static_cast<std::size_t>(i)].shared;
    }
    set.shared[script::kGlobalsPerSet - 1] = true;  // G_TICKS is one for all sets
    in.globalSets.push_back(std::move(set));
  }
  interp_.setWorkingFolder(project.folder());
  interp_.setWritableFolders(project.writableFolders());
  return preprocessor_.Preprocess(in, report);
}

std::string ScriptRuntime::FindTimingDatabase(const std::string& exeFolder,
                                              const std::string& dataFolder) {
  return platform::findShippedData(exeFolder, script::kTimingDatabaseFileName, dataFolder);
}

}  // namespace tarvolin
