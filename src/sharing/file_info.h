// The shared-file list of a project: for each file the server's version it
// was last synchronised at and the file's last-write time then. It is kept
// in "network_versions.txt" in the project folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvolin::sharing {

struct FileInfo {
  std::string name;          // relative to the project folder, "\" between folders
  std::int32_t version = 0;  // the server's version number
  std::uint64_t fileTime = 0;  // last-write time when synchronised (100 ns ticks since 1601)
  bool operator==(const FileInfo&) const = default;
};

class FileInfoList {
 public:
  const std::vector<FileInfo>& entries() const { return entries_; }
  std::vector<FileInfo>& entries() { return entries_; }
  bool empty() const { return entries_.empty(); }
  void clear() { entries_.clear(); }
  void add(FileInfo info) { entries_.push_back(std::move(info)); }
  // The entry of a name (compared as shared names); nullptr when none.
  FileInfo* find(std::string_view name);
  const FileInfo* find(std::string_view name) const;

  // The text of "network_versions.txt" (lines end in LF).
  std::string text() const;
  // Reads entries from that text, appending to the list; entries with a bad
  // version or time are skipped. False when the list header is missing.
  bool parse(std::string_view text);

  // Empties the list and reads the file; a missing file leaves it empty.
  bool read(const std::string& path);
  // Writes the file safely (nothing half-written replaces the old one).
  bool write(const std::string& path) const;

  bool operator==(const FileInfoList&) const = default;

 private:
  std::vector<FileInfo> entries_;
};

// The 16-character text of a file time: per byte, low byte first, the
// character (low nibble * 3 + 35) and then (high nibble * 4 + 42).
std::string fileTimeText(std::uint64_t time);
// False for a text of odd length, one that does not give 8 bytes, or a
// character outside the code.
bool parseFileTimeText(std::string_view text, std::uint64_t& time);

}  // namespace tarvolin::sharing
