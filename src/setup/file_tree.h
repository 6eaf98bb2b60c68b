// File-system work of the installer and the uninstaller: listing a folder
// in walk order, copying and writing files so that nothing half-written
// replaces a good one, lexical path normalising and containment.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvolin::setup {

// The entries of a folder by name (byte order): regular files (and links to
// them) and real sub-folders. Links to folders are left out so that a walk
// never leaves the tree or loops.
struct FolderListing {
  bool ok = false;
  std::vector<std::string> files;
  std::vector<std::string> folders;
};
FolderListing listFolder(const std::string& folder);

// `path` made absolute against `base` with "." and ".." resolved and repeated
// or trailing "/" removed ("/" stays "/"). A leading "~/" is the home folder.
std::string absolutePath(std::string_view path, std::string_view base, std::string_view home);

// Whether `path` is `folder` or below it (both normalised).
bool isSameOrInside(std::string_view path, std::string_view folder);

// `path` with its links resolved as far as it exists; the missing rest is
// appended unchanged.
std::string resolveExisting(const std::string& path);

// Creates `path` and its missing parents; the folders it created, outermost
// first, are appended to `created`. False (with `error`) when it fails.
bool makeFoldersRecording(const std::string& path, std::vector<std::string>& created,
                          std::string& error);

// Copies `from` to `to` in 64 KB pieces through a temporary file beside `to`
// that then replaces it, keeping the permission bits (so programs stay
// runnable and a running program can be replaced).
bool copyFile(const std::string& from, const std::string& to, std::string& error);

// Writes `text` to `path` with the program's safe write; `error` says why
// when it fails.
bool writeFile(const std::string& path, std::string_view text, std::string& error);

// Removes `path` and everything below it, never following links (a link is
// removed itself). False when something stays.
bool removeTree(const std::string& path);

// Text of the last system error, for details shown beside a message.
std::string systemError(std::string_view what, const std::string& path);

}  // namespace tarvolin::setup
