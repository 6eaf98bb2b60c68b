#include "workbench/emulator_control.h"

#include <cstdio>
#include <fstream>

#include "machine/renderer.h"
#include "machine/screenshot.h"
#include "platform/files.h"
#include "workbench/workbench.h"

namespace tarvolin {
namespace {

constexpr std::string_view kCaption = "Tarvolin";

std::string Printf(const char* format, int value) {
  char text[200];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

std::string_view StatusText(EmulatorStatus status) {
  switch (status) {
    case EmulatorStatus::None: return "";
    case EmulatorStatus::Idle: return "<Inactivo>";
    case EmulatorStatus::Running: return "<Corriendo>";
    case EmulatorStatus::Break: return "<Interrupción>";
    case EmulatorStatus::Loop: return "<Bucle>";
    case EmulatorStatus::Error: return "<Error>";
  }
  return "";
}

EmulatorControl::EmulatorControl(Workbench& bench) : bench_(bench) {
  bench_.game().onStatus = [this](std::string_view text) { runnerStatus_.assign(text); };
}

bool EmulatorControl::HasProject() const { return bench_.project().isOpen(); }

bool EmulatorControl::pausedAtBreak() const {
  return bench_.scripts().interpreter().paused();
}

bool EmulatorControl::wantsFrames() const { return running_ && !pausedAtBreak(); }

bool EmulatorControl::stopOnError() const { return bench_.game().stopOnError; }

void EmulatorControl::SetStopOnError(bool on) {
  bench_.game().stopOnError = on;
  listener_->emulatorStateChanged();
}

void EmulatorControl::SetStatus(EmulatorStatus status, std::string detail) {
  status_ = status;
  detail_ = std::move(detail);
  listener_->emulatorStateChanged();
}

void EmulatorControl::SilenceGame() {
  sound::AudioEngine& audio = bench_.audio();
  const bool gameMixer =
      audio.WithMixer([&](sound::Mixer& m) { return &m == &audio.gameMixer(); });
  if (!gameMixer) return;  // a tool has the output
  audio.StopMusic();
  audio.StopSound(-1);
}

bool EmulatorControl::Preprocess(bool report) {
  project::Project& project = bench_.project();
  if (!project.isOpen()) return false;
  const bool ok = bench_.scripts().Preprocess(project, report);
  listener_->preprocessed(ok);
  return ok;
}

bool EmulatorControl::EnsureStarted() {
  if (bench_.game().running()) return true;
  if (!Preprocess()) return false;
  bench_.game().Start();
  return true;
}

void EmulatorControl::Run(bool preprocess) {
  if (!HasProject()) return;
  script::Interpreter& interp = bench_.scripts().interpreter();
  if (running_ && interp.paused()) {
    interp.Resume();
    mode_ = script::StepMode::Run;
    listener_->clearExecutionLine();
    SetStatus(EmulatorStatus::Running, "");
    listener_->pictureChanged();
    listener_->activateEmulator();
    return;
  }
  if (running_) {
    Stop();
    return;
  }
  if (preprocess && !Preprocess()) return;
  bench_.game().Start();
  running_ = true;
  mode_ = script::StepMode::Run;
  listener_->clearExecutionLine();
  SetStatus(EmulatorStatus::Running, "");
  listener_->activateEmulator();
}

void EmulatorControl::Stop() {
  const bool wasRunning = running_;
  running_ = false;
  mode_ = script::StepMode::Run;
  if (wasRunning || status_ != EmulatorStatus::Idle) SetStatus(EmulatorStatus::Idle, "");
  SilenceGame();
}

void EmulatorControl::TogglePause() {
  if (!HasProject()) return;
  script::Interpreter& interp = bench_.scripts().interpreter();
  if (interp.paused()) {
    // Stop completely; the run stays where it was for the next toggle.
    interp.Resume();
    listener_->clearExecutionLine();
    Stop();
    return;
  }
  if (running_) {
    Stop();
    return;
  }
  bench_.game().Continue();
  running_ = true;
  mode_ = script::StepMode::Run;
  SetStatus(EmulatorStatus::Running, "");
}

void EmulatorControl::Step() {
  if (!HasProject()) return;
  script::Interpreter& interp = bench_.scripts().interpreter();
  if (interp.paused() && bench_.game().running()) {
    interp.Resume();
    listener_->clearExecutionLine();
    listener_->pictureChanged();
    return;
  }
  running_ = false;
  mode_ = script::StepMode::Run;
  bench_.game().Continue();
  RunOneFrame(script::StepMode::Run, true);
}

void EmulatorControl::StepLine(script::StepMode mode) {
  if (!HasProject()) return;
  script::Interpreter& interp = bench_.scripts().interpreter();
  if (running_ && !interp.paused()) {
    interp.RequestPause();
    return;
  }
  if (!EnsureStarted()) return;
  interp.Resume();
  running_ = false;
  mode_ = script::StepMode::Run;
  listener_->clearExecutionLine();
  // A new run stops before its first line; a paused one steps from there.
  if (!interp.running()) interp.RequestPause();
  RunOneFrame(mode, false);
}

void EmulatorControl::RunToLine(int script, int line) {
  if (!HasProject() || script < 0 || line < 0) return;
  if (!EnsureStarted()) return;
  script::Interpreter& interp = bench_.scripts().interpreter();
  interp.SetRunToCursor(script, line);
  interp.Resume();
  mode_ = script::StepMode::RunToCursor;
  running_ = true;
  listener_->clearExecutionLine();
  SetStatus(EmulatorStatus::Running, "");
}

void EmulatorControl::ShowPausedLine() {
  script::Interpreter& interp = bench_.scripts().interpreter();
  const int line = interp.currentLine() + 1;
  listener_->showExecutionLine(interp.currentScript(), line);
  SetStatus(EmulatorStatus::Break, Printf("<Interrupción>, línea %d", line));
}

void EmulatorControl::UpdateProfile() {
  profile_ = bench_.scripts().timing().FrameTotal() / kCyclesPerProfilePercent;
  if (profile_ > peak_) {
    peak_ = profile_;
    peakCountdown_ = kPeakHold;
  } else if (peakCountdown_ > 0 && --peakCountdown_ == 0) {
    peak_ = 0;
  }
}

FrameOutcome EmulatorControl::RunOneFrame(script::StepMode mode, bool stepping) {
  script::Interpreter& interp = bench_.scripts().interpreter();
  sound::AudioEngine& audio = bench_.audio();
  if (audio.IsAudioPaused()) audio.ResumeAudio();
  runnerStatus_.clear();
  const FrameOutcome outcome = bench_.game().RunFrame(mode);
  UpdateProfile();
  switch (outcome) {
    case FrameOutcome::Paused:
      audio.PauseAudio();
      mode_ = script::StepMode::Run;
      ShowPausedLine();
      break;
    case FrameOutcome::Budget:
      audio.PauseAudio();
      SetStatus(EmulatorStatus::Loop,
                stepping ? Printf("<Ejecución simple: Bucle infinito probablemente cerca de la "
                                  "línea %u>",
                                  interp.currentLine() + 1)
                         : runnerStatus_);
      break;
    case FrameOutcome::Ran:
      if (stepping) {
        SetStatus(EmulatorStatus::Idle, "");
        bench_.host().outputLine(Printf("Ejecución simple, tick : %d", interp.ticks() - 1));
      } else if (running_) {
        SetStatus(EmulatorStatus::Running, "");
      } else {
        SetStatus(EmulatorStatus::Idle, "");
      }
      break;
    case FrameOutcome::Failed: {
      audio.PauseAudio();
      SetStatus(EmulatorStatus::Error, runnerStatus_);
      if (!bench_.game().running()) {
        // Stopped on the error: the runner wrote the notes.
        running_ = false;
        mode_ = script::StepMode::Run;
        const ErrorState& err = interp.errors();
        std::string detail;
        err.ErrorDetail(detail);
        listener_->errorStopped(interp.currentScript(), interp.currentLine() + 1,
                                std::string(err.ErrorText()), detail);
      }
      break;
    }
  }
  listener_->pictureChanged();
  return outcome;
}

void EmulatorControl::Tick() {
  if (!HasProject()) {
    SilenceGame();
    if (status_ != EmulatorStatus::None) SetStatus(EmulatorStatus::None, "");
    return;
  }
  if (!running_) return;
  if (pausedAtBreak()) {
    bench_.audio().PauseAudio();
    return;
  }
  RunOneFrame(mode_, false);
}

void EmulatorControl::RedrawPicture() {
  machine::MachineState& machine = bench_.machine();
  if (machine.frameUnfinished || pausedAtBreak()) return;
  machine::renderFrame(machine, nullptr);
  listener_->pictureChanged();
}

void EmulatorControl::ResetMachine() {
  bench_.machine().fullReset();
  RedrawPicture();
}

void EmulatorControl::RequestBreak() { bench_.scripts().interpreter().RequestPause(); }

void EmulatorControl::RequestStackTrace() { bench_.scripts().interpreter().RequestStackTrace(); }

bool EmulatorControl::SaveGame(const std::string& path) {
  if (!HasProject()) return false;
  const std::string_view bytes(reinterpret_cast<const char*>(bench_.machine().sram()),
                               kSaveGameSize);
  // Written beside the file first, so a failed save never spoils an older one.
  if (path.empty() || !platform::safeWrite(path, bytes)) {
    bench_.host().messageBox(kCaption, "Fallo al guardar el juego", MessageButtons::Ok,
                             MessageAnswer::Ok);
    return false;
  }
  return true;
}

bool EmulatorControl::LoadGame(const std::string& path) {
  if (!HasProject()) return false;
  std::string bytes(kSaveGameSize, '\0');
  std::ifstream in(path, std::ios::binary);
  if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
    bench_.host().messageBox(kCaption, "Fallo al leer la partida guardada", MessageButtons::Ok,
                             MessageAnswer::Ok);
    return false;
  }
  std::copy(bytes.begin(), bytes.end(), bench_.machine().sram());
  bench_.machine().notify(machine::ChangeKind::Memory);
  return true;
}

bool EmulatorControl::TakeScreenshot(std::string* written) {
  project::Project& project = bench_.project();
  std::string folder = project.isOpen() ? project.folder() : bench_.workingFolder();
  if (folder.empty()) folder = ".";
  std::string path;
  if (!machine::saveNextScreenshot(bench_.machine(), folder, &path)) {
    bench_.host().outputLine("ERROR: No se puede guardar la foto en <" + folder + ">");
    return false;
  }
  bench_.host().outputLine("Foto guardada <" + path + ">");
  if (written) *written = path;
  return true;
}

void EmulatorControl::PublishStatistics(int frames, int milliseconds) {
  fps_ = frames;
  cpu_ = (milliseconds > 1000 ? 1000 : milliseconds) / 10;
  listener_->emulatorStateChanged();
}

std::string EmulatorControl::Title() const {
  std::string title(kEmulatorCaption);
  if (running_) {
    char stats[64];
    std::snprintf(stats, sizeof stats, " [%d fps, %03d cpu]", fps_, cpu_);
    return title + " " + std::string(statusText()) + stats;
  }
  if (status_ != EmulatorStatus::None) title += " " + std::string(statusText());
  return title;
}

}  // namespace tarvolin
