// A throw-away home with its XDG folders and a start folder holding an
// "Install" tree, for installing and uninstalling without touching the
// machine's own desktop.
#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/temp_dir.h"
#include "setup/desktop_places.h"
#include "setup/installer.h"
#include "setup/setup_prompts.h"
#include "setup/file_tree.h"
#include "setup/uninstaller.h"

namespace tarvolin::test {

class RecordingPrompts : public setup::SetupPrompts {
 public:
  struct Told {
    std::string caption, text;
    setup::MessageIcon icon;
    std::string detail;
  };
  bool askYesNo(std::string_view caption, std::string_view text) override {
    questions.emplace_back(std::string(caption) + ": " + std::string(text));
    return answer;
  }
  void tell(std::string_view caption, std::string_view text, setup::MessageIcon icon,
            std::string_view detail) override {
    told.push_back({std::string(caption), std::string(text), icon, std::string(detail)});
  }
  std::string lastText() const { return told.empty() ? std::string() : told.back().text; }

  bool answer = true;
  std::vector<std::string> questions;
  std::vector<Told> told;
};

class SetupRig {
 public:
  SetupRig() {
    env.home = dir.path() + "/home";
    env.xdgDataHome = dir.path() + "/xdg/data";
    env.xdgConfigHome = dir.path() + "/xdg/config";
    env.root = false;
    places = setup::desktopPlacesFor(env);
    start = dir.path() + "/dist";
    ::mkdir(env.home.c_str(), 0755);
  }

  // The tree the examples install: files at the top and in nested folders.
  void writeInstallTree() {
    put("TarvolinStudio", "#!/bin/sh\nexit 0\n", 0755);
    put("Uninstall", "#!/bin/sh\nexit 0\n", 0755);
    put("timing_database.txt", "; costs\n");
    put("icons/tarvolin.svg",
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\"/>\n");
    put("UserGuide/indice.md", "# Guía\n");
    put("Sample_ROMs/demo/demo.tvp", "#PROJECT_NAME\ndemo\n\n");
    put("Sample_ROMs/demo/demo/Script/main.txt", "End\r\n");
    put("Sample_ROMs/b.txt", "b\n");
  }

  std::string put(const std::string& relative, const std::string& bytes, int mode = 0644) {
    const std::string path = dir.write("dist/Install/" + relative, bytes);
    ::chmod(path.c_str(), static_cast<mode_t>(mode));
    return path;
  }

  setup::InstallRequest request(const std::string& folder) const {
    setup::InstallRequest r;
    r.startFolder = start;
    r.installFolder = folder;
    r.environment = env;
    r.places = places;
    return r;
  }

  setup::UninstallRequest uninstallRequest(const std::string& folder) const {
    setup::UninstallRequest r;
    r.installFolder = folder;
    r.places = places;
    return r;
  }

  std::string folder() const { return env.home + "/.local/opt/Halvergen/Tarvolin"; }

  // Runs a shell command with this rig's home and XDG folders; the first
  // line of its output, or empty.
  std::string query(const std::string& command) const {
    const std::string full = "env HOME='" + env.home + "' XDG_DATA_HOME='" + env.xdgDataHome +
                             "' XDG_CONFIG_HOME='" + env.xdgConfigHome +
                             "' XDG_DATA_DIRS=/usr/share XDG_CONFIG_DIRS=/etc/xdg " + command +
                             " 2>/dev/null";
    std::FILE* pipe = ::popen(full.c_str(), "r");
    if (!pipe) return {};
    char buf[1024];
    std::string out;
    if (std::fgets(buf, sizeof buf, pipe)) out = buf;
    ::pclose(pipe);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
  }

  static bool hasTool(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
  }

  TempDir dir;
  setup::Environment env;
  setup::DesktopPlaces places;
  std::string start;
};

inline bool exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace tarvolin::test
