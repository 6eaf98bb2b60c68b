// The studio's frame figures: showing the emulator's picture at x1, x3 and a
// stretched size, a whole frame of the sample game shown at x3, and the
// start-up to a shown main window with the sample project open. Runs on the
// offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "machine/machine_state.h"
#include "platform/audio_output.h"
#include "shell/emulator_window.h"
#include "shell/game_keys.h"
#include "shell/main_window.h"
#include "shell/studio.h"
#include "shell/studio_host.h"
#include "workbench/emulator_control.h"
#include "workbench/workbench.h"

namespace {

using namespace tarvolin;

struct Picture {
  QuietHost host;
  Workbench bench{host};
  EmulatorControl control{bench};
  shell::GameKeys keys;
  shell::EmulatorWindow window{control, bench.machine(), keys, nullptr};
  Picture() {
    std::vector<std::uint8_t>& p = bench.machine().picture;
    for (std::size_t i = 0; i < p.size(); ++i) p[i] = std::uint8_t(i * 7 + i / 720);
    window.show();
  }
};

void ShowFrame(benchmark::State& state, int width, int height) {
  Picture p;
  if (width)
    p.window.resize(width, height + p.window.statusLineHeight());
  else
    p.window.setScale(static_cast<int>(state.range(0)));
  QApplication::processEvents();
  for (auto _ : state) p.window.showFrame();
  state.counters["width"] = p.window.pictureRect().width();
}

void BM_ShowFrame(benchmark::State& state) { ShowFrame(state, 0, 0); }
BENCHMARK(BM_ShowFrame)->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond);

void BM_ShowFrameStretched(benchmark::State& state) { ShowFrame(state, 500, 300); }
BENCHMARK(BM_ShowFrameStretched)->Unit(benchmark::kMicrosecond);

// The sample game: one frame run, drawn and shown at x3, as the loop does.
void BM_SampleFrameShownAtX3(benchmark::State& state) {
  QTemporaryDir config;
  shell::StudioOptions options;
  options.settingsPath = config.filePath("Settings.txt").toStdString();
  options.dataFolder = TARVOLIN_SOURCE_DATA_DIR;
  options.showStartupWindows = false;
  options.startup = {{'P', std::string(TARVOLIN_EXAMPLES_DIR) + "/demo/demo.tvp"}};
  shell::Studio studio(options, std::make_unique<platform::SilentAudioOutput>());
  studio.start();
  studio.window().emulator()->setScale(3);
  studio.control().Run(true);
  QApplication::processEvents();
  for (auto _ : state) studio.control().Tick();
  studio.control().Stop();
}
BENCHMARK(BM_SampleFrameShownAtX3)->Unit(benchmark::kMicrosecond);

// From nothing to the main window shown with the sample project open.
void BM_StartupWithSampleProject(benchmark::State& state) {
  QTemporaryDir config;
  for (auto _ : state) {
    QElapsedTimer clock;
    clock.start();
    shell::StudioOptions options;
    options.settingsPath = config.filePath("Settings.txt").toStdString();
    options.dataFolder = TARVOLIN_SOURCE_DATA_DIR;
    options.showStartupWindows = false;
    options.startup = {{'P', std::string(TARVOLIN_EXAMPLES_DIR) + "/demo/demo.tvp"}};
    auto studio = std::make_unique<shell::Studio>(options, std::make_unique<platform::SilentAudioOutput>());
    studio->start();
    QApplication::processEvents();
    state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    state.PauseTiming();
    studio.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartupWithSampleProject)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
