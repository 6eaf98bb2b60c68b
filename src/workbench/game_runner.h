// Runs the game a frame at a time as the emulator does: the pad is sampled,
// the main script runs (Initialise on the first frame), then the picture is
// drawn with the per-line and per-frame callbacks. Failures and exhausted
// budgets are reported as the emulator window reports them.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "machine/machine_state.h"
#include "machine/renderer.h"
#include "workbench/script_runtime.h"

namespace tarvolin {

enum class FrameOutcome {
  Ran,       // the frame's runs finished
  Budget,    // a run used up its budget; the next frame continues it
  Paused,    // stopped at a breakpoint or a pause request
  Failed,    // a run failed; the game stopped
};

class GameRunner : private machine::FrameCallbacks {
 public:
  GameRunner(ScriptRuntime& runtime, machine::MachineState& machine, Host& host);

  // The status text for each frame: "<Bucle>" and "<Error>" details.
  std::function<void(std::string_view)> onStatus;
  // Stop the game on errors, pointing at the failing line in the notes.
  bool stopOnError = true;

  // Starts the game: a run left paused or unfinished is ended, and the next
  // frame runs Initialise.
  void Start();
  // Goes on with a game stopped by an error where it was, without running
  // Initialise again; a game never started since construction starts.
  void Continue();
  // One frame. After Failed the game is stopped. `mode` steps the runs of
  // the frame (the debugger's F11, F10, Shift+F11, Ctrl+F10): a paused run
  // goes on by that step, and a paused per-line callback resumes by it. A
  // line step whose run ends before it stops stops at the next line that
  // runs: the first line of a callback of this frame, else the first line
  // of the next frame. A frame run with StepMode::Run drops that pending
  // stop.
  FrameOutcome RunFrame(script::StepMode mode = script::StepMode::Run);
  bool running() const { return started_; }
  // Frames run since Start.
  int frameCount() const { return frames_; }

 private:
  machine::CallbackResult lineDrawn(int line) override;
  machine::CallbackResult frameDrawn() override;
  void ReportFailure();

  ScriptRuntime& runtime_;
  machine::MachineState& machine_;
  Host& host_;
  bool started_ = false;
  bool everStarted_ = false;
  bool firstFrame_ = false;
  bool budgetHit_ = false;
  bool failed_ = false;
  script::StepMode mode_ = script::StepMode::Run;  // of the frame being run
  bool stepCarry_ = false;  // a line step asked the interpreter to stop at the next line
  // After the stepped run ended without stopping: stop at the next line.
  void CarryStep();
  int frames_ = 0;
};

}  // namespace tarvolin
