#include "project/fontmaps.h"
#include "platform/files.h"

#include <algorithm>

#include "common/text.h"
#include "project/images/image.h"
#include "project/resource.h"
#include "project/resource_ops.h"

namespace tarvolin::project {

std::string_view fontMapTypeName(int type) {
  switch (type) {
    case 0: return "Ascii";
    case 1: return "Kanji";
    default: return "Unknown fontmap type!";
  }
}

std::optional<FontMapType> fontMapTypeFromName(std::string_view name) {
  if (equalsIgnoreCase(name, "Ascii")) return FontMapType::Ascii;
  if (equalsIgnoreCase(name, "Kanji")) return FontMapType::Kanji;
  return std::nullopt;
}

std::int64_t FontMap::coveredCount() const {
  std::int64_t n = 0;
  for (const CharRange& r : ranges) n += r.count();
  return n;
}

namespace {
int lowerCode(int c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }
}  // namespace

std::optional<FontMap::Glyph> FontMap::glyphOf(int code) const {
  const int cell = cellTiles();
  int passed = 0;
  for (const CharRange& r : ranges) {
    int offset = -1;
    if (r.contains(code)) {
      offset = code - r.first;
    } else if (ignoreCase && lowerCode(r.first) <= lowerCode(code) &&
               lowerCode(code) <= lowerCode(r.last)) {
      offset = lowerCode(code) - lowerCode(r.first);
    }
    if (offset >= 0) return Glyph{r.firstTile + offset * cell, passed + offset};
    passed += r.count();
  }
  return std::nullopt;
}

CharSize FontMap::sizeOf(const Glyph& glyph) const {
  if (rendered && glyph.sizeIndex >= 0 && std::size_t(glyph.sizeIndex) < sizes.size())
    return sizes[std::size_t(glyph.sizeIndex)];
  return CharSize{std::uint8_t(cellWidth * 8), std::uint8_t(cellHeight * 8)};
}

bool FontMap::addRange(const CharRange& range) {
  for (const CharRange& r : ranges)
    if (r.contains(range.first) || r.contains(range.last)) return false;
  ranges.push_back(range);
  return true;
}

namespace {
// The size table as it is written: exactly one entry per covered character.
std::vector<CharSize> sizedTable(const FontMap& map) {
  if (!map.rendered) return {};
  std::vector<CharSize> table = map.sizes;
  const auto wanted = std::size_t(map.coveredCount());
  if (table.size() > wanted) table.resize(wanted);
  const CharSize whole{std::uint8_t(map.cellWidth * 8), std::uint8_t(map.cellHeight * 8)};
  table.resize(wanted, whole);
  return table;
}

int clampCell(int v) { return std::clamp(v, 1, kMaxCellTiles); }

bool readNumber(LineReader& in, int& value) {
  std::string line;
  in.next(line);
  return parseInt(line, value);
}

// One entry after its "#" line. False when the entry fails.
bool readFontMapEntry(LineReader& in, FontMap& map) {
  std::string line;
  in.next(line);
  const auto type = fontMapTypeFromName(trimBlanks(line));
  if (!type) return false;
  map.type = *type;
  in.next(line);
  map.ignoreCase = readFlag(trimBlanks(line));
  while (in.next(line)) {
    if (!line.empty() && line[0] == '$') {
      int first = 0, last = 0, tile = 0;
      if (!parseInt(std::string_view(line).substr(1), first) || !readNumber(in, last) ||
          !readNumber(in, tile))
        return false;
      map.ranges.push_back(
          CharRange{std::uint16_t(first), std::uint16_t(last), std::int16_t(tile)});
      continue;
    }
    if (!line.empty() && line[0] == '#') {
      int width = 0, height = 0;
      if (!readNumber(in, width) || !readNumber(in, height)) return false;
      map.cellWidth = clampCell(width);
      map.cellHeight = clampCell(height);
      in.next(line);
      if (!equalsIgnoreCase(trimBlanks(line), "#v1.40b")) {
        // An older entry: the line belongs to what follows.
        if (!line.empty() && line[0] == '#') in.unread();
        return true;
      }
      in.next(line);
      map.rendered = readFlag(trimBlanks(line));
      in.next(map.imageResource);
      if (map.rendered) {
        const std::int64_t count = map.coveredCount();
        for (std::int64_t i = 0; i < count; ++i) {
          int w = 0, h = 0;
          if (!readNumber(in, w) || !readNumber(in, h)) return false;
          map.sizes.push_back(CharSize{std::uint8_t(std::clamp(w, 0, 255)),
                                       std::uint8_t(std::clamp(h, 0, 255))});
        }
      }
      return true;
    }
    // Normally the empty line; a missing one must not swallow the next map.
    if (!line.empty() && line[0] == '#') in.unread();
    return true;
  }
  return true;
}
}  // namespace

void FontMap::updateSizeTable() { sizes = sizedTable(*this); }

bool readFontMaps(LineReader& in, std::vector<FontMap>& out) {
  std::string name;
  while (nextEntry(in, name)) {
    FontMap map;
    map.name = std::move(name);
    if (!readFontMapEntry(in, map)) return false;
    out.push_back(std::move(map));
  }
  return true;
}

std::string writeFontMaps(const std::vector<FontMap>& maps) {
  AssetWriter w(HeaderKind::Fontmap);
  for (const FontMap& m : maps) {
    w.beginEntry(m.name);
    w.line(fontMapTypeName(int(m.type)));
    w.line(flagText(m.ignoreCase));
    for (const CharRange& r : m.ranges) {
      w.line('$', formatInt(r.first));
      w.line(formatInt(r.last));
      w.line(formatInt(r.firstTile));
    }
    w.line("#");
    w.line(formatInt(m.cellWidth));
    w.line(formatInt(m.cellHeight));
    w.line("#v1.40b");
    w.line(flagText(m.rendered));
    w.line(m.imageResource);
    for (const CharSize& s : sizedTable(m)) {
      w.line(formatInt(s.width));
      w.line(formatInt(s.height));
    }
    w.endEntry();
  }
  return w.text();
}

bool fontMapPreviewReady(const FontMap& map, const ResourceList& resources,
                         const ResourceContext& context) {
  const int index = resources.find(map.imageResource);
  if (index < 0) return false;
  const Resource* r = resources.get(std::size_t(index));
  if (r->kind != ResourceKind::Bitmap16 && r->kind != ResourceKind::Bitmap256) return false;
  ErrorState errors;
  std::string path;
  ResolveOptions options;
  options.askAllowed = false;
  if (resolveResourceFile(*r, context, errors, path, options) != ResolveResult::Found)
    return false;
  IndexedImage image;
  std::string error;
  if (!readImageFile(path, image, error)) return false;
  return image.bits == 4 || image.bits == 8;
}





bool FontMapList::loadInto(const std::string& path, std::vector<FontMap>& other) {
  other.clear();
  return loadAssetFile(path, other, readFontMaps);
}

bool FontMapList::load(const std::string& path) { return loadInto(path, items_); }

bool FontMapList::save(const std::string& path) const {
  return platform::safeWrite(path, writeFontMaps(items_));
}

bool FontMapList::checkText(std::string_view text) const {
  return checkAssetText<std::vector<FontMap>>(text, readFontMaps);
}

}  // namespace tarvolin::project
