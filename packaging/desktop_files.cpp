// Build tool: writes the studio's desktop entry and the project-file MIME
// type that a system package installs, from the same texts the installer
// writes, into the folder given.
#include <cstdio>
#include <string>

#include "setup/desktop_files.h"
#include "setup/file_tree.h"

int main(int argc, char** argv) {
  using namespace tarvolin::setup;
  if (argc != 2) {
    std::fprintf(stderr, "Uso: %s CARPETA\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  std::string error;
  const DesktopEntry studio = packagedStudioEntry();
  const DesktopEntry guide = packagedGuideEntry();
  if (!writeFile(folder + "/" + studio.fileName, desktopEntryText(studio), error) ||
      !writeFile(folder + "/" + guide.fileName, desktopEntryText(guide), error) ||
      !writeFile(folder + "/" + std::string(kMimePackageFile), mimePackageText(), error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  return 0;
}
