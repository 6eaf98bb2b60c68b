// tarvolin reference [--notes NOTES] [--out FOLDER]: writes the language
// reference made from the interpreter's own tables. With --out it writes
// "comandos.md" and "errores.md" into FOLDER (the build does this for the
// user guide); without it the command reference goes to stdout. NOTES is the
// file of hand-written notes per command. Exit 1 when the notes name an
// unknown command, 2 on a usage or file error.
#include <cstdio>
#include <fstream>
#include <string>

#include "commands.h"
#include "platform/paths.h"
#include "platform/files.h"
#include "project/text_lines.h"
#include "script/reference.h"

namespace tarvolin::cli {
namespace {

void usage() { std::fprintf(stderr, "Uso: tarvolin reference [--notes NOTAS.txt] [--out CARPETA]\n"); }

bool writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  return static_cast<bool>(out);
}

int runReference(const Args& args) {
  std::string notesPath, outFolder;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if ((args[i] == "--notes" || args[i] == "--out") && i + 1 < args.size() && !args[i + 1].empty()) {
      (args[i] == "--notes" ? notesPath : outFolder) = args[i + 1];
      ++i;
    } else {
      usage();
      return 2;
    }
  }
  std::vector<script::CommandNote> notes;
  if (!notesPath.empty()) {
    std::string text, error;
    if (!platform::readWholeFile(notesPath, text)) {
      std::fprintf(stderr, "tarvolin reference: no se puede leer %s\n", notesPath.c_str());
      return 2;
    }
    if (!script::ParseCommandNotes(text, notes, error)) {
      std::fprintf(stderr, "tarvolin reference: %s: %s\n", notesPath.c_str(), error.c_str());
      return 1;
    }
  }
  const std::string commands = script::CommandReferenceMarkdown(notes);
  if (outFolder.empty()) {
    std::fwrite(commands.data(), 1, commands.size(), stdout);
    return 0;
  }
  if (!platform::makeFolders(outFolder)) {
    std::fprintf(stderr, "tarvolin reference: no se puede crear la carpeta %s\n", outFolder.c_str());
    return 2;
  }
  const std::string commandsPath = platform::joinPath(outFolder, script::kCommandReferencePage);
  const std::string errorsPath = platform::joinPath(outFolder, script::kErrorReferencePage);
  if (!writeText(commandsPath, commands) || !writeText(errorsPath, script::ErrorReferenceMarkdown())) {
    std::fprintf(stderr, "tarvolin reference: no se puede escribir en %s\n", outFolder.c_str());
    return 2;
  }
  return 0;
}

const SubcommandRegistrar registrar({60, "reference",
                                     "[--notes NOTAS.txt] [--out CARPETA]  escribe la referencia de comandos y "
                                     "de errores (Markdown)",
                                     runReference});

}  // namespace
}  // namespace tarvolin::cli
