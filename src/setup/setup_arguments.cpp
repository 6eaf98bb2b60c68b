#include "setup/setup_arguments.h"

#include <cstdio>
#include <cstdlib>

namespace tarvolin::setup {

SetupArguments parseSetupArguments(const std::vector<std::string>& args, bool installer) {
  SetupArguments out;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      out.help = true;
    } else if (a == "--user") {
      out.user = true;
    } else if (a == "--yes" || a == "-y") {
      out.unattended = true;
      out.answer = true;
    } else if (installer && a == "--no") {
      out.unattended = true;
      out.answer = false;
    } else if (a == "--folder" && i + 1 < args.size()) {
      out.folder = args[++i];
    } else if (a.starts_with("--folder=")) {
      out.folder = a.substr(9);
    } else {
      out.error = a == "--folder" ? "Falta la carpeta después de --folder"
                                  : "Argumento desconocido: " + a;
      return out;
    }
  }
  return out;
}

std::string setupUsage(bool installer) {
  if (installer)
    return "Uso: TarvolinSetup [--folder CARPETA] [--user] [--yes | --no]\n"
           "  Sin argumentos abre el instalador.\n"
           "  --folder CARPETA  carpeta de instalación (por omisión ~/.local/opt/Halvergen/Tarvolin/,\n"
           "                    o /opt/Halvergen/Tarvolin/ como root)\n"
           "  --user            instala para el usuario (carpetas XDG de $HOME) aunque sea root\n"
           "  --yes             instala sin ventanas; elimina la configuración anterior\n"
           "  --no              instala sin ventanas; conserva la configuración anterior\n";
  return "Uso: Uninstall [--folder CARPETA] [--user] [--yes]\n"
         "  Sin argumentos abre el desinstalador.\n"
         "  --folder CARPETA  carpeta de la instalación (por omisión, la de este programa)\n"
         "  --user            sin registro de la instalación, limpia las carpetas XDG del\n"
         "                    usuario aunque sea root\n"
         "  --yes             desinstala sin ventanas\n";
}

int answerUsage(const SetupArguments& args, bool installer) {
  if (!args.help && args.error.empty()) return -1;
  if (!args.error.empty()) std::fprintf(stderr, "%s\n", args.error.c_str());
  std::fputs(setupUsage(installer).c_str(), args.help ? stdout : stderr);
  return args.help ? 0 : 2;
}

bool screenAvailable(bool installer) {
  if (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM"))
    return true;
  std::fprintf(stderr, "No hay pantalla: use --yes para %s sin ventanas.\n",
               installer ? "instalar" : "desinstalar");
  return false;
}

}  // namespace tarvolin::setup
