// "resource.txt": the resource header, then per resource an entry of
// "#name", file, kind name, compression name, relative flag, "#range format",
// range maximum, ask flag, range flag and an empty line. Older files end an
// entry after the relative flag.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "project/resource.h"
#include "project/text_lines.h"

namespace tarvolin::project {

// The whole text of "resource.txt" for a list of resources (LF line ends).
std::string writeResources(const std::vector<Resource>& resources);

// Reads entries until the end of the file, appending each to `out` in file
// order (entries with an empty name are not added). When `resourceRoot` is
// not empty, a resource not marked relative whose file lies inside that
// folder (ignoring case) is made relative with a ".\" path. Returns false at
// the first entry that fails; the entries before it stay in `out`.
bool readResources(LineReader& in, std::string_view resourceRoot, std::vector<Resource>& out);

// The same over a text held in memory.
bool parseResourceText(std::string_view text, std::string_view resourceRoot,
                       std::vector<Resource>& out);

}  // namespace tarvolin::project
