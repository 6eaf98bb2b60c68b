// Where an installation goes on a freedesktop.org desktop: the default
// installation folder and the data and configuration folders that receive
// the desktop entries, the menu folder, the MIME type and the default
// application. A user installs into the XDG folders of the home; root
// installs for every user into the system folders.
#pragma once

#include <string>

namespace tarvolin::setup {

struct Environment {
  std::string home;           // $HOME
  std::string xdgDataHome;    // $XDG_DATA_HOME, may be empty
  std::string xdgConfigHome;  // $XDG_CONFIG_HOME, may be empty
  bool root = false;          // running with user id 0

  static Environment current();
};

struct DesktopPlaces {
  std::string dataHome;    // holds applications/, desktop-directories/, mime/, icons/
  std::string configHome;  // holds menus/applications-merged/ and mimeapps.list
  bool system = false;

  std::string applications() const { return dataHome + "/applications"; }
  std::string directories() const { return dataHome + "/desktop-directories"; }
  std::string mimeRoot() const { return dataHome + "/mime"; }
  std::string mimePackages() const { return dataHome + "/mime/packages"; }
  std::string icons() const { return dataHome + "/icons/hicolor/scalable"; }
  std::string mergedMenus() const { return configHome + "/menus/applications-merged"; }
  std::string mimeappsList() const { return configHome + "/mimeapps.list"; }
  // The studio's own settings file, which an old installation may have left.
  std::string studioSettings() const { return configHome + "/tarvolin/Settings.txt"; }
};

// The XDG folders for `env`. A relative $XDG_* value is ignored, as the base
// directory rules ask.
DesktopPlaces desktopPlacesFor(const Environment& env);

// "~/.local/opt/Halvergen/Tarvolin/" for a user, "/opt/Halvergen/Tarvolin/"
// for root; always ends with "/".
std::string defaultInstallFolder(const Environment& env);

}  // namespace tarvolin::setup
