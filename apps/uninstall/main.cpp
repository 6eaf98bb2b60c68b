// Uninstall: removes the installation it was installed with.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/shipped_data.h"
#include "setup/desktop_places.h"
#include "setup/file_tree.h"
#include "setup/setup_arguments.h"
#include "setup/setup_texts.h"
#include "setup/terminal_prompts.h"
#include "setup/uninstaller.h"
#include "setup_ui/setup_windows.h"

using namespace tarvolin;

int main(int argc, char** argv) {
  const setup::SetupArguments args =
      setup::parseSetupArguments(std::vector<std::string>(argv + 1, argv + argc), false);
  if (args.help || !args.error.empty()) {
    if (!args.error.empty()) std::fprintf(stderr, "%s\n", args.error.c_str());
    std::fputs(setup::setupUsage(false).c_str(), args.help ? stdout : stderr);
    return args.help ? 0 : 2;
  }

  // The installation folder is the one this program was installed into,
  // wherever it is started from.
  std::error_code ec;
  const std::string current = std::filesystem::current_path(ec).string();
  setup::UninstallRequest request;
  request.installFolder =
      args.folder.empty() ? platform::executableFolder()
                          : setup::normalisePath(args.folder, ec ? "/" : current,
                                                 setup::Environment::current().home);
  setup::Environment environment = setup::Environment::current();
  if (args.user) environment.root = false;
  request.places = setup::desktopPlacesFor(environment);

  if (args.unattended) {
    setup::TerminalPrompts prompts(true);
    return setup::runUninstall(request, prompts) == setup::UninstallOutcome::Complete ? 0 : 1;
  }
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
    std::fprintf(stderr, "No hay pantalla: use --yes para desinstalar sin ventanas.\n");
    return 2;
  }

  QApplication app(argc, argv);
  setup_ui::ProgramWindow window(QString::fromUtf8(setup::kUninstallerTitle.data()));
  window.show();
  setup_ui::MessageBoxPrompts prompts(&window);
  setup_ui::UninstallDialog dialog(request, prompts, &window);
  dialog.exec();
  if (!dialog.attempted()) return 0;
  return dialog.lastOutcome() == setup::UninstallOutcome::Complete ? 0 : 1;
}
