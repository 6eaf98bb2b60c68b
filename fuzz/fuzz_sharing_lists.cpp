// Reads arbitrary bytes as the lists project sharing takes from disk and
// from the server ("network_versions.txt", "~ProjectVersion.txt") and as a
// diff edit script against two texts: what reads must write and read back
// the same, and a merge built from any script must join to a text made of
// the two texts' lines.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sharing/file_info.h"
#include "sharing/merge.h"
#include "sharing/version_list.h"

using namespace tarvolin::sharing;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  FileInfoList first;
  if (first.parse(bytes)) {
    FileInfoList second;
    if (!second.parse(first.text()) || second.text() != first.text()) std::abort();
  }

  const auto lines = parseAllVersionLines(bytes);
  for (const VersionLine& l : lines) {
    if (l.name.empty() || l.version < 0) std::abort();
  }

  // local | server | script, split at the first two NUL bytes.
  const std::size_t a = bytes.find('\0');
  const std::size_t b = a == std::string::npos ? a : bytes.find('\0', a + 1);
  if (b == std::string::npos) return 0;
  const std::string local = bytes.substr(0, a);
  const std::string server = bytes.substr(a + 1, b - a - 1);
  std::vector<DiffEdit> edits;
  if (!parseEditScript(bytes.substr(b + 1), edits)) return 0;
  TextMerge merge;
  if (!merge.build(local, server, edits)) return 0;
  // All local, then all from the server, give the two texts back.
  if (merge.result() != local) std::abort();
  for (MergeHunk& h : merge.hunks()) h.choice = HunkChoice::Server;
  if (merge.result() != server) std::abort();
  return 0;
}
