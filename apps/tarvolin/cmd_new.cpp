// tarvolin new PATH.tvp: makes a new project the way the environment's
// new-project flow does, without dialogs: the project file with every
// default, the source root with its Script folder and main script, and the
// resource root. An existing project file is never overwritten.
#include <cstdio>
#include <string>

#include "commands.h"
#include "common/text.h"
#include "platform/paths.h"
#include "workbench/workbench.h"

namespace tarvolin::cli {
namespace {

// Prints output lines and message boxes; questions take their default.
class ConsoleHost : public Host {
 public:
  void outputLine(std::string_view text) override {
    std::printf("%.*s\n", int(text.size()), text.data());
  }
  MessageAnswer messageBox(std::string_view, std::string_view text, MessageButtons,
                           MessageAnswer defaultAnswer) override {
    std::printf("%.*s\n", int(text.size()), text.data());
    return defaultAnswer;
  }
};

int runNew(const Args& args) {
  if (args.size() != 1 || args[0].empty()) {
    std::fprintf(stderr, "Uso: tarvolin new RUTA.tvp\n");
    return 2;
  }
  std::string path = args[0];
  std::string_view file = platform::fileNameOf(path);
  if (file.empty()) {
    std::fprintf(stderr, "tarvolin new: falta el nombre del archivo del proyecto\n");
    return 2;
  }
  if (file.size() < 4 || !equalsIgnoreCase(file.substr(file.size() - 4), ".tvp")) path += ".tvp";

  ConsoleHost host;
  Workbench bench(host);
  project::Project& project = bench.project();
  const std::string absolute = project.absolutePath(path);
  if (platform::fileExists(absolute) || platform::folderExists(absolute)) {
    std::fprintf(stderr, "tarvolin new: el proyecto ya existe: %s\n", absolute.c_str());
    return 2;
  }
  const std::string folder(platform::folderOf(absolute));
  if (!folder.empty() && !platform::makeFolders(folder)) {
    std::fprintf(stderr, "tarvolin new: no se puede crear la carpeta %s\n", folder.c_str());
    return 1;
  }
  if (!project.createNew(absolute) || !platform::fileExists(project.filePath())) {
    std::fprintf(stderr, "tarvolin new: no se puede escribir el proyecto %s\n", absolute.c_str());
    return 1;
  }
  bool ok = true;
  if (!platform::fileExists(project.mainScriptPath())) {
    std::fprintf(stderr, "tarvolin new: no se puede crear el guión principal %s\n",
                 project.mainScriptPath().c_str());
    ok = false;
  }
  if (!platform::folderExists(project.resourceRootPath())) {
    std::fprintf(stderr, "tarvolin new: no se puede crear la carpeta de recursos %s\n",
                 project.resourceRootPath().c_str());
    ok = false;
  }
  return ok ? 0 : 1;
}

const SubcommandRegistrar registrar({10, "new", "RUTA.tvp  crea un proyecto nuevo", runNew});

}  // namespace
}  // namespace tarvolin::cli
