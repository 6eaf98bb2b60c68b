// What the studio's window tests share: a whole studio on the offscreen
// platform with its settings file in a temporary folder, message boxes and
// file questions answered from queues, and a small game project on disk.
#pragma once

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTest>
#include <QWindow>
#include <deque>
#include <memory>
#include <string>

#include "common/temp_dir.h"
#include "editor/editor_area.h"
#include "editor/script_editor.h"
#include "platform/audio_output.h"
#include "shell/emulator_window.h"
#include "shell/frame_loop.h"
#include "shell/main_window.h"
#include "shell/notes_pane.h"
#include "shell/studio.h"
#include "shell/studio_host.h"
#include "workbench/emulator_control.h"
#include "workbench/workbench.h"

namespace tarvolin::test {

// How long a window test waits for a condition before it fails: long, as a
// loaded machine or a sanitizer build may be slow; a condition that comes
// true ends the wait at once.
constexpr int kPatienceMs = 30000;
template <class Condition>
bool waitFor(Condition condition) {
  return QTest::qWaitFor(condition, kPatienceMs);
}

// Initialise counts its runs in G_VAR00, every main run in G_VAR01;
// G_VAR03 = 1 calls a function of another script that fails on its line 3.
inline const char* kGameMain =
    "ExternFunction \"other\" Boom\n"  // 1
    "G_VAR01 += 1\n"                   // 2
    "If G_VAR03 == 1\n"                // 3
    "  Call Boom\n"                    // 4
    "End\n"                            // 5
    "If G_VAR04 == 1\n"                // 6
    "  While 1 == 1\n"                 // 7
    "  End\n"                          // 8
    "End\n"                            // 9
    "Return\n"                         // 10
    "Function Initialise 0\n"          // 11
    "  G_VAR00 += 1\n"                 // 12
    "Return\n";                        // 13
inline const char* kGameOther =
    "Function Boom 0\n"
    "  V_LV0 = 1\n"
    "  V_LV1 = V_QQ\n"
    "Return\n";

class StudioRig {
 public:
  StudioRig() { dir.write("config/.keep", ""); }
  ~StudioRig() { finish(); }

  std::string settingsPath() const { return dir.file("config/Settings.txt"); }
  // A project "game" with the two scripts above; the path of game.tvp.
  std::string writeGame() {
    dir.write("game/Script/main.txt", kGameMain);
    dir.write("game/Script/other.txt", kGameOther);
    return dir.write("game.tvp", "");
  }

  // Starts a studio with these arguments (the settings file added).
  shell::Studio& start(QStringList arguments = {}) {
    // The studio starts in the test's folder: what it writes there without
    // a project (screenshots) goes away with it.
    if (previousFolder.isEmpty()) previousFolder = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.path()));
    arguments << "--settings" << QString::fromStdString(settingsPath());
    shell::StudioOptions options = shell::parseStudioArguments(arguments);
    options.dataFolder = TARVOLIN_SOURCE_DATA_DIR;
    options.showStartupWindows = startupWindows;
    std::unique_ptr<platform::AudioOutput> audio;
    if (soundDevice)
      audio = std::make_unique<platform::SilentAudioOutput>();
    else
      audio = std::make_unique<platform::NullAudioOutput>();
    studio = std::make_unique<shell::Studio>(std::move(options), std::move(audio));
    studio->host().setAnswerer([this](const QString&, const QString& text) -> std::optional<MessageAnswer> {
      boxes << text;
      if (answers.empty()) return MessageAnswer::Ok;
      const MessageAnswer a = answers.front();
      answers.pop_front();
      return a;
    });
    studio->host().setFileAnswerer([this](const QString& title, const QString&, bool) {
      fileTitles << title;
      if (files.empty()) return QString();
      const QString f = files.front();
      files.pop_front();
      return f;
    });
    studio->start();
    QObject::connect(&studio->window(), &shell::TarvolinMainWindow::quitConfirmed,
                     [this] { quitConfirmed = true; });
    // Shortcuts act in the active window: the main window, not the
    // emulator window that showed after it.
    // (With the start-up windows the first dialog takes the focus instead.)
    shell::TarvolinMainWindow* main = &studio->window();
    if (!startupWindows) {
      main->windowHandle()->requestActivate();
      EXPECT_TRUE(waitFor([main] { return QApplication::activeWindow() == main; }));
    }
    return *studio;
  }
  // Closes the window through its questions and shuts the studio down
  // when it may quit; true when it quit.
  bool quit() {
    window().close();
    if (!quitConfirmed) return false;
    finish();
    return true;
  }
  void finish() {
    if (studio) studio->shutdown();
    studio.reset();
    if (!previousFolder.isEmpty()) QDir::setCurrent(previousFolder);
    previousFolder.clear();
  }

  shell::TarvolinMainWindow& window() { return studio->window(); }
  editor::EditorArea& editor() { return *studio->window().editor(); }
  EmulatorControl& control() { return studio->control(); }
  Workbench& bench() { return studio->bench(); }
  void trigger(shell::Command c) { window().action(c)->trigger(); }
  std::int32_t global(int i) { return bench().scripts().interpreter().globalVariable(0, i); }
  void setGlobal(int i, int v) { bench().scripts().interpreter().setGlobalVariable(0, i, v); }
  QStringList notes() const { return studio->window().notes()->lines(); }
  bool noted(const QString& text) const { return notes().contains(text); }
  // Runs frames as the frame loop would, `n` of them while the game runs.
  void frames(int n) {
    for (int i = 0; i < n && control().wantsFrames(); ++i) control().Tick();
  }

  TempDir dir;
  std::unique_ptr<shell::Studio> studio;
  QStringList boxes;
  std::deque<MessageAnswer> answers;
  QStringList fileTitles;
  std::deque<QString> files;
  bool quitConfirmed = false;
  bool startupWindows = false;  // the what's-new and tips windows at start-up
  bool soundDevice = true;      // false: the audio output fails to open
  QString previousFolder;       // the working folder before start()
};

}  // namespace tarvolin::test
