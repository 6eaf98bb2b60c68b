// The version list file "~ProjectVersion.txt" that client and server
// exchange, and the two lists the client builds from the project folder:
// the version list (what the client holds, for an update) and the change
// list (what changed since then, for a commit or a proposal).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sharing/file_info.h"

namespace tarvolin::sharing {

inline constexpr std::string_view kVersionListFile = "~ProjectVersion.txt";
inline constexpr std::string_view kVersionsFile = "network_versions.txt";

// One line: 'V' the file is at this version and unchanged, 'C' changed
// locally since this version, 'A' new in the project (version 0).
struct VersionLine {
  char kind = 'V';
  std::int32_t version = 0;
  std::string name;
  bool operator==(const VersionLine&) const = default;
};

// "V:%d,%s\r\n" per line.
std::string versionListText(const std::vector<VersionLine>& lines);
// Every line that starts with `kind` (either case): the number after the
// colon without its sign, the name everything after the first comma. Lines
// without a colon, a number or a comma are skipped.
std::vector<VersionLine> parseVersionLines(std::string_view text, char kind = 'V');
// All three kinds, as the server reads a change list.
std::vector<VersionLine> parseAllVersionLines(std::string_view text);

// The version list: a 'V' line for each entry whose file exists in `folder`.
std::vector<VersionLine> buildVersionList(const FileInfoList& list, const std::string& folder);

struct ChangeList {
  std::vector<VersionLine> lines;
  std::vector<std::string> selected;  // names to send, in line order
};

// Progress of a long listing: items done of items in all.
using ListProgress = std::function<void(std::uint32_t done, std::uint32_t total)>;

// The change list of `folder` against `list`: 'C' for each entry whose file's
// time differs from the entry's, 'V' for the others, then 'A' for every other
// file that may be shared. Entries whose file is gone are left out (the file
// is not deleted on the server; the next update brings it back). False when
// the folder cannot be listed.
bool buildChangeList(const FileInfoList& list, const std::string& folder, bool excludeCvs,
                     ChangeList& out, const ListProgress& progress = {});

}  // namespace tarvolin::sharing
