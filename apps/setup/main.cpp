// TarvolinSetup: installs the "Install" tree that ships beside it.
#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "platform/shipped_data.h"
#include "setup/desktop_places.h"
#include "setup/installer.h"
#include "setup/setup_arguments.h"
#include "setup/setup_texts.h"
#include "setup/terminal_prompts.h"
#include "setup_ui/setup_windows.h"

using namespace tarvolin;

namespace {

// The folder holding "Install": the program's own, else the current one.
std::string startFolder() {
  const std::string own = platform::executableFolder();
  if (platform::folderExists(platform::joinPath(own, setup::kInstallFolderName))) return own;
  std::error_code ec;
  const std::string current = std::filesystem::current_path(ec).string();
  return ec ? own : current;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");  // system error texts in the user's language
  const setup::SetupArguments args =
      setup::parseSetupArguments(std::vector<std::string>(argv + 1, argv + argc), true);
  if (const int code = setup::answerUsage(args, true); code >= 0) return code;

  setup::InstallRequest request;
  request.startFolder = startFolder();
  request.environment = setup::Environment::current();
  if (args.user) request.environment.root = false;
  request.places = setup::desktopPlacesFor(request.environment);
  request.installFolder =
      args.folder.empty() ? setup::defaultInstallFolder(request.environment) : args.folder;

  if (args.unattended) {
    setup::TerminalPrompts prompts(args.answer);
    return setup::runInstallation(request, prompts) == setup::InstallOutcome::Complete ? 0 : 1;
  }
  if (!setup::screenAvailable(true)) return 2;

  QApplication app(argc, argv);
  setup_ui::useSpanishQtTexts();
  setup_ui::ProgramWindow window(QString::fromUtf8(setup::kInstallerTitle.data()));
  window.show();
  setup_ui::MessageBoxPrompts prompts(&window);
  setup_ui::InstallDialog dialog(request, prompts, &window);
  dialog.exec();
  if (!dialog.attempted()) return 0;
  return dialog.lastOutcome() == setup::InstallOutcome::Complete ? 0 : 1;
}
