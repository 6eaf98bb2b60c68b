#include "run_screenshots.h"

#include <cstdio>
#include <cstdlib>

#include "machine/screenshot.h"
#include "platform/paths.h"

namespace tarvolin::cli {

namespace {

bool write(const machine::MachineState& machine, const std::string& path) {
  if (machine::writeScreenshot(machine, path)) return true;
  std::fprintf(stderr, "tarvolin run: no se puede escribir la imagen %s\n", path.c_str());
  return false;
}

}  // namespace

int ScreenshotOptions::take(const Args& args, std::size_t& i) {
  const std::string& a = args[i];
  if (a != "--screenshot" && a != "--screenshot-every" && a != "--out") return 0;
  if (i + 1 >= args.size() || args[i + 1].empty()) {
    std::fprintf(stderr, "tarvolin run: %s necesita un valor\n", a.c_str());
    return 2;
  }
  const std::string& value = args[++i];
  if (a == "--screenshot") {
    finalPath = value;
  } else if (a == "--out") {
    folder = value;
  } else {
    bool digits = value.size() <= 9;
    for (char c : value) digits = digits && c >= '0' && c <= '9';
    if (!digits || std::atoi(value.c_str()) < 1) {
      std::fprintf(stderr, "tarvolin run: --screenshot-every necesita un número de cuadros (1 o más)\n");
      return 2;
    }
    every = std::atoi(value.c_str());
  }
  return 1;
}

int ScreenshotOptions::check() const {
  if (every > 0 && folder.empty()) {
    std::fprintf(stderr, "tarvolin run: --screenshot-every necesita --out CARPETA\n");
    return 2;
  }
  if (every > 0 && !platform::makeFolders(folder)) {
    std::fprintf(stderr, "tarvolin run: no se puede crear la carpeta %s\n", folder.c_str());
    return 2;
  }
  return 0;
}

bool ScreenshotOptions::afterFrame(const machine::MachineState& machine, int frame) const {
  if (every <= 0 || frame % every != 0) return true;
  char name[32];
  std::snprintf(name, sizeof name, "frame%05d.png", frame);
  return write(machine, folder + "/" + name);
}

bool ScreenshotOptions::afterRun(const machine::MachineState& machine) const {
  return finalPath.empty() || write(machine, finalPath);
}

}  // namespace tarvolin::cli
