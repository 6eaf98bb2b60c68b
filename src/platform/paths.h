// File-system access for stored paths. Projects come from case-insensitive
// file systems with "\" separators; every access goes through here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvolin::platform {

// The stored text with "\" turned into "/".
std::string toNativeSeparators(std::string_view stored);

// Whether a stored path is absolute ("/x", "\x" or a drive form "C:\x").
bool isAbsolutePath(std::string_view stored);

// Joins a folder and a stored relative path with one "/".
std::string joinPath(std::string_view folder, std::string_view relative);

// Resolves a stored path against `base` (used when it is relative). "." and
// ".." are taken on the text ("a/missing/../b" is "a/b"). When the exact
// name is missing, each component is looked up ignoring ASCII case.
// Returns the best existing path, or the plain joined path when nothing matches
// (so callers that create files get the natural name).
std::string resolvePath(std::string_view base, std::string_view stored);

// A "/"-separated path with "." and empty components dropped and each ".."
// taking back the component before it; ".." above the root of an absolute
// path stays at the root, leading ".." of a relative path stay. "." for
// nothing left.
std::string normalisePath(std::string_view path);

// Final component and the folder part of a path (either separator).
std::string_view fileNameOf(std::string_view path);
std::string_view folderOf(std::string_view path);

bool fileExists(const std::string& path);
bool folderExists(const std::string& path);

// Creates a folder with all missing parents; true when it exists afterwards.
bool makeFolders(const std::string& path);

// A file found below a folder: its path relative to that folder ("/"
// separated) and whether it is a link whose target lies outside the folder.
struct ListedFile {
  std::string relative;
  bool outside = false;
};
// Lists every regular file below `folder`, in subfolders too, sorted by
// path. Linked folders are not entered. False when `folder` cannot be read.
bool listFilesBelow(const std::string& folder, std::vector<ListedFile>& files);

// Whether `path` lies inside `folder` (or is it) on the disk: both are taken
// as the system finds them, links followed, "." and ".." resolved, so no
// spelling of a path escapes. Parts that do not exist yet count as written.
bool isInsideFolder(std::string_view path, std::string_view folder);

// Whether a stored relative path stays inside the folder it is relative to:
// not absolute (nor a drive form) and no ".." component.
bool staysInside(std::string_view stored);

}  // namespace tarvolin::platform
