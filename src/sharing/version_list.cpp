#include "sharing/version_list.h"

#include <charconv>
#include <unordered_map>

#include "common/text.h"
#include "platform/file_time.h"
#include "platform/paths.h"
#include "project/text_lines.h"
#include "sharing/shared_names.h"

namespace tarvolin::sharing {

std::string versionListText(const std::vector<VersionLine>& lines) {
  std::string out;
  for (const VersionLine& l : lines) {
    out += l.kind;
    out += ':';
    out += std::to_string(l.version);
    out += ',';
    out += l.name;
    out += "\r\n";
  }
  return out;
}

namespace {

bool parseLine(const std::string& line, VersionLine& out) {
  const std::size_t colon = line.find(':');
  const std::size_t comma = line.find(',');
  if (line.empty() || colon == std::string::npos || comma == std::string::npos || comma < colon)
    return false;
  std::size_t p = colon + 1;
  if (p < comma && (line[p] == '-' || line[p] == '+')) ++p;
  // One sign at most: "--4" must not read as a negative version.
  if (p >= comma || line[p] < '0' || line[p] > '9') return false;
  std::int64_t value = 0;
  auto [end, ec] = std::from_chars(line.data() + p, line.data() + comma, value);
  if (ec != std::errc() || end == line.data() + p || value > INT32_MAX) return false;
  out.kind = toUpperAscii(line[0]);
  out.version = std::int32_t(value);
  out.name = line.substr(comma + 1);
  return !out.name.empty();
}

}  // namespace

std::vector<VersionLine> parseVersionLines(std::string_view text, char kind) {
  std::vector<VersionLine> out;
  for (const VersionLine& l : parseAllVersionLines(text))
    if (l.kind == toUpperAscii(kind)) out.push_back(l);
  return out;
}

std::vector<VersionLine> parseAllVersionLines(std::string_view text) {
  std::vector<VersionLine> out;
  project::LineReader reader{std::string(text)};
  std::string line;
  while (reader.next(line)) {
    VersionLine l;
    if (parseLine(line, l)) out.push_back(std::move(l));
  }
  return out;
}

std::vector<VersionLine> buildVersionList(const FileInfoList& list, const std::string& folder) {
  std::vector<VersionLine> out;
  for (const FileInfo& e : list.entries())
    if (platform::fileExists(localPathOf(folder, e.name))) out.push_back({'V', e.version, e.name});
  return out;
}

bool buildChangeList(const FileInfoList& list, const std::string& folder, bool excludeCvs,
                     ChangeList& out, const ListProgress& progress) {
  out = ChangeList{};
  std::vector<std::string> files;
  if (!listProjectFiles(folder, excludeCvs, files)) return false;
  std::vector<bool> taken(files.size(), false);
  std::unordered_map<std::string, std::size_t> index;
  for (std::size_t i = files.size(); i-- > 0;) index[sharedNameKey(files[i])] = i;
  const std::uint32_t total = std::uint32_t(list.entries().size() + files.size());
  std::uint32_t done = 0;
  for (const FileInfo& e : list.entries()) {
    if (auto it = index.find(sharedNameKey(e.name)); it != index.end()) taken[it->second] = true;
    std::uint64_t now = 0;
    if (platform::fileWriteTime(localPathOf(folder, e.name), now)) {
      if (now != e.fileTime) {
        out.lines.push_back({'C', e.version, e.name});
        out.selected.push_back(e.name);
      } else {
        out.lines.push_back({'V', e.version, e.name});
      }
    }
    if (progress && (++done % 64 == 0)) progress(done, total);
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!taken[i] && !isNeverShared(files[i])) {
      out.lines.push_back({'A', 0, files[i]});
      out.selected.push_back(files[i]);
    }
    if (progress && (++done % 64 == 0)) progress(done, total);
  }
  if (progress) progress(1, 1);
  return true;
}

}  // namespace tarvolin::sharing
