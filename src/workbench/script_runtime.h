// The interpreter's side of the workbench: the script documents the
// interpreter reads, the interpreter with its current error, the
// preprocessor, the timing engine and the game pad, wired to each other.
#pragma once

#include <memory>
#include <string>

#include "common/host.h"
#include "platform/input.h"
#include "platform/scripted_input.h"
#include "script/input.h"
#include "script/interpreter.h"
#include "script/preprocessor.h"
#include "script/script_document.h"
#include "script/timing.h"

namespace tarvolin::project { class Project; }

namespace tarvolin {

// The game pad and debug input as the interpreter reads them.
class PadInput final : public script::InputSource {
 public:
  script::PadState pad;
  script::KeyMap keyMap = script::DefaultKeyMap();
  platform::KeyStateSource* keys = nullptr;
  platform::EmulatorView* view = nullptr;

  std::int32_t inputValue(int number) override { return script::InputVariableValue(pad, number); }
  bool debugKeyPressed(int virtualKey) override;
  void mousePosition(int& x, int& y) override;
  // Samples the pad once, before a frame's scripts run.
  void Poll();
};

class ScriptRuntime {
 public:
  explicit ScriptRuntime(Host& host);
  ScriptRuntime(const ScriptRuntime&) = delete;
  ScriptRuntime& operator=(const ScriptRuntime&) = delete;

  script::Interpreter& interpreter() { return interp_; }
  script::Preprocessor& preprocessor() { return preprocessor_; }
  script::TimingEngine& timing() { return timing_; }
  PadInput& input() { return input_; }

  // The documents the interpreter reads. By default the runtime's own,
  // loaded from the project's Script folder; the studio's editor installs
  // its documents instead.
  script::ScriptDocuments& documents() { return *docs_; }
  void setDocuments(script::ScriptDocuments* docs);

  // Resets the interpreter and loads the timing database from `databasePath`
  // ("Failed to initialise Tarvolin timing engine" in the notes when that
  // fails).
  void Reset(const std::string& databasePath);

  // Preprocesses the open project's scripts (documents load from its Script
  // folder). Success writes "<< Preproceso exitoso >>" when `report`.
  bool Preprocess(project::Project& project, bool report);

  // The timing database beside the program: ../share/tarvolin/ relative to
  // `exeFolder`, else `dataFolder` (the source tree's data folder when run
  // from the build tree).
  static std::string FindTimingDatabase(const std::string& exeFolder, const std::string& dataFolder);

 private:
  Host& host_;
  std::unique_ptr<script::FolderScriptDocuments> ownDocs_ =
      std::make_unique<script::FolderScriptDocuments>("");
  script::ScriptDocuments* docs_ = ownDocs_.get();
  script::Interpreter interp_;
  script::Preprocessor preprocessor_{interp_};
  script::TimingEngine timing_;
  PadInput input_;
  platform::ScriptedKeySource noKeys_;
  platform::FixedEmulatorView defaultView_;
};

}  // namespace tarvolin
