// The uninstallation of a folder the installer filled: the project-file
// type, then the menu folder, then the files of "filelist.lst" and the
// folders left empty, deepest first. Files the user added stay, and so do
// the folders that hold them.
#pragma once

#include <string>

#include "setup/desktop_places.h"
#include "setup/install_record.h"
#include "setup/setup_prompts.h"

namespace tarvolin::setup {

struct UninstallRequest {
  std::string installFolder;  // absolute
  DesktopPlaces places;       // used when the folder has no record
  bool refreshDesktop = true;
};

enum class UninstallOutcome { Complete, UnregisterFailed, UngroupFailed, RemoveFailed };

UninstallOutcome runUninstall(const UninstallRequest& request, SetupPrompts& prompts);

// The steps. Each returns false with `error` set; a failed step stops the
// uninstallation, what was removed before stays removed.

// Removes the MIME type (its package must be there), the project-file icon
// and the default-application line.
bool unregisterProjectType(const InstallRecord& record, const DesktopPlaces& places, bool refresh,
                           std::string& error);
// Removes the menu file (it must be there), the menu folder entry, the
// desktop entries and the studio icon.
bool removeProgramGroup(const InstallRecord& record, const DesktopPlaces& places, bool refresh,
                        std::string& error);
// Deletes the files of "filelist.lst" that lie in `folder` (others are
// passed over), removes the folders that held them once empty, deepest
// first, then the lists, then the folders the installer created that are
// left empty. Folders the user made stay. False when the list cannot be
// read, or a folder stays that holds something.
bool removeInstalledFiles(const std::string& folder, const InstallRecord& record,
                          std::string& error);

}  // namespace tarvolin::setup
