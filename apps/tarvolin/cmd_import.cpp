// tarvolin import OTHER.tvp INTO.tvp [options]: the project import of the
// studio's "Importar Proyecto.." window from the command line. The options
// start as the window's defaults (every component and prefix switch on, the
// folder named after the other project); questions are answered yes with
// --yes and refused otherwise. The result is saved with the project. Exit
// 0 when the import ran and the project was saved, 1 when it stopped early
// or saving failed, 2 on a usage or file error.
#include <cstdio>
#include <string>

#include "commands.h"
#include "game_session.h"
#include "common/text.h"
#include "platform/paths.h"
#include "project/project_import.h"

namespace tarvolin::cli {
namespace {

using project::ImportFamily;

// Output lines to stdout; boxes and questions to stderr, with the answer
// that --yes gives or the refusal.
class ImportHost : public NotesHost {
 public:
  explicit ImportHost(bool yes) : yes_(yes) {}
  MessageAnswer messageBox(std::string_view caption, std::string_view text, MessageButtons buttons,
                           MessageAnswer defaultAnswer) override {
    std::fprintf(stderr, "%.*s: %.*s\n", int(caption.size()), caption.data(), int(text.size()), text.data());
    if (buttons == MessageButtons::Ok) return defaultAnswer;
    const MessageAnswer answer = yes_ ? (buttons == MessageButtons::OkCancel ? MessageAnswer::Ok : MessageAnswer::Yes)
                                      : (buttons == MessageButtons::OkCancel ? MessageAnswer::Cancel : MessageAnswer::No);
    std::fprintf(stderr, "  -> %s\n", yes_ ? "sí (--yes)" : "no (sin --yes)");
    return answer;
  }

 private:
  bool yes_;
};

void usage() {
  std::fprintf(stderr,
               "Uso: tarvolin import OTRO.tvp DESTINO.tvp [--prefix P] [--folder CARPETA]\n"
               "       [--only COMPONENTES] [--no-prefix FAMILIAS] [--skip-comments] [--yes]\n"
               "       [--no-copy-resources] [--no-script-subfolder] [--no-resource-subfolder]\n"
               "       [--no-global-set] [--no-apply-set] [--family FAMILIA]\n"
               "  COMPONENTES: lista separada por comas de arrays, strings, macros, tilelists,\n"
               "  resources, paths, fontmaps, levels, scripts; FAMILIAS: las mismas sin scripts, o all.\n"
               "  --family importa solo esa familia, sin prefijo (como los comandos de \"Importar\").\n");
}

// Reads a comma list of keywords; `scripts` (when given) takes "scripts".
bool parseList(const std::string& text, std::array<bool, project::kImportFamilyCount>& families, bool* scripts,
               bool allowAll) {
  families.fill(false);
  if (scripts) *scripts = false;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    const std::string word(trimBlanks(std::string_view(text).substr(start, comma - start)));
    start = comma + 1;
    if (word.empty()) continue;
    if (allowAll && equalsIgnoreCase(word, "all")) {
      families.fill(true);
    } else if (scripts && equalsIgnoreCase(word, "scripts")) {
      *scripts = true;
    } else if (const auto f = project::importFamilyFromKeyword(word)) {
      families[std::size_t(*f)] = true;
    } else {
      std::fprintf(stderr, "tarvolin import: familia desconocida '%s'\n", word.c_str());
      return false;
    }
  }
  return true;
}

int runImport(const Args& args) {
  std::vector<std::string> files;
  project::ImportOptions options;
  bool yes = false;
  bool folderGiven = false;
  std::optional<ImportFamily> single;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        std::fprintf(stderr, "tarvolin import: %s necesita un valor\n", a.c_str());
        return false;
      }
      out = args[++i];
      return true;
    };
    std::string v;
    if (a == "--prefix") {
      if (!value(options.prefix)) return 2;
    } else if (a == "--folder") {
      if (!value(options.folder)) return 2;
      folderGiven = true;
    } else if (a == "--only") {
      if (!value(v) || !parseList(v, options.components, &options.scripts, false)) return 2;
    } else if (a == "--no-prefix") {
      std::array<bool, project::kImportFamilyCount> off{};
      if (!value(v) || !parseList(v, off, nullptr, true)) return 2;
      for (std::size_t f = 0; f < off.size(); ++f)
        if (off[f]) options.prefixed[f] = false;
    } else if (a == "--family") {
      if (!value(v)) return 2;
      single = project::importFamilyFromKeyword(v);
      if (!single) {
        std::fprintf(stderr, "tarvolin import: familia desconocida '%s'\n", v.c_str());
        return 2;
      }
    } else if (a == "--skip-comments") {
      options.skipComments = true;
    } else if (a == "--yes") {
      yes = true;
    } else if (a == "--no-copy-resources") {
      options.copyResourceFiles = false;
    } else if (a == "--no-script-subfolder") {
      options.scriptSubfolder = false;
    } else if (a == "--no-resource-subfolder") {
      options.resourceSubfolder = false;
    } else if (a == "--no-global-set") {
      options.createGlobalSet = false;
    } else if (a == "--no-apply-set") {
      options.addApplySet = false;
    } else if (!a.empty() && a[0] == '-') {
      std::fprintf(stderr, "tarvolin import: opción desconocida '%s'\n", a.c_str());
      usage();
      return 2;
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 2 || files[0].empty() || files[1].empty()) {
    usage();
    return 2;
  }

  ImportHost host(yes);
  Workbench bench(host);
  project::Project& project = bench.project();
  const std::string into = project.absolutePath(files[1]);
  if (!platform::fileExists(into)) {
    std::fprintf(stderr, "tarvolin import: no existe el proyecto %s\n", into.c_str());
    return 2;
  }
  if (!project.open(into, false) || !project.isOpen()) {
    std::fprintf(stderr, "tarvolin import: no se puede abrir el proyecto %s\n", into.c_str());
    return 2;
  }
  options.file = project.absolutePath(files[0]);
  // As in the window: the folder takes the other project's name.
  if (!folderGiven) options.folder = project::projectNameOf(options.file);

  project::ImportSummary summary;
  if (single) {
    if (!project::importFamily(project, *single, options.file, &summary)) return 1;
  } else {
    summary = project::importProject(project, options);
    if (summary.outcome != project::ImportOutcome::Done) return 1;
  }
  int duplicates = 0;
  for (int d : summary.duplicates) duplicates += d;
  std::printf("Importados %d registros, %d duplicados omitidos, %zu archivos copiados\n", summary.totalAdded(),
              duplicates, summary.copiedFiles.size());
  if (!project.save(false)) {
    std::fprintf(stderr, "tarvolin import: no se pudo guardar el proyecto %s\n", into.c_str());
    return 1;
  }
  std::fflush(stdout);
  return 0;
}

const SubcommandRegistrar registrar({15, "import",
                                     "OTRO.tvp DESTINO.tvp [--prefix P] [--folder CARPETA] [--only ...] "
                                     "[--no-prefix ...] [--skip-comments] [--yes]  importa otro proyecto",
                                     runImport});

}  // namespace
}  // namespace tarvolin::cli
