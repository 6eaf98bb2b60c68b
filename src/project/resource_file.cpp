#include "project/resource_file.h"
#include "platform/files.h"

#include "common/text.h"

namespace tarvolin::project {

namespace {

// Whether `line` begins with `name` (ignoring case) followed by the end of
// the word.
bool namesWord(std::string_view line, std::string_view name) {
  if (!startsWithIgnoreCase(line, name)) return false;
  return line.size() == name.size() || isBlank(line[name.size()]);
}

template <typename T, typename Names>
std::optional<T> wordFromTable(std::string_view line, const Names& names) {
  for (const auto& [value, name] : names)
    if (namesWord(line, name)) return value;
  return std::nullopt;
}

std::optional<ResourceKind> kindOfLine(std::string_view line) {
  // Longer names are not prefixes of shorter ones, so the stored order works.
  std::vector<std::pair<ResourceKind, std::string_view>> names;
  for (int k = 0; k <= 8; ++k)
    names.emplace_back(static_cast<ResourceKind>(k), resourceKindName(static_cast<ResourceKind>(k)));
  names.emplace_back(ResourceKind::MusicTrack, "MOD file");
  return wordFromTable<ResourceKind>(line, names);
}

std::optional<int> compressionOfLine(std::string_view line) {
  std::vector<std::pair<int, std::string_view>> names;
  for (int c = 0; c < 3; ++c) names.emplace_back(c, compressionName(c));
  return wordFromTable<int>(line, names);
}

std::optional<int> rangeFormatOfLine(std::string_view line) {
  // "Decimal0" is a prefix of "Decimal00": the end-of-word rule tells them apart.
  std::vector<std::pair<int, std::string_view>> names;
  for (int f = 0; f < kRangeFormatCount; ++f) names.emplace_back(f, rangeFormatName(f));
  return wordFromTable<int>(line, names);
}

// A maximum that does not parse leaves 0; values beyond 16 bits are held
// at the nearest end rather than wrapped.
std::uint16_t rangeMaxOfLine(std::string_view line) {
  std::int64_t value = 0;
  if (!parseInt64(line, value) || value < 0) return 0;
  return static_cast<std::uint16_t>(value > 0xFFFF ? 0xFFFF : value);
}

// Reads the fields after an entry's "#name" line.
bool readFields(LineReader& in, Resource& r) {
  std::string line;
  in.next(r.file);
  in.next(line);
  std::optional<ResourceKind> kind = kindOfLine(line);
  if (!kind) return false;
  r.kind = *kind;
  in.next(line);
  std::optional<int> compression = compressionOfLine(line);
  if (!compression) return false;
  r.compression = *compression;
  in.next(line);
  r.relative = readFlag(trimBlanks(line));
  in.next(line);
  if (line.empty() || line[0] != '#') return true;  // the older five-line form
  std::optional<int> format = rangeFormatOfLine(std::string_view(line).substr(1));
  if (!format) return false;
  r.rangeFormat = *format;
  in.next(line);
  r.rangeMax = rangeMaxOfLine(line);
  in.next(line);
  r.ask = readFlag(trimBlanks(line));
  in.next(line);
  r.range = readFlag(trimBlanks(line));
  return true;
}

std::string slashed(std::string_view path) {
  std::string out(path);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

// Makes a resource whose file lies inside the resource root relative to it.
void makeRelativeToRoot(Resource& r, std::string_view resourceRoot) {
  if (r.relative || resourceRoot.empty()) return;
  std::string root = slashed(resourceRoot);
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  const std::string file = slashed(r.file);
  if (file.size() <= root.size() + 1 || !startsWithIgnoreCase(file, root) || file[root.size()] != '/')
    return;
  r.file = ".\\" + r.file.substr(root.size() + 1);
  r.relative = true;
}

}  // namespace

std::string writeResources(const std::vector<Resource>& resources) {
  AssetWriter w(HeaderKind::Resource);
  for (const Resource& r : resources) {
    w.beginEntry(r.name);
    w.line(r.file);
    w.line(resourceKindName(r.kind));
    w.line(compressionName(r.compression));
    w.line(flagText(r.relative));
    w.line('#', rangeFormatName(r.rangeFormat));
    w.line(formatInt(r.rangeMax));
    w.line(flagText(r.ask));
    w.line(flagText(r.range));
    w.endEntry();
  }
  return w.text();
}

bool readResources(LineReader& in, std::string_view resourceRoot, std::vector<Resource>& out) {
  std::string name;
  while (nextEntry(in, name)) {
    Resource r;
    r.name = std::move(name);
    if (!readFields(in, r)) return false;
    if (r.name.empty()) continue;
    makeRelativeToRoot(r, resourceRoot);
    out.push_back(std::move(r));
  }
  return true;
}

bool parseResourceText(std::string_view text, std::string_view resourceRoot,
                       std::vector<Resource>& out) {
  LineReader in{std::string(text)};
  return readResources(in, resourceRoot, out);
}

bool ResourceList::load(const std::string& path) {
  items_.clear();
  LineReader in;
  if (!in.open(path)) return false;
  return readResources(in, resourceRoot(), items_);
}

bool ResourceList::loadInto(const std::string& path, std::vector<Resource>& other) const {
  other.clear();
  LineReader in;
  if (!in.open(path)) return false;
  const bool ok = readResources(in, resourceRoot(), other);
  for (Resource& r : other) r.imported = true;
  return ok;
}

bool ResourceList::save(const std::string& path) const {
  return platform::safeWrite(path, writeResources(items_));
}

bool ResourceList::checkText(std::string_view text) const {
  std::vector<Resource> scratch;
  return parseResourceText(text, {}, scratch);
}

}  // namespace tarvolin::project
