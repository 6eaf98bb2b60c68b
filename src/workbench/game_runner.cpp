#include "workbench/game_runner.h"

#include <cstdio>

namespace tarvolin {

GameRunner::GameRunner(ScriptRuntime& runtime, machine::MachineState& machine, Host& host)
    : runtime_(runtime), machine_(machine), host_(host) {}

void GameRunner::Start() {
  runtime_.interpreter().EndRun();
  if (stepCarry_) {
    // A new game does not stop where a step of the last one meant to.
    runtime_.interpreter().CancelPauseRequest();
    stepCarry_ = false;
  }
  machine_.frameUnfinished = false;
  started_ = everStarted_ = true;
  firstFrame_ = true;
  frames_ = 0;
}

void GameRunner::Continue() {
  if (!everStarted_) {
    Start();
    return;
  }
  started_ = true;
}

void GameRunner::ReportFailure() {
  script::Interpreter& interp = runtime_.interpreter();
  const ErrorState& err = interp.errors();
  const int line = interp.currentLine();
  if (onStatus) onStatus(err.StatusText(interp.failurePlace(), line + 1));
  if (stopOnError || err.GetError() == err::kAssertionFailed) {
    const std::string message = "ERROR: <" + std::string(err.ErrorText()) + ">";
    const int script = interp.currentScript();
    script::ScriptDocuments* docs = interp.documents();
    if (docs && script >= 0 && script < docs->count())
      host_.outputLineAt(message, docs->at(script).name(), line + 1);
    else
      host_.outputLine(message);
    std::string detail;
    if (err.ErrorDetail(detail)) host_.outputLine("ext:" + detail);
    started_ = false;
  }
}

namespace {
bool IsLineStep(script::StepMode mode) {
  return mode == script::StepMode::StepInto || mode == script::StepMode::StepOver ||
         mode == script::StepMode::RunToReturn;
}
}  // namespace

void GameRunner::CarryStep() {
  script::Interpreter& interp = runtime_.interpreter();
  if (!IsLineStep(mode_) || interp.running() || interp.pauseRequested()) return;
  interp.RequestPause();
  stepCarry_ = true;
}

FrameOutcome GameRunner::RunFrame(script::StepMode mode) {
  if (!started_) return FrameOutcome::Failed;
  ++frames_;
  runtime_.input().Poll();
  script::Interpreter& interp = runtime_.interpreter();
  budgetHit_ = failed_ = false;
  mode_ = mode;
  if (stepCarry_) {
    // The stop a line step left for the next line is the user's to drop.
    if (mode == script::StepMode::Run && interp.pauseRequested()) interp.CancelPauseRequest();
    stepCarry_ = false;
  }
  const bool first = firstFrame_;
  firstFrame_ = false;
  if (!interp.RunMainFrame(first, mode)) {
    ReportFailure();
    return FrameOutcome::Failed;
  }
  if (interp.paused()) return FrameOutcome::Paused;
  CarryStep();
  if (interp.running() && interp.outOfBudget()) budgetHit_ = true;
  if (budgetHit_ && onStatus) {
    char text[160];
    std::snprintf(text, sizeof text, "<Ciclo de Ejecución : Bucle infinito probablemente cerca de la línea %u>",
                  static_cast<unsigned>(interp.currentLine() + 1));
    onStatus(text);
  }
  const bool resume = machine_.frameUnfinished;
  if (!machine::renderFrame(machine_, this, resume) || failed_) {
    ReportFailure();
    return FrameOutcome::Failed;
  }
  if (interp.paused()) return FrameOutcome::Paused;
  CarryStep();
  return budgetHit_ ? FrameOutcome::Budget : FrameOutcome::Ran;
}

machine::CallbackResult GameRunner::lineDrawn(int line) {
  script::Interpreter& interp = runtime_.interpreter();
  const bool resumed = interp.running() && interp.inHBlank();
  if (!interp.RunHBlankCallback(line, mode_)) {
    failed_ = true;
    return machine::CallbackResult::Failed;
  }
  if (resumed) CarryStep();
  return interp.paused() && interp.inHBlank() ? machine::CallbackResult::Paused
                                              : machine::CallbackResult::Continue;
}

machine::CallbackResult GameRunner::frameDrawn() {
  script::Interpreter& interp = runtime_.interpreter();
  const bool resumed = interp.running() && interp.inVBlank();
  if (!interp.RunVBlankCallback(mode_)) {
    failed_ = true;
    return machine::CallbackResult::Failed;
  }
  if (resumed) CarryStep();
  if (interp.running() && interp.inVBlank() && interp.outOfBudget() && !budgetHit_) {
    budgetHit_ = true;
    if (onStatus) {
      char text[160];
      std::snprintf(text, sizeof text,
                    "<Ciclo de Ejecución : Bucle infinito probablemente cerca de la línea %u>",
                    static_cast<unsigned>(interp.currentLine() + 1));
      onStatus(text);
    }
  }
  return machine::CallbackResult::Continue;
}

}  // namespace tarvolin
