// Names of shared files: paths relative to the project folder, stored with
// "\" between folders as lists written on any system hold them, compared
// ignoring ASCII case. Also the rules that keep a name from outside (a
// server's list or a received pack) inside the folder it is meant for.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvolin::sharing {

// The stored form: "/" turned into "\".
std::string storedName(std::string_view name);
// Equal as shared names: ignoring ASCII case and the kind of separator.
bool sameSharedName(std::string_view a, std::string_view b);

// A key for looking names up: lower case with "\" between folders.
std::string sharedNameKey(std::string_view name);

// Whether a received name may be written below a destination folder: not
// empty, not absolute, no drive prefix or other colon, no "." or ".."
// component, no empty component, no NUL or other control byte. On refusal
// `why` holds the Spanish reason.
bool isSafeRelativeName(std::string_view name, std::string* why = nullptr);

// Files that never count as project files: any folder or file of the path
// beginning with "~" (temporary files of sharing and saving), and the list
// "network_versions.txt" itself (ignoring case).
bool isNeverShared(std::string_view name);

// Every regular file below `folder`, as stored names, sorted. Folders named
// "CVS" are left out when `excludeCvs`. Symbolic links to folders are not
// followed. False when the folder cannot be listed.
bool listProjectFiles(const std::string& folder, bool excludeCvs, std::vector<std::string>& out);

// The local path of a stored name below a folder (the exact name, else one
// matching ignoring case).
std::string localPathOf(const std::string& folder, std::string_view name);

}  // namespace tarvolin::sharing
