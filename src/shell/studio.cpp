#include "shell/studio.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cctype>
#include <cstdio>

#include "help/help_window.h"
#include "platform/paths.h"
#include "project/program_settings.h"
#include "shell/frame_loop.h"
#include "shell/main_window.h"
#include "shell/quit_signals.h"
#include "shell/studio_host.h"
#include "workbench/emulator_control.h"
#include "workbench/workbench.h"

namespace tarvolin::shell {

StudioOptions parseStudioArguments(const QStringList& arguments) {
  StudioOptions options;
  std::vector<std::string> args;
  for (const QString& a : arguments) args.push_back(a.toStdString());
  options.settingsPath = project::programSettingsPath(args);
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--settings" || a == "--quit-after") {
      if (i + 1 < args.size()) {
        if (a == "--quit-after") options.quitAfterMs = std::max(0, std::atoi(args[i + 1].c_str()));
        ++i;
      }
    } else if (a.rfind("--settings=", 0) == 0) {
    } else if (a == "--run") {
      options.runGame = true;
    } else if (a == "--stats") {
      options.printStatistics = true;
    } else if (a == "--guide") {
      options.guideOnly = true;
    } else if (a.size() > 2 && a[0] == '-' && a[1] == '-') {
      // an option of a later version: ignored
    } else {
      rest.push_back(a);
    }
  }
  // "-P" and "-S" with their values, in order; a file manager passes the
  // project file alone.
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const std::string& a = rest[i];
    const char letter = a.size() >= 2 && a[0] == '-' ? static_cast<char>(std::toupper(a[1])) : 0;
    if (letter == 'P' || letter == 'S') {
      std::vector<std::string> one{a};
      if (a.size() == 2 && i + 1 < rest.size()) one.push_back(rest[++i]);
      for (project::StartupArgument& arg : project::parseStartupArguments(one))
        options.startup.push_back(std::move(arg));
    } else if (!a.empty() && a[0] != '-') {
      options.startup.push_back({'P', a});
    }
  }
  return options;
}

QWidget* showGuideOnly() {
  QApplication::setQuitOnLastWindowClosed(true);
  help::HelpWindow* window = help::HelpWindow::showContents(nullptr);
  window->setAttribute(Qt::WA_QuitOnClose, true);
  // A kill or Ctrl-C closes the guide as its close button does.
  new QuitSignals(window, window);
  return window;
}

Studio::Studio(StudioOptions options, std::unique_ptr<platform::AudioOutput> audio,
               std::unique_ptr<platform::GameController> controller)
    : options_(std::move(options)),
      audio_(audio ? std::move(audio) : std::make_unique<platform::NullAudioOutput>()),
      controller_(std::move(controller)),
      host_(std::make_unique<StudioHost>()),
      bench_(std::make_unique<Workbench>(*host_)),
      control_(std::make_unique<EmulatorControl>(*bench_)),
      constructed_(QDateTime::currentMSecsSinceEpoch()) {}

Studio::~Studio() {
  shutdown();
  quitSignals_.reset();
  window_.reset();
}

void Studio::start() {
  Workbench& bench = *bench_;
  // The termination signals are caught from here on; one that comes during
  // start-up closes the window once the program's loop runs (a quit before
  // that loop would do nothing).
  quitSignals_ = std::make_unique<QuitSignals>();
  // The settings, before the main window, with window places checked
  // against the screen.
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  project::loadProgramSettings(options_.settingsPath, bench.programSettings(), area.width(),
                               area.height());
  const std::string start = QDir::currentPath().toStdString();
  bench.project().setStartFolder(start);
  bench.setWorkingFolder(start);

  window_ = std::make_unique<TarvolinMainWindow>(bench, *host_, *control_, std::move(controller_));
  TarvolinMainWindow& window = *window_;
  window.placeFromSettings();
  // Saving a project writes the program settings first.
  project::ProjectHooks hooks = bench.project().hooks();
  hooks.saveProgramSettings = [this] {
    window_->storePlaces();
    return project::saveProgramSettings(options_.settingsPath, bench_->programSettings());
  };
  bench.project().setHooks(std::move(hooks));

  bench.audio().InitAudio(*audio_, host_.get());
  bench.machine().displayReset();
  const std::string exeFolder = QCoreApplication::applicationDirPath().toStdString();
  bench.scripts().Reset(ScriptRuntime::FindTimingDatabase(exeFolder, options_.dataFolder));
  control_->RedrawPicture();

  if (bench.programSettings().windowMainMaximise)
    window.showMaximized();
  else
    window.show();
  project::applyStartupArguments(bench.project(), *host_, options_.startup);
  window.arrangeFromSettings();
  window.refreshState();
  // The main window on top with the focus, over the emulator window that
  // showed with the layout.
  window.raise();
  if (QWindow* handle = window.windowHandle()) handle->requestActivate();
  startupMs_ = QDateTime::currentMSecsSinceEpoch() - constructed_;

  QObject::connect(&window, &TarvolinMainWindow::quitConfirmed, qApp, [] {
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
  });
  // SIGTERM, SIGINT and SIGHUP quit as the Salir command does, questions
  // included; one that came during start-up acts now.
  quitSignals_->watch(&window);
  if (options_.printStatistics)
    QObject::connect(&window.loop(), &FrameLoop::statistics, &window, [](int frames, int ms) {
      std::printf("fps %d cpu %d%%\n", frames, std::min(ms, 1000) / 10);
      std::fflush(stdout);
    });
  // The what's-new and tips windows once the program is up.
  if (options_.showStartupWindows)
    QTimer::singleShot(0, &window, [&window] { window.showStartupWindows(); });
  if (options_.runGame && bench.project().isOpen()) {
    control_->Run(true);
    window.loop().update();
  }
  if (options_.quitAfterMs > 0)
    QTimer::singleShot(options_.quitAfterMs, &window, [&window] { window.close(); });
}

void Studio::shutdown() {
  if (shutDown_ || !window_) return;
  shutDown_ = true;
  control_->Stop();
  window_->storePlaces();
  bench_->audio().ShutdownAudio(host_.get());
  if (!project::saveProgramSettings(options_.settingsPath, bench_->programSettings()))
    std::fprintf(stderr, "TarvolinStudio: no se puede escribir %s\n", options_.settingsPath.c_str());
}

}  // namespace tarvolin::shell
