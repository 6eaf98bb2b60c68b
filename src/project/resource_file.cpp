#include "project/resource_file.h"

#include <charconv>
#include <cstdio>
#include <fstream>

#include "common/text.h"
#include "project/images/image.h"

namespace tarvolin::project {

namespace {

// Gives the lines of a text one by one, without their LF or CR LF ends; past
// the end it gives empty lines.
class LineSource {
 public:
  explicit LineSource(std::string_view text) : text_(text) {}
  bool atEnd() const { return pos_ >= text_.size(); }
  std::string_view next() {
    if (atEnd()) return {};
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    std::string_view line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

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

std::uint16_t rangeMaxOfLine(std::string_view line) {
  line = trimBlanks(line);
  long value = 0;
  auto [ptr, ec] = std::from_chars(line.data(), line.data() + line.size(), value);
  if (ec != std::errc() || value < 0) return 0;
  return static_cast<std::uint16_t>(value > 0xFFFF ? 0xFFFF : value);
}

void readFlag(std::string_view line, bool& flag) { parseFlagWord(trimBlanks(line), flag); }

enum class EntryResult { Read, Skipped, Failed };

EntryResult readEntry(LineSource& lines, Resource& r) {
  std::string_view first = lines.next();
  if (first.empty() || first[0] != '#') return EntryResult::Skipped;
  r = Resource{};
  r.name.assign(first.substr(1));
  r.file.assign(lines.next());
  std::optional<ResourceKind> kind = kindOfLine(lines.next());
  if (!kind) return EntryResult::Failed;
  r.kind = *kind;
  std::optional<int> compression = compressionOfLine(lines.next());
  if (!compression) return EntryResult::Failed;
  r.compression = *compression;
  readFlag(lines.next(), r.relative);
  std::string_view sixth = lines.next();
  if (sixth.empty() || sixth[0] != '#') return EntryResult::Read;  // the older five-line form
  std::optional<int> format = rangeFormatOfLine(sixth.substr(1));
  if (!format) return EntryResult::Failed;
  r.rangeFormat = *format;
  r.rangeMax = rangeMaxOfLine(lines.next());
  readFlag(lines.next(), r.ask);
  readFlag(lines.next(), r.range);
  return EntryResult::Read;
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

bool readText(const std::string& path, std::string& text) {
  Bytes bytes;
  std::string error;
  if (!readWholeFile(path, bytes, error)) return false;
  text.assign(bytes.begin(), bytes.end());
  return true;
}

// Writes `text` to a temporary file beside `path` and moves it over the
// destination only when the bytes differ, so an unchanged file keeps its time
// stamp and a failed write never replaces a good file.
bool safeWriteText(const std::string& path, const std::string& text) {
  std::string current;
  if (readText(path, current) && current == text) return true;
  const std::string temp = path + ".~tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out || !out.write(text.data(), static_cast<std::streamsize>(text.size())) || !out.flush()) {
      std::remove(temp.c_str());
      return false;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace

std::string resourceFileText(const ResourceList& list) {
  std::string out(kResourceHeader);
  for (const Resource& r : list.items()) {
    out += "#" + r.name + "\n";
    out += r.file + "\n";
    out += std::string(resourceKindName(r.kind)) + "\n";
    out += std::string(compressionName(r.compression)) + "\n";
    out += r.relative ? "true\n" : "false\n";
    out += "#" + std::string(rangeFormatName(r.rangeFormat)) + "\n";
    out += std::to_string(r.rangeMax) + "\n";
    out += r.ask ? "true\n" : "false\n";
    out += r.range ? "true\n" : "false\n";
    out += "\n";
  }
  return out;
}

bool parseResourceText(std::string_view text, std::string_view resourceRoot,
                       std::vector<Resource>& out) {
  LineSource lines(text);
  while (!lines.atEnd()) {
    Resource r;
    EntryResult result = readEntry(lines, r);
    if (result == EntryResult::Failed) return false;
    if (result == EntryResult::Skipped || r.name.empty()) continue;
    makeRelativeToRoot(r, resourceRoot);
    out.push_back(std::move(r));
  }
  return true;
}

bool resourceTextCheck(std::string_view text) {
  std::vector<Resource> scratch;
  return parseResourceText(text, {}, scratch);
}

bool loadResources(const std::string& path, std::string_view resourceRoot, ResourceList& list) {
  list.clear();
  std::string text;
  if (!readText(path, text)) return false;
  std::vector<Resource> entries;
  const bool ok = parseResourceText(text, resourceRoot, entries);
  for (Resource& r : entries) list.appendStored(std::move(r));
  return ok;
}

bool loadResourcesInto(const std::string& path, std::string_view resourceRoot,
                       std::vector<Resource>& other) {
  std::string text;
  if (!readText(path, text)) return false;
  std::vector<Resource> entries;
  const bool ok = parseResourceText(text, resourceRoot, entries);
  for (Resource& r : entries) {
    r.imported = true;
    other.push_back(std::move(r));
  }
  return ok;
}

bool saveResources(const std::string& path, const ResourceList& list) {
  return safeWriteText(path, resourceFileText(list));
}

}  // namespace tarvolin::project
