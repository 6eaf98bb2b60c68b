// "resource.txt": the resource header, then per resource an entry of
// "#name", file, kind name, compression name, relative flag, "#range format",
// range maximum, ask flag, range flag and an empty line. Older files end an
// entry after the relative flag.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "project/resource.h"

namespace tarvolin::project {

inline constexpr std::string_view kResourceFileName = "resource.txt";
inline constexpr std::string_view kResourceHeader =
    ";;; Tarvolin resource script file - automatically generated\n"
    ";;; any changes made by hand will be lost\n\n\n";

// The whole text of "resource.txt" for a list (LF line ends).
std::string resourceFileText(const ResourceList& list);

// Parses the text of a resource file, appending each entry to `out` in file
// order (entries with an empty name are not added). When `resourceRoot` is
// not empty, a resource not marked relative whose file lies inside that
// folder (ignoring case) is made relative with a ".\" path. Returns false at
// the first entry that fails; the entries before it stay in `out`.
bool parseResourceText(std::string_view text, std::string_view resourceRoot,
                       std::vector<Resource>& out);

// Whether a text would load as a resource file.
bool resourceTextCheck(std::string_view text);

// Empties the list and reads the file into it; a missing file leaves the list
// empty and gives false.
bool loadResources(const std::string& path, std::string_view resourceRoot, ResourceList& list);

// Reads the file into `other` (which is not emptied), marking each record
// read as imported; for project import.
bool loadResourcesInto(const std::string& path, std::string_view resourceRoot,
                       std::vector<Resource>& other);

// Writes the list safely: the destination is replaced only when the new bytes
// differ, and never by a half-written file.
bool saveResources(const std::string& path, const ResourceList& list);

}  // namespace tarvolin::project
