#include "project/tilelists.h"
#include "platform/files.h"

#include "common/text.h"

namespace tarvolin::project {

int TileList::tileCount() const {
  int n = 0;
  for (const TileListImage& image : images) n += image.tileCount;
  return n;
}

const TileListImage* TileList::imageCovering(int group, int tile) const {
  for (const TileListImage& image : images)
    if (image.group == group && tile >= image.firstTile &&
        tile < int(image.firstTile) + int(image.tileCount))
      return &image;
  return nullptr;
}

std::string encodeTileAttributes(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (std::uint8_t b : bytes) {
    text += char(35 + 3 * (b & 0x0F));
    text += char(42 + 4 * (b >> 4));
  }
  return text;
}

bool decodeTileAttributes(std::string_view text, std::vector<std::uint8_t>& bytes) {
  if (text.size() % 2 != 0) return false;
  std::vector<std::uint8_t> out(text.size() / 2);
  for (std::size_t i = 0; i < out.size(); ++i) {
    // Every pair decodes, on the encoding's grid or off it (a file edited
    // by hand): the byte keeps the low eight bits of the formula's value.
    const int first = static_cast<unsigned char>(text[2 * i]);
    const int second = static_cast<unsigned char>(text[2 * i + 1]);
    out[i] = static_cast<std::uint8_t>(((second - 42) / 4) * 16 + (first - 35) / 3);
  }
  bytes = std::move(out);
  return true;
}

namespace {

// Finds the nested section's "}" line. Lines before it are skipped; a "}"
// line with another name, the end of the record or of the file leave the
// section empty (the line stays for what follows).
bool openNested(LineReader& in, std::string_view section) {
  std::string line;
  while (in.next(line)) {
    if (line.empty()) continue;
    if (line[0] == '}') {
      std::string_view rest = std::string_view(line).substr(1);
      if (rest.substr(0, section.size()) == section &&
          (rest.size() == section.size() || isBlank(rest[section.size()])))
        return true;
      in.unread();
      return false;
    }
    if (line[0] == '[' || line[0] == ']' || line[0] == '{') {
      in.unread();
      return false;
    }
  }
  return false;
}

// `refused`: set when the image's attribute text had an odd length; the
// image is read on without that data.
bool readImage(LineReader& in, TileListImage& image, bool& refused) {
  RecordFields f(in);
  f.text(image.label);
  f.text(image.resourceName);
  f.number(image.group);
  f.flag(image.visible);
  f.number(image.firstTile);
  f.number(image.tileCount);
  for (std::uint8_t& a : image.attributes) f.number(a);
  f.flag(image.locked);
  int length = 0;
  f.number(length);
  std::string text;
  if (length != 0 && f.text(text) && !decodeTileAttributes(text, image.tileAttributes)) {
    image.tileAttributes.clear();
    refused = true;
  }
  if (!f.ended()) {
    std::string rest;  // uses up the closing "["
    f.text(rest);
  }
  return true;
}

bool readAttribute(LineReader& in, TileListAttribute& attribute) {
  RecordFields f(in);
  f.text(attribute.name);
  f.number(attribute.value);
  f.number(attribute.colour);
  if (!f.ended()) {
    std::string rest;
    f.text(rest);
  }
  return true;
}

// A nested section of sub-records, each read by `read`.
template <class Item, class Read>
bool readNested(LineReader& in, std::string_view section, std::vector<Item>& out, Read read) {
  if (!openNested(in, section)) return true;
  while (true) {
    switch (nextBlockItem(in)) {
      case BlockItem::End: return true;
      case BlockItem::Bad: return false;
      case BlockItem::Record: break;
    }
    Item item;
    if (!read(in, item)) return false;
    out.push_back(std::move(item));
  }
}

bool readTileList(LineReader& in, TileList& list, bool& refused) {
  RecordFields f(in);
  f.text(list.name);
  f.flag(list.colours256);
  f.text(list.outputFile);
  f.text(list.prefix);
  f.number(list.startIndex);
  if (f.ended()) return true;
  auto image = [&](LineReader& r, TileListImage& item) { return readImage(r, item, refused); };
  return readNested(in, "TilelistEntry", list.images, image) &&
         readNested(in, "Attributes", list.attributes, readAttribute);
}

}  // namespace

bool readTileLists(LineReader& in, std::vector<TileList>& out) {
  if (openSection(in, "Tilelist") != SectionOpen::Found) return true;
  // A refused attribute text costs only that image's data: the lists are
  // read on, and the read reports the refusal at the end.
  bool refused = false;
  while (true) {
    switch (nextBlockItem(in)) {
      case BlockItem::End: return !refused;
      case BlockItem::Bad: return false;
      case BlockItem::Record: break;
    }
    TileList list;
    if (!readTileList(in, list, refused)) return false;
    out.push_back(std::move(list));
  }
}

std::string writeTileLists(const std::vector<TileList>& lists) {
  AssetWriter w;
  w.beginSection("Tilelist");
  for (const TileList& list : lists) {
    w.beginRecord();
    w.field(list.name);
    w.field(flagField(list.colours256));
    w.field(list.outputFile);
    w.field(list.prefix);
    w.field(list.startIndex);
    w.beginSection("TilelistEntry");
    for (const TileListImage& image : list.images) {
      w.beginRecord();
      w.field(image.label);
      w.field(image.resourceName);
      w.field(image.group);
      w.field(flagField(image.visible));
      w.field(image.firstTile);
      w.field(image.tileCount);
      for (std::uint8_t a : image.attributes) w.field(a);
      w.field(flagField(image.locked));
      w.field(std::int64_t(image.tileAttributes.size()));
      if (!image.tileAttributes.empty()) w.field(encodeTileAttributes(image.tileAttributes));
      w.endRecord();
    }
    w.endSection();
    w.beginSection("Attributes");
    for (const TileListAttribute& a : list.attributes) {
      w.beginRecord();
      w.field(a.name);
      w.field(a.value);
      w.field(a.colour);
      w.endRecord();
    }
    w.endSection();
    w.endRecord();
  }
  w.endSection();
  return w.text();
}

void updateTileNumbers(TileList& list, const TileCounter& counter) {
  int next = list.startIndex;
  for (TileListImage& image : list.images) {
    int tiles = 0;
    if (counter && counter(image.resourceName, tiles) && tiles >= 0)
      image.tileCount = std::uint16_t(tiles > 0xFFFF ? 0xFFFF : tiles);
    image.firstTile = std::uint16_t(next);
    next += image.tileCount;
  }
}





bool TileListList::checkAgainstImages(Host& host) {
  if (!counter_) return false;
  bool dropped = false;
  for (TileList& list : items_)
    for (TileListImage& image : list.images) {
      if (image.tileAttributes.empty()) continue;
      int tiles = 0;
      if (!counter_(image.resourceName, tiles)) continue;
      if (image.tileAttributes.size() == std::size_t(tiles) * 4) continue;
      image.tileAttributes.clear();
      host.outputLine("Eliminando atributos de la lista " + list.name + ", RID " +
                      image.resourceName);
      dropped = true;
    }
  return dropped;
}

bool TileListList::loadInto(const std::string& path, std::vector<TileList>& other) {
  other.clear();
  return loadAssetFile(path, other, readTileLists);
}

bool TileListList::load(const std::string& path) {
  const bool ok = loadInto(path, items_);
  for (TileList& list : items_) updateTileNumbers(list, counter_);
  return ok;
}

bool TileListList::save(const std::string& path) const {
  return platform::safeWrite(path, writeTileLists(items_));
}

bool TileListList::checkText(std::string_view text) const {
  return checkAssetText<std::vector<TileList>>(text, readTileLists);
}

bool TileListList::afterOpen(Host& host) { return checkAgainstImages(host); }

}  // namespace tarvolin::project
