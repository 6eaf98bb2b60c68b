#include "project/asset_file.h"

#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "common/text.h"

namespace tarvolin::project {

std::string_view headerText(HeaderKind kind) {
  switch (kind) {
    case HeaderKind::None:
      return {};
    case HeaderKind::Generic:
      return ";;; Tarvolin script file - automatically generated\n"
             ";;; any changes made by hand will be lost\n\n\n";
    case HeaderKind::Macro:
      return ";;; Tarvolin macro script file - automatically generated\n"
             ";;; any changes made by hand will be lost\n\n\n";
    case HeaderKind::Resource:
      return ";;; Tarvolin resource script file - automatically generated\n"
             ";;; any changes made by hand will be lost\n\n\n";
    case HeaderKind::Fontmap:
      return ";;; Tarvolin fontmap script file - automatically generated\n"
             ";;; any changes made by hand will be lost\n\n\n";
    case HeaderKind::Array:
      return ";;; Tarvolin array script file - automatically generated\n"
             ";;; any changes made by hand will be lost\n\n\n";
  }
  return {};
}

CheckKind checkKindForFile(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  if (slash != std::string_view::npos) path = path.substr(slash + 1);
  for (const AssetFileInfo& info : kAssetFiles)
    if (equalsIgnoreCase(info.fileName, path)) return info.check;
  return CheckKind::Nothing;
}

static bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool parseInt64(std::string_view text, std::int64_t& value) {
  std::size_t i = 0;
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
  std::uint64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (magnitude > (UINT64_MAX - 9) / 10) return false;
    magnitude = magnitude * 10 + std::uint64_t(text[i] - '0');
    if (magnitude > (std::uint64_t(1) << 63)) return false;
  }
  if (!negative && magnitude > std::uint64_t(INT64_MAX)) return false;
  value = negative ? std::int64_t(0 - magnitude) : std::int64_t(magnitude);
  return true;
}

bool parseInt(std::string_view text, int& value) {
  std::int64_t wide;
  if (!parseInt64(text, wide) || wide < INT_MIN || wide > INT_MAX) return false;
  value = static_cast<int>(wide);
  return true;
}

bool parseReal(std::string_view text, double& value) {
  // strtod needs a terminated text; a real never needs more than a few
  // hundred characters, so a long line is cut before copying.
  std::string copy(text.substr(0, 512));
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(copy.c_str(), &end);
  if (end == copy.c_str() || v != v) return false;  // nothing read, or NaN
  value = v;
  return true;
}

bool readFlag(std::string_view text) {
  bool value = false;
  return parseFlagWord(text, value) && value;
}

std::string formatInt(std::int64_t value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%" PRId64, value);
  return buffer;
}

std::string formatReal(double value) {
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%f", value);
  return buffer;
}

AssetWriter::AssetWriter(HeaderKind header) : text_(headerText(header)) {}

void AssetWriter::line(std::string_view text) {
  const std::size_t start = text_.size();
  text_ += text;
  for (std::size_t i = start; i < text_.size(); ++i)
    if (text_[i] == '\n' || text_[i] == '\r') text_[i] = ' ';
  text_ += '\n';
}

void AssetWriter::line(char lead, std::string_view text) {
  text_ += lead;
  line(text);
}

bool nextEntry(LineReader& in, std::string& name) {
  std::string line;
  while (in.next(line)) {
    if (!line.empty() && line[0] == '#') {
      name.assign(line, 1);
      return true;
    }
  }
  name.clear();
  return false;
}

SectionOpen openSection(LineReader& in, std::string_view section) {
  std::string line;
  while (in.next(line)) {
    if (line.empty() || line[0] != '}') continue;
    std::string_view rest = std::string_view(line).substr(1);
    if (rest.substr(0, section.size()) == section &&
        (rest.size() == section.size() || isBlank(rest[section.size()])))
      return SectionOpen::Found;
    return SectionOpen::Other;
  }
  return SectionOpen::Missing;
}

BlockItem nextBlockItem(LineReader& in) {
  std::string line;
  while (in.next(line)) {
    if (line.empty()) return BlockItem::Bad;
    switch (line[0]) {
      case '[': continue;
      case '{': return BlockItem::End;
      case ']': return BlockItem::Record;
      default: return BlockItem::Bad;
    }
  }
  return BlockItem::Bad;
}

bool readField(LineReader& in, std::string& value) {
  std::string line;
  in.next(line);
  if (line.empty() || line[0] != '|') {
    value.clear();
    return false;
  }
  value.assign(line, 1);
  return true;
}

bool RecordFields::text(std::string& out) {
  if (ended_) return false;
  std::string value;
  if (readField(in_, value)) {
    out = std::move(value);
    return true;
  }
  ended_ = true;
  // The record's closing "[" is used up; anything else is for the caller.
  std::string line;
  in_.unread();
  in_.next(line);
  if (line.empty() || line[0] != '[') in_.unread();
  return false;
}

void RecordFields::flag(bool& out) {
  std::string v;
  if (text(v)) out = readFlag(trimBlanks(v));
}

}  // namespace tarvolin::project
