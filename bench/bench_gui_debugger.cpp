// What the call-stack window costs: a frame of the sample game with the
// window shown and hidden, one look at the run state while frames run, and
// one look while the game is stopped at a line (made every second by the
// statistics). Runs on the offscreen platform unless QT_QPA_PLATFORM says
// otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "platform/audio_output.h"
#include "shell/call_stack_dock.h"
#include "shell/main_window.h"
#include "shell/studio.h"
#include "workbench/emulator_control.h"

namespace {

using namespace tarvolin;

// The studio with the sample project open and the game running.
struct RunningSample {
  QTemporaryDir config;
  std::unique_ptr<shell::Studio> studio;
  explicit RunningSample(bool dockShown) {
    shell::StudioOptions options;
    options.settingsPath = config.filePath("Settings.txt").toStdString();
    options.dataFolder = TARVOLIN_SOURCE_DATA_DIR;
    options.showStartupWindows = false;
    options.startup = {{'P', std::string(TARVOLIN_EXAMPLES_DIR) + "/demo/demo.tvp"}};
    studio = std::make_unique<shell::Studio>(options, std::make_unique<platform::SilentAudioOutput>());
    studio->start();
    dock().setVisible(dockShown);
    control().Run(true);
    control().Tick();
    QApplication::processEvents();
  }
  ~RunningSample() { control().Stop(); }
  EmulatorControl& control() { return studio->control(); }
  shell::CallStackDock& dock() { return *studio->window().callStackDock(); }
};

// Arg 1: the window shown; 0: hidden.
void BM_SampleFrameWithCallStack(benchmark::State& state) {
  RunningSample s(state.range(0) != 0);
  for (auto _ : state) s.control().Tick();
}
BENCHMARK(BM_SampleFrameWithCallStack)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_CallStackRefreshWhileRunning(benchmark::State& state) {
  RunningSample s(true);
  for (auto _ : state) s.dock().refresh();
}
BENCHMARK(BM_CallStackRefreshWhileRunning);

void BM_CallStackRefreshAtAStop(benchmark::State& state) {
  RunningSample s(true);
  s.control().RequestBreak();
  s.control().Tick();
  if (!s.control().pausedAtBreak()) {
    state.SkipWithError("the sample did not stop");
    return;
  }
  s.dock().refresh();
  for (auto _ : state) s.dock().refresh();
  state.counters["frames"] = static_cast<double>(s.control().StoppedCallStack().size());
}
BENCHMARK(BM_CallStackRefreshAtAStop)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
