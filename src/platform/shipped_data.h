// Where the programs find the files shipped with them (timing database,
// what's-new text, icons, user guide, sample projects), so that an installed
// tree runs from any folder.
#pragma once

#include <string>
#include <string_view>

namespace tarvolin::platform {

// The folder that holds the running program; "." when it cannot be told.
std::string executableFolder();

// A shipped file or folder by its name in data/ ("timing_database.txt",
// "guide", "icons" ...). Looked for beside the program (a tree laid out by
// the installer, where the guide is "UserGuide"), then in ../share/tarvolin/
// relative to it (a system install), else in `buildDataFolder` (the source
// tree's data/ when run from the build tree), whose path is returned when
// none exists.
std::string findShippedData(std::string_view exeFolder, std::string_view name,
                            std::string_view buildDataFolder);

}  // namespace tarvolin::platform
