// Uninstall: removes the installation it was installed with.
#include <QApplication>
#include <clocale>
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
  std::setlocale(LC_ALL, "");  // system error texts in the user's language
  const setup::SetupArguments args =
      setup::parseSetupArguments(std::vector<std::string>(argv + 1, argv + argc), false);
  if (const int code = setup::answerUsage(args, false); code >= 0) return code;

  // The installation folder is the one this program was installed into,
  // wherever it is started from.
  setup::Environment environment = setup::Environment::current();
  if (args.user) environment.root = false;
  std::error_code ec;
  const std::string current = std::filesystem::current_path(ec).string();
  setup::UninstallRequest request;
  request.installFolder =
      args.folder.empty() ? platform::executableFolder()
                          : setup::absolutePath(args.folder, ec ? "/" : current, environment.home);
  request.places = setup::desktopPlacesFor(environment);

  if (args.unattended) {
    setup::TerminalPrompts prompts(true);
    return setup::runUninstall(request, prompts) == setup::UninstallOutcome::Complete ? 0 : 1;
  }
  if (!setup::screenAvailable(false)) return 2;

  QApplication app(argc, argv);
  setup_ui::useSpanishQtTexts();
  setup_ui::ProgramWindow window(QString::fromUtf8(setup::kUninstallerTitle.data()));
  window.show();
  setup_ui::MessageBoxPrompts prompts(&window);
  setup_ui::UninstallDialog dialog(request, prompts, &window);
  dialog.exec();
  if (!dialog.attempted()) return 0;
  return dialog.lastOutcome() == setup::UninstallOutcome::Complete ? 0 : 1;
}
