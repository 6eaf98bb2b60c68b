// The installation: copies the "Install" tree into the installation folder
// with "filelist.lst", creates the menu folder with its four items and
// registers the project-file type with the studio as its default
// application. Each step's failure is told and ends the attempt; what was
// done so far stays, and running again overwrites it.
#pragma once

#include <string>
#include <vector>

#include "setup/desktop_places.h"
#include "setup/install_record.h"
#include "setup/setup_prompts.h"

namespace tarvolin::setup {

struct InstallRequest {
  std::string startFolder;    // the folder that holds "Install"
  std::string installFolder;  // as typed; relative to startFolder, "~/" allowed
  Environment environment;
  DesktopPlaces places;
  bool refreshDesktop = true;  // run update-desktop-database / update-mime-database
};

enum class InstallOutcome { Complete, CopyFailed, GroupFailed, AssociationFailed };

InstallOutcome runInstallation(const InstallRequest& request, SetupPrompts& prompts);

// The steps, for callers and tests that run them one by one. `folder` is the
// normalised installation folder. Each returns false with `error` set.

// The old settings files an installation into `folder` would meet: a
// "settings.txt" of any case in the folder and, for a user, the studio's
// own settings file.
std::vector<std::string> oldSettingsFiles(const std::string& folder, const DesktopPlaces& places);

// Copies every file below `sourceTree` (files of a folder first, then its
// sub-folders, by name) and writes "filelist.lst" in copying order. The
// folders created for `folder` itself are added to `record`.
bool copyInstallTree(const std::string& sourceTree, const std::string& folder,
                     InstallRecord& record, std::string& error);

bool createProgramGroup(const std::string& folder, const DesktopPlaces& places, bool refresh,
                        InstallRecord& record, std::string& error);

bool registerProjectType(const std::string& folder, const DesktopPlaces& places, bool refresh,
                         InstallRecord& record, std::string& error);

}  // namespace tarvolin::setup
