// TarvolinStudio: the desktop environment. Wiring only: the application, the
// SDL audio output and game controller, and the studio's start and end.
#include <QApplication>

#include "shell/studio.h"
#ifdef TARVOLIN_HAVE_SDL
#include "platform/sdl/sdl_audio_output.h"
#include "platform/sdl/sdl_game_controller.h"
#endif

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("TarvolinStudio"));
  QApplication::setOrganizationName(QStringLiteral("Tarvolin"));
  QApplication::setQuitOnLastWindowClosed(false);

  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  tarvolin::shell::StudioOptions options = tarvolin::shell::parseStudioArguments(arguments);
  if (options.guideOnly) {
    tarvolin::shell::showGuideOnly();
    return app.exec();
  }
#ifdef TARVOLIN_SOURCE_DATA_DIR
  options.dataFolder = TARVOLIN_SOURCE_DATA_DIR;
#endif
#ifdef TARVOLIN_HAVE_SDL
  tarvolin::shell::Studio studio(std::move(options), tarvolin::platform::CreateSdlAudioOutput(),
                                 tarvolin::platform::CreateSdlGameController());
#else
  tarvolin::shell::Studio studio(std::move(options));
#endif
  studio.start();
  const int code = app.exec();
  studio.shutdown();
  return code;
}
