// The emulator's run state and the debugger's commands: run, pause, step,
// the line steps, preprocess, reset, break, stack trace, save games and
// screenshots, and what one frame tick does to the state, its status texts
// and the audio. The studio's windows call these and show what they report;
// nothing here knows about windows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script/interpreter.h"
#include "workbench/game_runner.h"

namespace tarvolin {

class Workbench;

// The emulator's status texts.
enum class EmulatorStatus { None, Idle, Running, Break, Loop, Error };
std::string_view StatusText(EmulatorStatus status);

// The caption of the emulator window and the start of its title.
inline constexpr std::string_view kEmulatorCaption = "[Emulador]";
// Size of a save game: the whole SRAM.
inline constexpr std::size_t kSaveGameSize = 0x10000;
// Cycles of the frame estimate that make one per cent of a GBA frame.
inline constexpr int kCyclesPerProfilePercent = 2796;
// Repaints for which the highest profile is held.
inline constexpr int kPeakHold = 300;

// What the windows do when the run state tells them something.
class EmulatorListener {
 public:
  virtual ~EmulatorListener() = default;
  // Status, detail, title or the run state changed.
  virtual void emulatorStateChanged() {}
  // The picture was drawn anew.
  virtual void pictureChanged() {}
  // The game stopped at a line (breakpoint, pause request, step): show it.
  // `document` is the index of the script document, `line` 1-based.
  virtual void showExecutionLine(int /*document*/, int /*line*/) {}
  // The game left that line.
  virtual void clearExecutionLine() {}
  // An error stopped the game at a line of a document (1-based line); the
  // notes already hold "ERROR: <text>" and "ext:<detail>".
  virtual void errorStopped(int /*document*/, int /*line*/, const std::string& /*text*/,
                            const std::string& /*detail*/) {}
  // A game was started: bring the emulator window to the front.
  virtual void activateEmulator() {}
  // The project's scripts were preprocessed (`ok`: without errors).
  virtual void preprocessed(bool /*ok*/) {}
};

class EmulatorControl {
 public:
  explicit EmulatorControl(Workbench& bench);
  EmulatorControl(const EmulatorControl&) = delete;
  EmulatorControl& operator=(const EmulatorControl&) = delete;

  void setListener(EmulatorListener* listener) { listener_ = listener ? listener : &none_; }

  // The run commands need an open project.
  bool HasProject() const;

  // --- run commands (those that run the game do nothing without a project) ---
  // F5 (`preprocess`) and Ctrl-F5: continue from a breakpoint, else stop a
  // running game, else start it (preprocessing first when asked).
  void Run(bool preprocess);
  // Ctrl-Space: at a breakpoint stop completely; else toggle running
  // without restarting.
  void TogglePause();
  // Ctrl-O: at a breakpoint release it; else run exactly one frame.
  void Step();
  // F11, F10, Shift+F11: one line, one line over calls, to the return of
  // the current function. While the game runs freely they break at the
  // next line.
  void StepLine(script::StepMode mode);
  // Ctrl+F10: runs until the given script (document index) and 0-based line.
  void RunToLine(int script, int line);
  // "Reiniciar Emulador": full reset of the machine, picture redrawn.
  void ResetMachine();
  // Ctrl-P: preprocesses the project; "<< Preproceso exitoso >>" when `report`.
  bool Preprocess(bool report = true);
  // F8.
  void SetStopOnError(bool on);
  bool stopOnError() const;
  // "Inte&rrumpir", "Ras&trear Pila".
  void RequestBreak();
  void RequestStackTrace();
  // Stops the game (project closed or about to close).
  void Stop();

  // --- the debugger's view of the stack (frame_variables.cpp) ---
  // The frames of the run in progress, bottom first, while the game is not
  // running freely (stopped at a line, released by Ctrl-O, out of budget
  // in a frame step), or of the run an error stopped, at the failing line;
  // empty while frames run or with no run in progress.
  std::vector<script::StackFrameView> StoppedCallStack() const;
  // Writes the value typed in `text` (see ParseVariableValue) into variable
  // `slot` of the frame at `depth`. Only while the run is stopped at a
  // line or out of budget; false with a Spanish reason, changing nothing,
  // for bad text, a value outside 32 bits, a running game or a frame that
  // is gone.
  bool SetFrameVariable(int depth, int slot, std::string_view text, std::string* why);
  // Whether SetFrameVariable may write now.
  bool CanSetFrameVariables() const;

  // Save games: the 64 KB SRAM as raw bytes. Failures show their message
  // and leave the file (saving) or SRAM (loading) as it was.
  bool SaveGame(const std::string& path);
  bool LoadGame(const std::string& path);
  // Saves the picture as the next free "dump00001.png" in the project's
  // folder (the working folder without a project). The path goes to the
  // notes; false with an error line when it cannot be written.
  bool TakeScreenshot(std::string* written = nullptr);

  // --- the frame loop ---
  // One frame while the game runs (the frame timer expired).
  void Tick();
  // Redraws the picture without running the game (after a change while
  // stopped); does nothing while a frame is unfinished.
  void RedrawPicture();
  // Whether the frame timer should run frames.
  bool wantsFrames() const;
  // The game runs (it may be stopped at a breakpoint).
  bool running() const { return running_; }
  bool pausedAtBreak() const;
  // Statistics of the last second, from the frame loop.
  void PublishStatistics(int frames, int milliseconds);

  // --- what the windows show ---
  EmulatorStatus status() const { return status_; }
  std::string_view statusText() const { return StatusText(status_); }
  // The detail message of the status ("<Interrupción>, línea 3" ...).
  const std::string& detail() const { return detail_; }
  // Share of a GBA frame the last frame's commands took, and the highest
  // share lately; for the status line.
  int profile() const { return profile_; }
  int peak() const { return peak_; }
  int framesPerSecond() const { return fps_; }
  int cpuShare() const { return cpu_; }
  // "[Emulador] <Corriendo> [60 fps, 012 cpu]" while running, else the
  // caption and the status.
  std::string Title() const;

 private:
  void SetStatus(EmulatorStatus status, std::string detail);
  // Runs one frame and sets the state from its outcome; `stepping` gives
  // the single-frame texts.
  FrameOutcome RunOneFrame(script::StepMode mode, bool stepping);
  void ShowPausedLine();
  void UpdateProfile();
  void SilenceGame();
  bool EnsureStarted();

  Workbench& bench_;
  EmulatorListener none_;
  EmulatorListener* listener_ = &none_;
  bool running_ = false;
  script::StepMode mode_ = script::StepMode::Run;  // mode of the frames the loop runs
  EmulatorStatus status_ = EmulatorStatus::Idle;
  std::string detail_;
  std::string runnerStatus_;  // the last status detail the runner told
  int profile_ = 0;
  int peak_ = 0;
  int peakCountdown_ = 0;
  int fps_ = 0;
  int cpu_ = 0;
};

}  // namespace tarvolin
