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

class ScriptRuntime {
 public:
  explicit ScriptRuntime(Host& host);
  ScriptRuntime(const ScriptRuntime&) = delete;
  ScriptRuntime& operator=(const ScriptRuntime&) = delete;

  script::Interpreter& interpreter() { return interp_; }
  script::Preprocessor& preprocessor() { return preprocessor_; }
  script::TimingEngine& timing() { return timing_; }
  // The game pad the interpreter reads; it starts on keys that are never
  // down and an active window, until Attach gives it real seams.
  script::GamePad& input() { return pad_; }

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

  // The timing database shipped with the program (platform::findShippedData):
  // beside it, in ../share/tarvolin/ relative to `exeFolder`, else in
  // `dataFolder` (the source tree's data folder when run from the build tree).
  static std::string FindTimingDatabase(const std::string& exeFolder, const std::string& dataFolder);

 private:
  Host& host_;
  std::unique_ptr<script::FolderScriptDocuments> ownDocs_ =
      std::make_unique<script::FolderScriptDocuments>("");
  script::ScriptDocuments* docs_ = ownDocs_.get();
  script::Interpreter interp_;
  script::Preprocessor preprocessor_{interp_};
  script::TimingEngine timing_;
  platform::ScriptedKeySource noKeys_;
  platform::FixedEmulatorView defaultView_;
  script::GamePad pad_{noKeys_, defaultView_};
  // The pad as the interpreter's input source.
  class PadSource final : public script::InputSource {
   public:
    explicit PadSource(script::GamePad& pad) : pad_(pad) {}
    std::int32_t inputValue(int number) override { return pad_.InputValue(number); }
    bool debugKeyPressed(int virtualKey) override { return pad_.DebugKeyPressed(virtualKey); }
    void mousePosition(int& x, int& y) override;

   private:
    script::GamePad& pad_;
  };
  PadSource padSource_{pad_};
};

}  // namespace tarvolin
