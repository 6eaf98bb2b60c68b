#include "setup/desktop_places.h"

#include <unistd.h>

#include <cstdlib>

namespace tarvolin::setup {

static std::string variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

Environment Environment::current() {
  Environment env;
  env.home = variable("HOME");
  env.xdgDataHome = variable("XDG_DATA_HOME");
  env.xdgConfigHome = variable("XDG_CONFIG_HOME");
  env.root = ::geteuid() == 0;
  return env;
}

static std::string withoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

static std::string homeFolder(const Environment& env) {
  return env.home.empty() ? std::string("/") : withoutTrailingSlash(env.home);
}

static std::string baseFolder(const std::string& value, const Environment& env,
                              const char* fallback) {
  if (!value.empty() && value[0] == '/') return withoutTrailingSlash(value);
  std::string home = homeFolder(env);
  if (home == "/") home.clear();
  return home + fallback;
}

DesktopPlaces desktopPlacesFor(const Environment& env) {
  DesktopPlaces places;
  if (env.root) {
    places.dataHome = "/usr/local/share";
    places.configHome = "/etc/xdg";
    places.system = true;
  } else {
    places.dataHome = baseFolder(env.xdgDataHome, env, "/.local/share");
    places.configHome = baseFolder(env.xdgConfigHome, env, "/.config");
  }
  return places;
}

std::string defaultInstallFolder(const Environment& env) {
  if (env.root) return "/opt/Halvergen/Tarvolin/";
  std::string home = homeFolder(env);
  if (home == "/") home.clear();
  return home + "/.local/opt/Halvergen/Tarvolin/";
}

}  // namespace tarvolin::setup
