// The list of what the installer wrote outside the installation folder, kept
// beside "filelist.lst" so that the uninstaller removes exactly that: one
// line per item, a kind word, a tab and an absolute path.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "setup/desktop_places.h"

namespace tarvolin::setup {

enum class RecordKind {
  Association,         // MIME package and the project-file icon
  Group,               // menu file, menu folder entry, desktop entries, studio icon
  DefaultApplication,  // a mimeapps.list holding the default-application line
  Folder,              // a folder the installer created (removed only when empty)
};

struct RecordEntry {
  RecordKind kind;
  std::string path;
  bool operator==(const RecordEntry&) const = default;
};

class InstallRecord {
 public:
  void add(RecordKind kind, const std::string& path);  // once per entry
  std::vector<std::string> paths(RecordKind kind) const;
  const std::vector<RecordEntry>& entries() const { return entries_; }

  std::string text() const;
  // Lines of unknown kinds or with relative paths are left out.
  static InstallRecord parse(std::string_view text);

  // What an installation with `places` writes, for an uninstall that finds no
  // record (an older installation, or a record lost).
  static InstallRecord standard(const DesktopPlaces& places);

 private:
  std::vector<RecordEntry> entries_;
};

// Whether `path` names one of the files an installation writes outside its
// folder; the uninstaller removes nothing else, whatever a record says.
bool isInstallerFileName(std::string_view path);

}  // namespace tarvolin::setup
