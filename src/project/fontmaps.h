// Font maps: how character codes become tiles of a font image. Each map ties
// ranges of 16-bit character codes to tile numbers, with a character cell of
// 1..8 tiles in each direction and, for a proportional ("rendered") font, a
// width and height in pixels for every covered character. Kept in
// "fontmaps.txt".
//
// File (fontmap header, entry layout), per font map:
//   "#name", type name, ignore-case flag, per range "$first" "last" "tile",
//   "#", cell width, cell height, "#v1.40b", rendered flag, image resource,
//   when rendered one "width" "height" pair per covered character, an empty
//   line. The older form stops after the ranges.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "project/asset_file.h"
#include "project/named_list.h"

namespace tarvolin::project {

enum class FontMapType : int { Ascii = 0, Kanji = 1 };
// "Ascii", "Kanji"; "Unknown fontmap type!" for another value.
std::string_view fontMapTypeName(int type);
std::optional<FontMapType> fontMapTypeFromName(std::string_view name);

struct CharRange {
  std::uint16_t first = 0;
  std::uint16_t last = 0;
  std::int16_t firstTile = 0;
  // Characters covered: last - first + 1, none when last < first.
  int count() const { return last < first ? 0 : int(last) - int(first) + 1; }
  bool contains(int code) const { return first <= code && code <= last; }
  bool operator==(const CharRange&) const = default;
};

struct CharSize {
  std::uint8_t width = 8;
  std::uint8_t height = 8;
  bool operator==(const CharSize&) const = default;
};

inline constexpr int kMaxCellTiles = 8;

struct FontMap {
  std::string name;
  FontMapType type = FontMapType::Ascii;
  bool ignoreCase = false;
  std::vector<CharRange> ranges;
  int cellWidth = 1;   // tiles, 1..8
  int cellHeight = 1;  // tiles, 1..8
  bool rendered = false;
  std::string imageResource;
  std::vector<CharSize> sizes;  // rendered only: one per covered character

  int cellTiles() const { return cellWidth * cellHeight; }
  // Characters covered by all ranges.
  std::int64_t coveredCount() const;

  // Where a character lies: the first tile of its cell and the number of its
  // size entry. Nothing when no range covers it.
  struct Glyph {
    int tile = 0;
    int sizeIndex = 0;
  };
  std::optional<Glyph> glyphOf(int code) const;
  // The pixel size of a character: its size entry when rendered and held,
  // else the whole cell.
  CharSize sizeOf(const Glyph& glyph) const;

  // Adds a range unless its first or last character lies inside a range
  // already held.
  bool addRange(const CharRange& range);
  // Makes the size table exactly as long as the covered characters (extra
  // entries dropped from the end, missing ones the whole cell); a map that is
  // not rendered has none.
  void updateSizeTable();

  bool operator==(const FontMap&) const = default;
};

// Reads font map entries until the end of the file, appending to `out`.
// False at the first entry that fails (maps read before stay).
bool readFontMaps(LineReader& in, std::vector<FontMap>& out);
// The whole file text; each map's size table is written as updateSizeTable
// would make it.
std::string writeFontMaps(const std::vector<FontMap>& maps);

class ResourceList;
struct ResourceContext;
// Whether the map's font image can be previewed: its image resource exists,
// is "Bitmap16" or "Bitmap256", resolves to a file, and the image has 4 or 8
// bits a pixel.
bool fontMapPreviewReady(const FontMap& map, const ResourceList& resources,
                         const ResourceContext& context);

class FontMapList : public AssetFamily, public NamedList<FontMap, NameMember> {
 public:
  using NamedList::items;
  std::vector<FontMap>& items() { return items_; }

  // Adds at the end; false for an empty or taken name (ignoring case).

  static bool loadInto(const std::string& path, std::vector<FontMap>& other);

  std::string_view fileName() const override { return "fontmaps.txt"; }
  std::string_view saveFailureMessage() const override {
    return "Error: al escribir el mapa de fuentes";
  }
  CheckKind checkKind() const override { return CheckKind::FontMaps; }
  void clear() override { items_.clear(); }
  bool load(const std::string& path) override;
  bool save(const std::string& path) const override;
  bool checkText(std::string_view text) const override;

 private:
};

}  // namespace tarvolin::project
