// File operations of synchronisation that must never leave a file
// half-written: copies go through a temporary file in the destination's
// folder and replace the destination by a rename.
#pragma once

#include <string>

namespace tarvolin::sharing {

// Copies `from` over `to` (creating `to`'s folders); false leaves `to` as it was.
bool copyFileAtomically(const std::string& from, const std::string& to);
// Writes a short-lived file of the transaction (a version list, a work
// file), without the care a project file gets.
bool writeTemporaryFile(const std::string& path, const std::string& bytes);
// Whether two files hold the same bytes (false when either cannot be read).
bool sameFileContent(const std::string& a, const std::string& b);
// Removes a folder with everything in it; true when it is gone.
bool removeFolder(const std::string& path);

}  // namespace tarvolin::sharing
