// Tile lists: named sets of images whose tiles are numbered one after the
// other for use in levels, with per-image settings and attributes, per-tile
// attribute data and named attribute values. Kept in "tilelists.txt" (block
// layout, section "Tilelist"; each record holds the nested sections
// "TilelistEntry" and "Attributes").
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/host.h"
#include "project/asset_file.h"
#include "project/named_list.h"

namespace tarvolin::project {

// One image of a tile list. The entry's tiles are numbered from `firstTile`;
// `group` gathers entries that scripts load together.
struct TileListImage {
  std::string label;         // shown by the tile list editor
  std::string resourceName;  // the image's resource
  std::uint16_t group = 0;
  bool visible = true;       // an editor flag
  std::uint16_t firstTile = 0;
  std::uint16_t tileCount = 0;
  std::array<std::uint8_t, 4> attributes{};  // "Atrib#1".."Atrib#4" for the whole image
  bool locked = false;       // an editor flag
  // Four bytes a tile (one per attribute), painted in the attribute editor;
  // may be empty.
  std::vector<std::uint8_t> tileAttributes;
  bool operator==(const TileListImage&) const = default;
};

struct TileListAttribute {
  std::string name;
  int value = 0;   // 0..255
  int colour = 0;  // shown by the editor
  bool operator==(const TileListAttribute&) const = default;
};

struct TileList {
  std::string name;
  bool colours256 = false;  // "256 colores"
  std::string outputFile;   // "Archivo", a ".txt" file
  std::string prefix;       // "Prefijo"
  std::uint16_t startIndex = 0;  // "Índice Inicial"
  std::vector<TileListImage> images;
  std::vector<TileListAttribute> attributes;

  // Tiles of all images.
  int tileCount() const;
  // The image whose tiles include `tile` (numbered as firstTile says), or
  // nullptr.
  const TileListImage* imageCovering(int group, int tile) const;
  bool operator==(const TileList&) const = default;
};

// Per-tile attribute data as text: each byte becomes the characters
// 35 + 3 x (low nibble) and 42 + 4 x (high nibble).
std::string encodeTileAttributes(const std::vector<std::uint8_t>& bytes);
// The reverse, pair by pair: byte = ((second - 42) / 4) x 16 + (first - 35) / 3,
// so characters off the encoding still give a byte. False, `bytes`
// unchanged, for an odd length only.
bool decodeTileAttributes(std::string_view text, std::vector<std::uint8_t>& bytes);

// Reads tile lists until the end of the section, appending to `out`. An
// image whose attribute text is refused loses that data only; the read goes
// on and then gives false. A broken layout fails at once (lists read before
// stay).
bool readTileLists(LineReader& in, std::vector<TileList>& out);
std::string writeTileLists(const std::vector<TileList>& lists);

// Tells how many whole tiles the image of a resource has; false when the
// resource is unknown or its image cannot be read.
using TileCounter = std::function<bool(std::string_view resourceName, int& tiles)>;

// Numbers each image's tiles after the ones before it, from the start index,
// with the tile counts the counter gives (images it cannot count keep their
// stored count).
void updateTileNumbers(TileList& list, const TileCounter& counter);

class TileListList : public AssetFamily, public NamedList<TileList, NameMember> {
 public:
  using NamedList::items;
  std::vector<TileList>& items() { return items_; }


  // How the list counts an image's tiles (the project hands in its
  // resources). Without one, tile numbers stay as stored.
  void setTileCounter(TileCounter counter) { counter_ = std::move(counter); }

  // Drops the per-tile data of every image whose data is not four bytes a
  // tile of its image, writing "Eliminando atributos de la lista %s, RID %s"
  // for each. Images that cannot be counted are left alone. True when
  // anything was dropped.
  bool checkAgainstImages(Host& host);

  static bool loadInto(const std::string& path, std::vector<TileList>& other);

  std::string_view fileName() const override { return "tilelists.txt"; }
  std::string_view saveFailureMessage() const override {
    return "Error: al escribir lista de tiles";
  }
  CheckKind checkKind() const override { return CheckKind::TileLists; }
  void clear() override { items_.clear(); }
  bool load(const std::string& path) override;
  bool save(const std::string& path) const override;
  bool checkText(std::string_view text) const override;
  bool afterOpen(Host& host) override;

 private:
  TileCounter counter_;
};

}  // namespace tarvolin::project
