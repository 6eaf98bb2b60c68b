// The studio as a whole: start-up in its order (settings, main window,
// audio, display reset, timing engine, emulator window, command line),
// and shutdown (audio closed, settings written). Several studios may run at
// once; each writes "Settings.txt" when it quits, so the last to quit is
// the one whose settings stay.
#pragma once

#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio_output.h"
#include "platform/game_controller.h"
#include "project/startup_arguments.h"

class QWidget;

namespace tarvolin {
class EmulatorControl;
class Workbench;
}

namespace tarvolin::shell {

class QuitSignals;
class StudioHost;
class TarvolinMainWindow;

struct StudioOptions {
  std::string settingsPath;  // "Settings.txt" to read and write
  // -P / -S in order; a plain file name counts as -P.
  std::vector<project::StartupArgument> startup;
  std::string dataFolder;  // shipped data when not installed (the source tree's data/)
  bool runGame = false;     // --run: start the game once the project is open
  int quitAfterMs = 0;      // --quit-after MS: close the program after that time
  bool printStatistics = false;  // --stats: fps and cpu share on stdout once a second
  bool showStartupWindows = true;  // what's new and tips, as the settings say
  bool guideOnly = false;  // --guide: the user guide alone (see showGuideOnly)
};

// Reads the program's arguments (without the program name): -P"file",
// -S"file", a plain project file name, --settings FILE, --run,
// --quit-after MS, --stats, --guide. Unknown options are ignored.
StudioOptions parseStudioArguments(const QStringList& arguments);

// --guide (the desktop's "Guía de Usuario"): the help window alone at its
// contents, with no project, no emulator and no settings read or written.
// The program ends when the window closes, also on SIGTERM, SIGINT, SIGHUP.
QWidget* showGuideOnly();

class Studio {
 public:
  // `audio` and `controller` default to none (tests); the program gives
  // the SDL ones.
  explicit Studio(StudioOptions options, std::unique_ptr<platform::AudioOutput> audio = nullptr,
                  std::unique_ptr<platform::GameController> controller = nullptr);
  ~Studio();
  Studio(const Studio&) = delete;
  Studio& operator=(const Studio&) = delete;

  // Start-up; the main window is shown at its end. From then on SIGTERM,
  // SIGINT and SIGHUP close the main window through its save questions.
  void start();
  // Closes the audio output and writes the settings (once).
  void shutdown();

  Workbench& bench() { return *bench_; }
  StudioHost& host() { return *host_; }
  EmulatorControl& control() { return *control_; }
  TarvolinMainWindow& window() { return *window_; }
  // The termination-signal watcher; null before start().
  QuitSignals* quitSignals() const { return quitSignals_.get(); }
  const StudioOptions& options() const { return options_; }
  // Milliseconds from construction to the main window shown.
  qint64 startupMilliseconds() const { return startupMs_; }

 private:
  StudioOptions options_;
  std::unique_ptr<platform::AudioOutput> audio_;
  std::unique_ptr<platform::GameController> controller_;
  std::unique_ptr<StudioHost> host_;
  std::unique_ptr<Workbench> bench_;
  std::unique_ptr<EmulatorControl> control_;
  std::unique_ptr<TarvolinMainWindow> window_;
  std::unique_ptr<QuitSignals> quitSignals_;  // closes window_ on a termination signal
  qint64 startupMs_ = 0;
  qint64 constructed_ = 0;
  bool shutDown_ = false;
};

}  // namespace tarvolin::shell
